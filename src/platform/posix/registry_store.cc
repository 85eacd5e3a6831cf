// POSIX only code. The registry kept in one file in the registry editor's
// export format; see posix_registry.h.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/errors.h"
#include "platform/posix/posix_paths.h"
#include "platform/posix/posix_registry.h"
#include "platform/registry.h"

namespace platform {
namespace posix {
namespace {
namespace fs = std::filesystem;

// Codes of the registry functions that errors.h has no name for.
constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorRegistryCorrupt = 1015;

constexpr std::wstring_view kHeader = L"Windows Registry Editor Version 5.00";
constexpr std::wstring_view kOldHeader = L"REGEDIT4";

fs::path& ConfiguredFile() {
  static fs::path file;
  return file;
}

struct Value {
  std::wstring name;  // empty for the default value ("@")
  bool isString = true;
  // The text of a string value; for any other type the right-hand side as the
  // file holds it ("dword:00000001", "hex(2):41,00,..."), kept so that a
  // rewrite loses nothing.
  std::wstring data;
};

struct Key {
  std::wstring path;  // with its root: "HKEY_LOCAL_MACHINE\\Software\\..."
  std::vector<Value> values;
};

struct Store {
  std::vector<Key> keys;

  Key* Find(std::wstring_view path) {
    for (Key& key : keys)
      if (NamesEqualIgnoringCase(key.path, path)) return &key;
    return nullptr;
  }
  // A key exists when it has a section of its own or a subkey has one: the
  // registry editor creates the parents of every key it imports.
  bool Exists(std::wstring_view path) {
    for (const Key& key : keys) {
      if (NamesEqualIgnoringCase(key.path, path)) return true;
      if (key.path.size() > path.size() && key.path[path.size()] == L'\\' &&
          NamesEqualIgnoringCase(std::wstring_view(key.path).substr(0, path.size()), path)) {
        return true;
      }
    }
    return false;
  }
  Key& FindOrAdd(std::wstring_view path) {
    if (Key* key = Find(path)) return *key;
    keys.push_back({std::wstring(path), {}});
    return keys.back();
  }
  void RemoveTree(std::wstring_view path) {
    std::erase_if(keys, [&](const Key& key) {
      return NamesEqualIgnoringCase(key.path, path) ||
             (key.path.size() > path.size() && key.path[path.size()] == L'\\' &&
              NamesEqualIgnoringCase(std::wstring_view(key.path).substr(0, path.size()), path));
    });
  }
};

const wchar_t* RootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kLocalMachine:
      return L"HKEY_LOCAL_MACHINE";
    case RegistryRoot::kClassesRoot:
      return L"HKEY_CLASSES_ROOT";
    case RegistryRoot::kCurrentUser:
      return L"HKEY_CURRENT_USER";
  }
  return L"HKEY_LOCAL_MACHINE";
}

std::wstring JoinKey(const wchar_t* root, std::wstring_view subkey) {
  std::wstring path = root;
  while (!subkey.empty() && subkey.back() == L'\\') subkey.remove_suffix(1);
  if (!subkey.empty()) path.append(L"\\").append(subkey);
  return path;
}

// ---- Text encodings -------------------------------------------------------

std::wstring DecodeUtf16Le(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t unit = static_cast<unsigned char>(bytes[i]) |
                    (static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
      uint32_t low = static_cast<unsigned char>(bytes[i + 2]) |
                     (static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 3])) << 8);
      if (low >= 0xDC00 && low < 0xE000) {
        out.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
        i += 2;
        continue;
      }
    }
    out.push_back(static_cast<wchar_t>(unit));
  }
  return out;
}

void AppendUtf16Le(std::wstring_view text, std::string* out) {
  auto unit = [out](uint32_t u) {
    out->push_back(static_cast<char>(u & 0xFF));
    out->push_back(static_cast<char>(u >> 8));
  };
  for (wchar_t wc : text) {
    uint32_t c = static_cast<uint32_t>(wc);
    if (c >= 0x10000) {
      c -= 0x10000;
      unit(0xD800 + (c >> 10));
      unit(0xDC00 + (c & 0x3FF));
    } else {
      unit(c);
    }
  }
}

// ---- Reading --------------------------------------------------------------

// Reads a quoted string starting at text[*pos] == '"'; moves *pos past the
// closing quote. Returns false when it is not closed.
bool ReadQuoted(std::wstring_view text, size_t* pos, std::wstring* out) {
  out->clear();
  for (size_t i = *pos + 1; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'"') {
      *pos = i + 1;
      return true;
    }
    if (c == L'\\' && i + 1 < text.size()) {
      wchar_t next = text[++i];
      // Wine's editor writes a line break inside a value as \n.
      out->push_back(next == L'n' ? L'\n' : next);
    } else {
      out->push_back(c);
    }
  }
  return false;
}

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == L' ' || s.back() == L'\t' || s.back() == L'\r'))
    s.remove_suffix(1);
  return s;
}

uint32_t Parse(std::wstring_view text, Store* store) {
  std::vector<std::wstring_view> lines;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring_view::npos) end = text.size();
    lines.push_back(Trim(text.substr(start, end - start)));
    start = end + 1;
  }
  size_t n = 0;
  while (n < lines.size() && lines[n].empty()) ++n;
  if (n == lines.size() || (lines[n] != kHeader && lines[n] != kOldHeader))
    return kErrorRegistryCorrupt;

  Key* current = nullptr;
  for (++n; n < lines.size(); ++n) {
    std::wstring_view line = lines[n];
    if (line.empty() || line.front() == L';') continue;
    if (line.front() == L'[') {
      size_t close = line.rfind(L']');
      if (close == std::wstring_view::npos) return kErrorRegistryCorrupt;
      std::wstring_view path = line.substr(1, close - 1);
      if (!path.empty() && path.front() == L'-') {
        store->RemoveTree(path.substr(1));
        current = nullptr;
      } else {
        current = &store->FindOrAdd(path);
      }
      continue;
    }
    if (!current) continue;  // values of a deleted key
    Value value;
    size_t pos = 0;
    if (line.front() == L'@') {
      pos = 1;
    } else if (line.front() == L'"') {
      if (!ReadQuoted(line, &pos, &value.name)) return kErrorRegistryCorrupt;
    } else {
      return kErrorRegistryCorrupt;
    }
    std::wstring_view rest = Trim(line.substr(pos));
    if (rest.empty() || rest.front() != L'=') return kErrorRegistryCorrupt;
    rest = Trim(rest.substr(1));
    auto sameName = [&](const Value& v) { return NamesEqualIgnoringCase(v.name, value.name); };
    if (rest == L"-") {
      std::erase_if(current->values, sameName);
      continue;
    }
    if (!rest.empty() && rest.front() == L'"') {
      size_t end = 0;
      if (!ReadQuoted(rest, &end, &value.data)) return kErrorRegistryCorrupt;
    } else {
      // Binary data runs on over lines that end with a backslash.
      std::wstring raw(rest);
      while (!raw.empty() && raw.back() == L'\\' && n + 1 < lines.size()) {
        raw.pop_back();
        raw.append(lines[++n]);
      }
      value.isString = false;
      value.data = std::move(raw);
    }
    std::erase_if(current->values, sameName);
    current->values.push_back(std::move(value));
  }
  return 0;
}

// Loads the store; a missing file is an empty registry.
uint32_t Load(const fs::path& file, Store* store) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return 0;
    return kErrorAccessDenied;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::wstring text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text = DecodeUtf16Le(std::string_view(bytes).substr(2));
  } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = FromUtf8(std::string_view(bytes).substr(3));
  } else {
    text = FromUtf8(bytes);
  }
  return Parse(text, store);
}

// ---- Writing --------------------------------------------------------------

std::wstring Quote(std::wstring_view text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') out.push_back(L'\\');
    out.push_back(c);
  }
  out.push_back(L'"');
  return out;
}

std::string Serialize(const Store& store) {
  std::wstring text(kHeader);
  text.append(L"\r\n\r\n");
  for (const Key& key : store.keys) {
    text.append(L"[").append(key.path).append(L"]\r\n");
    for (const Value& value : key.values) {
      text.append(value.name.empty() ? L"@" : Quote(value.name));
      text.append(L"=").append(value.isString ? Quote(value.data) : value.data).append(L"\r\n");
    }
    text.append(L"\r\n");
  }
  std::string bytes = "\xFF\xFE";
  AppendUtf16Le(text, &bytes);
  return bytes;
}

// Replaces the file as a whole, so that a reader never sees half of it and a
// failed write leaves the previous registry in place.
uint32_t Save(const fs::path& file, const Store& store) {
  std::string bytes = Serialize(store);
  std::string temp = (file.parent_path() / (file.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return WindowsErrorFromErrno(errno);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      ::unlink(temp.c_str());
      return WindowsErrorFromErrno(error);
    }
    done += static_cast<size_t>(n);
  }
  ::fchmod(fd, 0644);
  if (::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), file.c_str()) != 0) {
    int error = errno;
    ::unlink(temp.c_str());
    return WindowsErrorFromErrno(error);
  }
  return 0;
}

uint32_t ResolveFile(fs::path* file) {
  *file = RegistryFile();
  return file->empty() ? kErrorPathNotFound : 0;
}

class StoreKey : public RegistryKey {
 public:
  StoreKey(fs::path file, std::wstring path) : file_(std::move(file)), path_(std::move(path)) {}

  uint32_t SetString(const wchar_t* name, const wchar_t* value) override {
    if (!value) return kErrorInvalidParameter;
    Store store;
    if (uint32_t error = Load(file_, &store)) return error;
    Key& key = store.FindOrAdd(path_);
    std::wstring valueName = name ? name : L"";
    Value* slot = nullptr;
    for (Value& v : key.values)
      if (NamesEqualIgnoringCase(v.name, valueName)) slot = &v;
    if (!slot) {
      key.values.push_back({valueName, true, L""});
      slot = &key.values.back();
    }
    slot->isString = true;
    slot->data = value;
    return Save(file_, store);
  }

 private:
  fs::path file_;
  std::wstring path_;
};

}  // namespace

void SetRegistryFile(const fs::path& path) {
  ConfiguredFile() = path;
}

fs::path RegistryFile() {
  if (!ConfiguredFile().empty()) return ConfiguredFile();
  fs::path drive = GetDriveFolder(L'C');
  return drive.empty() ? fs::path() : drive / "registry.reg";
}

}  // namespace posix

uint32_t CreateRegistryKey(RegistryRoot root, const wchar_t* subkey, const wchar_t* keyClass,
                           std::unique_ptr<RegistryKey>* key) {
  // The class of a key has no place in the export format; nothing reads it.
  if (!subkey) return kErrorInvalidParameter;
  std::filesystem::path file;
  if (uint32_t error = posix::ResolveFile(&file)) return error;
  posix::Store store;
  if (uint32_t error = posix::Load(file, &store)) return error;
  std::wstring path = posix::JoinKey(posix::RootName(root), subkey);
  if (!store.Find(path)) {
    store.FindOrAdd(path);
    if (uint32_t error = posix::Save(file, store)) return error;
  }
  *key = std::make_unique<posix::StoreKey>(file, path);
  return 0;
}

uint32_t ReadRegistryDefault(RegistryRoot root, const wchar_t* subkey, std::wstring* value) {
  if (!subkey) return kErrorInvalidParameter;
  std::filesystem::path file;
  if (posix::ResolveFile(&file) != 0) return kErrorFileNotFound;
  posix::Store store;
  if (uint32_t error = posix::Load(file, &store)) return error;

  // HKEY_CLASSES_ROOT is a view of the user's classes over the machine's.
  std::vector<std::wstring> candidates;
  if (root == RegistryRoot::kClassesRoot) {
    candidates = {posix::JoinKey(L"HKEY_CURRENT_USER\\Software\\Classes", subkey),
                  posix::JoinKey(L"HKEY_CLASSES_ROOT", subkey),
                  posix::JoinKey(L"HKEY_LOCAL_MACHINE\\Software\\Classes", subkey)};
  } else {
    candidates = {posix::JoinKey(posix::RootName(root), subkey)};
  }
  for (const std::wstring& path : candidates) {
    if (!store.Exists(path)) continue;
    value->clear();
    if (const posix::Key* key = store.Find(path)) {
      for (const posix::Value& v : key->values) {
        if (!v.name.empty()) continue;
        if (!v.isString) return posix::kErrorInvalidData;
        *value = v.data;
      }
    }
    // A key without a default value reads as empty, as RegQueryValueW does.
    return 0;
  }
  return kErrorFileNotFound;
}

}  // namespace platform
