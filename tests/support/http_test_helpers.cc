#include "support/http_test_helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/errors.h"
#include "vendor_host.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {
namespace {

constexpr char kStallVariable[] = "VALDORINE_HTTP_STALL_SECONDS";

}  // namespace

std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::string VendorHost() {
  std::string host;
  for (const wchar_t* c = VALDORINE_VENDOR_HOST; *c; ++c) host.push_back(static_cast<char>(*c));
  return host;
}

std::wstring VendorUrl(const std::string& path) {
  return Widen("http://" + VendorHost() + path);
}

std::string TestPath(const std::string& area, const std::string& name) {
  static const std::string run =
      std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string test = info ? info->name() : "no_test";
  for (char& c : test) c = c == '/' ? '_' : c;  // parameterised tests
  std::string path = "/download/devureruzir/" + area + "/" + run + "/" + test + "/" + name;
  for (char& c : path) c = c == ' ' ? '_' : c;
  return path;
}

bool ShortenHttpStall(unsigned seconds) {
  if (const char* set = std::getenv(kStallVariable); set && *set) return true;
  const std::string value = std::to_string(seconds);
#ifdef _WIN32
  // Both the C runtime's copy and the process environment: WinINet's client
  // reads the process one.
  _putenv_s(kStallVariable, value.c_str());
  ::SetEnvironmentVariableA(kStallVariable, value.c_str());
#else
  ::setenv(kStallVariable, value.c_str(), 0);
#endif
  return true;
}

unsigned HttpStallSecondsInForce() {
  const char* set = std::getenv(kStallVariable);
  return set && *set ? static_cast<unsigned>(std::atoi(set)) : 60;
}

bool RunningUnderWine() {
#ifdef _WIN32
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

uint32_t ReadAll(platform::HttpResponse& response, size_t capacity, std::string* body) {
  std::string block(capacity, '\0');
  for (;;) {
    size_t received = 99999;
    uint32_t error = response.Read(block.data(), capacity, &received);
    if (error != platform::kErrorSuccess) return error;
    EXPECT_LE(received, capacity);
    if (received == 0) return platform::kErrorSuccess;
    body->append(block.data(), received);
  }
}

}  // namespace testing_support
