#include "setup/bounded_format.h"

#include <cstdio>
#include <cwchar>

namespace setup {
namespace {

// Writes into the destination until it is full; remembers whether anything
// had to be cut.
class BoundedWriter {
 public:
  BoundedWriter(wchar_t* dest, size_t capacity) : dest_(dest), room_(capacity - 1) {}

  void Put(wchar_t c) {
    if (length_ < room_)
      dest_[length_++] = c;
    else
      truncated_ = true;
  }
  void Put(std::wstring_view text) {
    for (wchar_t c : text) Put(c);
  }
  void PutPadded(std::wstring_view text, size_t width, bool left, wchar_t pad) {
    size_t fill = text.size() < width ? width - text.size() : 0;
    // Zero padding goes after a sign, as printf does.
    if (!left && pad == L'0' && !text.empty() && (text[0] == L'-' || text[0] == L'+')) {
      Put(text[0]);
      text.remove_prefix(1);
    }
    if (!left)
      for (size_t k = 0; k < fill; ++k) Put(pad);
    Put(text);
    if (left)
      for (size_t k = 0; k < fill; ++k) Put(L' ');
  }
  uint32_t Finish() {
    dest_[length_] = L'\0';
    return truncated_ ? kFormatTruncated : kFormatOk;
  }

 private:
  wchar_t* dest_;
  size_t room_;
  size_t length_ = 0;
  bool truncated_ = false;
};

std::wstring Widen(const char* s) {
  std::wstring out;
  while (*s) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*s++)));
  return out;
}

std::wstring FormatNumber(const FormatArg& arg, wchar_t conversion, bool plus, bool space,
                          int precision) {
  char buf[64];
  if (conversion == L'f' || conversion == L'F') {
    double v = arg.kind == FormatArg::Kind::kFloat    ? arg.f
               : arg.kind == FormatArg::Kind::kSigned ? static_cast<double>(arg.i)
                                                      : static_cast<double>(arg.u);
    std::snprintf(buf, sizeof buf,
                  plus    ? "%+.*f"
                  : space ? "% .*f"
                          : "%.*f",
                  precision < 0 ? 6 : precision, v);
    return Widen(buf);
  }
  bool is_signed = arg.kind == FormatArg::Kind::kSigned;
  if (conversion == L'x' || conversion == L'X') {
    uint64_t v = is_signed ? static_cast<uint64_t>(arg.i) : arg.u;
    std::snprintf(buf, sizeof buf, conversion == L'x' ? "%llx" : "%llX",
                  static_cast<unsigned long long>(v));
  } else if (conversion == L'u') {
    uint64_t v = is_signed ? static_cast<uint64_t>(arg.i) : arg.u;
    std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(v));
  } else {
    if (is_signed || arg.kind == FormatArg::Kind::kFloat) {
      long long v = is_signed ? arg.i : static_cast<long long>(arg.f);
      std::snprintf(buf, sizeof buf, plus ? "%+lld" : space ? "% lld" : "%lld", v);
    } else {
      std::snprintf(buf, sizeof buf, plus ? "+%llu" : "%llu",
                    static_cast<unsigned long long>(arg.u));
    }
  }
  return Widen(buf);
}

}  // namespace

uint32_t FormatBoundedV(wchar_t* dest, size_t capacity, const wchar_t* format,
                        std::initializer_list<FormatArg> args) {
  if (capacity == 0 || capacity > kMaxBoundedCapacity) return kFormatBadCapacity;
  BoundedWriter out(dest, capacity);
  const FormatArg* next = args.begin();
  for (const wchar_t* p = format; *p; ++p) {
    if (*p != L'%') {
      out.Put(*p);
      continue;
    }
    const wchar_t* start = p++;
    if (*p == L'%') {
      out.Put(L'%');
      continue;
    }
    bool left = false, plus = false, space = false;
    wchar_t pad = L' ';
    for (;; ++p) {
      if (*p == L'-')
        left = true;
      else if (*p == L'+')
        plus = true;
      else if (*p == L' ')
        space = true;
      else if (*p == L'0')
        pad = L'0';
      else
        break;
    }
    size_t width = 0;
    while (*p >= L'0' && *p <= L'9') width = width * 10 + static_cast<size_t>(*p++ - L'0');
    int precision = -1;
    if (*p == L'.') {
      precision = 0;
      while (*++p >= L'0' && *p <= L'9') precision = precision * 10 + (*p - L'0');
    }
    while (*p == L'l' || *p == L'h' || *p == L'w') ++p;
    wchar_t conversion = *p;
    if (conversion == L'\0' || next == args.end()) {
      // A malformed directive or a missing argument is written as it stands.
      out.Put(std::wstring_view(start, static_cast<size_t>(p - start) + (conversion ? 1 : 0)));
      if (conversion == L'\0') break;
      continue;
    }
    const FormatArg& arg = *next++;
    switch (conversion) {
      case L's':
      case L'S': {
        std::wstring_view text =
            arg.kind == FormatArg::Kind::kText ? arg.text : std::wstring_view(L"");
        if (precision >= 0 && static_cast<size_t>(precision) < text.size())
          text = text.substr(0, static_cast<size_t>(precision));
        out.PutPadded(text, width, left, L' ');
        break;
      }
      case L'c':
      case L'C': {
        wchar_t c = static_cast<wchar_t>(arg.kind == FormatArg::Kind::kSigned ? arg.i : arg.u);
        out.PutPadded(std::wstring_view(&c, 1), width, left, L' ');
        break;
      }
      case L'd':
      case L'i':
      case L'u':
      case L'x':
      case L'X':
      case L'f':
      case L'F':
        out.PutPadded(FormatNumber(arg, conversion, plus, space, precision), width, left,
                      left ? L' ' : pad);
        break;
      default:
        out.Put(std::wstring_view(start, static_cast<size_t>(p - start) + 1));
        --next;
        break;
    }
  }
  return out.Finish();
}

uint32_t AppendBounded(wchar_t* dest, size_t capacity, const wchar_t* text) {
  if (capacity == 0 || capacity > kMaxBoundedCapacity) return kFormatBadCapacity;
  size_t length = 0;
  while (length < capacity && dest[length] != L'\0') ++length;
  if (length == capacity) return kFormatBadCapacity;
  BoundedWriter out(dest + length, capacity - length);
  out.Put(std::wstring_view(text ? text : L""));
  return out.Finish();
}

}  // namespace setup
