// POSIX only code.
#include "platform/posix/posix_paths.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <system_error>
#include <vector>

#include "platform/errors.h"

namespace platform::posix {
namespace fs = std::filesystem;
namespace {

std::map<wchar_t, fs::path>& Drives() {
  static std::map<wchar_t, fs::path> drives = [] {
    std::map<wchar_t, fs::path> table;
    // The default C: drive, for a program run outside the tests.
    if (const char* root = std::getenv("VALDORINE_DRIVE_C"); root && *root) {
      table[L'C'] = root;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
      table[L'C'] = fs::path(home) / ".local/share/valdorine/drive_c";
    }
    return table;
  }();
  return drives;
}

wchar_t UpperLetter(wchar_t c) { return (c >= L'a' && c <= L'z') ? c - L'a' + L'A' : c; }

// Simple case folding of the Basic Latin and Latin-1 letters.
wchar_t Fold(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  return c;
}

bool IsInvalidNameChar(wchar_t c) {
  return c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' ||
         c == L'*';
}

}  // namespace

void SetDriveFolder(wchar_t letter, const fs::path& folder) {
  letter = UpperLetter(letter);
  if (folder.empty())
    Drives().erase(letter);
  else
    Drives()[letter] = folder;
}

void ClearDrives() { Drives().clear(); }

fs::path GetDriveFolder(wchar_t letter) {
  auto it = Drives().find(UpperLetter(letter));
  return it == Drives().end() ? fs::path() : it->second;
}

uint32_t MappedDriveMask() {
  uint32_t mask = 0;
  for (const auto& [letter, folder] : Drives())
    if (letter >= L'A' && letter <= L'Z') mask |= 1u << (letter - L'A');
  return mask;
}

bool NamesEqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

uint32_t ResolvePath(std::wstring_view path, fs::path* host) {
  if (path.size() < 2 || path[1] != L':') return kErrorBadPathname;
  wchar_t letter = UpperLetter(path[0]);
  if (letter < L'A' || letter > L'Z') return kErrorInvalidName;
  fs::path current = GetDriveFolder(letter);
  if (current.empty()) return kErrorPathNotFound;

  std::vector<std::wstring> parts;
  std::wstring part;
  auto flush = [&]() -> uint32_t {
    if (part.empty() || part == L".") {
    } else if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else {
      for (wchar_t c : part)
        if (IsInvalidNameChar(c)) return kErrorInvalidName;
      parts.push_back(part);
    }
    part.clear();
    return 0;
  };
  for (size_t i = 2; i < path.size(); ++i) {
    if (path[i] == L'\\' || path[i] == L'/') {
      if (uint32_t error = flush()) return error;
    } else {
      part.push_back(path[i]);
    }
  }
  if (uint32_t error = flush()) return error;

  // Walk the names: an exact match first, then a match without regard to
  // case; once a name is missing, the rest is new and keeps its case.
  bool existing = true;
  for (const std::wstring& name : parts) {
    std::string utf8 = ToUtf8(name);
    fs::path exact = current / utf8;
    std::error_code ec;
    if (!existing || fs::symlink_status(exact, ec).type() != fs::file_type::not_found) {
      current = exact;
      continue;
    }
    fs::path found;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
      if (NamesEqualIgnoringCase(FromUtf8(it->path().filename().string()), name)) {
        found = it->path();
        break;
      }
    }
    if (found.empty()) {
      existing = false;
      current = exact;
    } else {
      current = found;
    }
  }
  *host = current;
  return 0;
}

uint32_t WindowsErrorFromErrno(int error) {
  switch (error) {
    case 0: return kErrorSuccess;
    case ENOENT: return kErrorPathNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EBUSY:
    case ETXTBSY: return kErrorSharingViolation;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case EINVAL: return kErrorInvalidName;
    case EIO: return kErrorWriteFault;
    default: return kErrorWriteFault;
  }
}

uint32_t WindowsErrorFrom(const std::error_code& error) {
  if (!error) return 0;
  if (error.category() == std::generic_category() || error.category() == std::system_category())
    return WindowsErrorFromErrno(error.value());
  return kErrorWriteFault;
}

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    uint32_t c = static_cast<uint32_t>(wc);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::wstring FromUtf8(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= text.size() + (extra == 0 ? 1 : 0)) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    uint32_t c = extra == 0 ? b : b & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char n = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
      if ((n & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (n & 0x3F);
    }
    out.push_back(ok ? static_cast<wchar_t>(c) : static_cast<wchar_t>(0xFFFD));
    i += ok ? static_cast<size_t>(extra) + 1 : 1;
  }
  return out;
}

}  // namespace platform::posix
