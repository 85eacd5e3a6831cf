// Win32 only code. The registry.
#include "platform/registry.h"

#include <cwchar>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32.h"

namespace platform {
namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::kCurrentUser:
      return HKEY_CURRENT_USER;
  }
  return HKEY_LOCAL_MACHINE;
}

class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}

  uint32_t SetString(const wchar_t* name, const wchar_t* value) override {
    // The stored length counts the terminator, so readers get a complete string.
    const DWORD bytes = static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t));
    return static_cast<uint32_t>(
        ::RegSetValueExW(key_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes));
  }

 private:
  win32::ScopedRegKey key_;
};

}  // namespace

uint32_t CreateRegistryKey(RegistryRoot root, const wchar_t* subkey, const wchar_t* keyClass,
                           std::unique_ptr<RegistryKey>* key) {
  win32::ScopedRegKey created;
  LONG result = ::RegCreateKeyExW(RootKey(root), subkey, 0, const_cast<wchar_t*>(keyClass),
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  created.Receive(), nullptr);
  if (result != ERROR_SUCCESS) return static_cast<uint32_t>(result);
  *key = std::make_unique<Win32RegistryKey>(created.Release());
  return 0;
}

uint32_t ReadRegistryDefault(RegistryRoot root, const wchar_t* subkey, std::wstring* value) {
  win32::ScopedRegKey key;
  LONG result = ::RegOpenKeyExW(RootKey(root), subkey, 0, KEY_QUERY_VALUE, key.Receive());
  if (result != ERROR_SUCCESS) return static_cast<uint32_t>(result);
  // 260 characters; a longer value fails with ERROR_MORE_DATA.
  wchar_t buffer[260];
  LONG size = sizeof buffer;
  result = ::RegQueryValueW(key.Get(), nullptr, buffer, &size);
  if (result != ERROR_SUCCESS) return static_cast<uint32_t>(result);
  buffer[259] = L'\0';
  value->assign(buffer);
  return 0;
}

}  // namespace platform
