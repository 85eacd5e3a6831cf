// Bounded printf-style formatting of wide text into fixed-capacity buffers.
//
// Every path and message of the setup is formatted through these two helpers.
// The formatter is type-safe: the arguments are captured with their types, so
// "%s" always means a wide string whatever the C library would make of it.
#ifndef VALDORINE_SETUP_BOUNDED_FORMAT_H
#define VALDORINE_SETUP_BOUNDED_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace setup {

// Results, as the system's HRESULTs.
inline constexpr uint32_t kFormatOk = 0;
inline constexpr uint32_t kFormatTruncated = 0x8007007A;    // STRSAFE_E_INSUFFICIENT_BUFFER
inline constexpr uint32_t kFormatBadCapacity = 0x80070057;  // STRSAFE_E_INVALID_PARAMETER
inline constexpr size_t kMaxBoundedCapacity = 0x7FFFFFFF;

// One captured argument of FormatBounded.
struct FormatArg {
  enum class Kind { kText, kSigned, kUnsigned, kChar, kFloat };
  Kind kind;
  std::wstring_view text;
  int64_t i = 0;
  uint64_t u = 0;
  double f = 0;

  FormatArg(const wchar_t* s) : kind(Kind::kText), text(s ? s : L"(null)") {}
  FormatArg(wchar_t* s) : FormatArg(static_cast<const wchar_t*>(s)) {}
  FormatArg(const std::wstring& s) : kind(Kind::kText), text(s) {}
  FormatArg(std::wstring_view s) : kind(Kind::kText), text(s) {}
  FormatArg(wchar_t c) : kind(Kind::kChar), u(static_cast<uint64_t>(c)) {}
  FormatArg(double v) : kind(Kind::kFloat), f(v) {}
  template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
  FormatArg(T v) : kind(Kind::kSigned), i(v) {}
  template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_unsigned_v<T> &&
                                             !std::is_same_v<T, wchar_t>,
                                         int> = 0>
  FormatArg(T v) : kind(Kind::kUnsigned), u(v) {}
};

// Formats |format| with |args| into |dest| of |capacity| characters.
// Supports %s, %c, %d, %i, %u, %x with the l and ll length modifiers, %f with
// flags, width and precision, and %%. The output is cut to capacity - 1
// characters and always terminated. Returns kFormatOk, kFormatTruncated when
// the text was cut, or kFormatBadCapacity (nothing written) when |capacity| is
// 0 or above 0x7FFFFFFF.
uint32_t FormatBoundedV(wchar_t* dest, size_t capacity, const wchar_t* format,
                        std::initializer_list<FormatArg> args);

template <typename... Args>
uint32_t FormatBounded(wchar_t* dest, size_t capacity, const wchar_t* format, const Args&... args) {
  return FormatBoundedV(dest, capacity, format, {FormatArg(args)...});
}

// Appends |text| to the terminated string in |dest| of |capacity| characters,
// with the same cutting, termination and results as FormatBounded. A |dest|
// that holds no terminator within its capacity gives kFormatBadCapacity.
uint32_t AppendBounded(wchar_t* dest, size_t capacity, const wchar_t* text);

// Convenience for fixed arrays: the capacity is the array's size.
template <size_t N, typename... Args>
uint32_t FormatInto(wchar_t (&dest)[N], const wchar_t* format, const Args&... args) {
  return FormatBounded(dest, N, format, args...);
}
template <size_t N>
uint32_t AppendInto(wchar_t (&dest)[N], const wchar_t* text) {
  return AppendBounded(dest, N, text);
}

}  // namespace setup

#endif  // VALDORINE_SETUP_BOUNDED_FORMAT_H
