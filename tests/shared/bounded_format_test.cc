#include "setup/bounded_format.h"

#include <gtest/gtest.h>

#include <string>

namespace setup {
namespace {

struct FormatCase {
  const char* name;
  size_t capacity;
  std::wstring expected;
  uint32_t result;
};

TEST(BoundedFormatTest, CutsAtCapacityAndAlwaysTerminates) {
  const FormatCase cases[] = {
      {"one short", 20, L"C:\\Program\\Valdorin", kFormatTruncated},
      {"roomy", 64, L"C:\\Program\\Valdorine", kFormatOk},
      {"exact", 21, L"C:\\Program\\Valdorine", kFormatOk},
      {"one char", 2, L"C", kFormatTruncated},
      {"only terminator", 1, L"", kFormatTruncated},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    wchar_t buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(FormatBounded(buffer, c.capacity, L"%s\\Valdorine", L"C:\\Program"), c.result);
    EXPECT_EQ(std::wstring(buffer), c.expected);
  }
}

TEST(BoundedFormatTest, RejectsZeroAndHugeCapacityWithoutWriting) {
  wchar_t buffer[4] = {L'x', L'y', L'z', L'\0'};
  EXPECT_EQ(FormatBounded(buffer, 0, L"%s", L"a"), kFormatBadCapacity);
  EXPECT_EQ(FormatBounded(buffer, 0x80000000u, L"%s", L"a"), kFormatBadCapacity);
  EXPECT_EQ(AppendBounded(buffer, 0, L"a"), kFormatBadCapacity);
  EXPECT_EQ(std::wstring(buffer), L"xyz");
}

TEST(BoundedFormatTest, TheSetupsFormats) {
  struct Case {
    std::wstring expected;
    std::wstring actual;
  };
  auto f = [](auto... args) {
    wchar_t buffer[1024];
    FormatBounded(buffer, 1024, args...);
    return std::wstring(buffer);
  };
  const Case cases[] = {
      {L"10240 / 10240  (5.0 Kb/s)", f(L"%ld / %ld  (%0.1f Kb/s)", 10240L, 10240L, 5.0)},
      {L"0 / 0", f(L"%ld / %ld", 0L, 0L)},
      {L"4294967295 / 7", f(L"%ld / %ld", 4294967295u, 7)},
      {L"Copying: Lib.DLK", f(L"%s %s%s", L"Copying:", L"Lib", L".DLK")},
      {L"E:\\", f(L"%c:\\", L'E')},
      {L"Error: 5\nAborting.", f(L"Error: %d\nAborting.", 5)},
      {L"-2147483648", f(L"%d", -2147483647 - 1)},
      {L"100%", f(L"100%%")},
      {L"0.1", f(L"%0.1f", 0.05)},
      {L"\u00e9t\u00e9", f(L"%s", L"\u00e9t\u00e9")},
      {L"missing: %s", f(L"missing: %s")},
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(BoundedFormatTest, AppendCutsAndTerminates) {
  wchar_t buffer[8] = L"abc";
  EXPECT_EQ(AppendBounded(buffer, 8, L"defg"), kFormatOk);
  EXPECT_EQ(std::wstring(buffer), L"abcdefg");
  EXPECT_EQ(AppendBounded(buffer, 8, L"h"), kFormatTruncated);
  EXPECT_EQ(std::wstring(buffer), L"abcdefg");
  wchar_t unterminated[3] = {L'a', L'b', L'c'};
  EXPECT_EQ(AppendBounded(unterminated, 3, L"d"), kFormatBadCapacity);
}

}  // namespace
}  // namespace setup
