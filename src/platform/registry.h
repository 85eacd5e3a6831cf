// The registry: the uninstall key under HKEY_LOCAL_MACHINE and the document
// classes under HKEY_CLASSES_ROOT.
#ifndef VALDORINE_PLATFORM_REGISTRY_H
#define VALDORINE_PLATFORM_REGISTRY_H

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

enum class RegistryRoot { kLocalMachine, kClassesRoot, kCurrentUser };

// An open registry key; closed on destruction.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Sets a REG_SZ value whose stored length counts the terminator. Returns 0
  // or a system error code.
  virtual uint32_t SetString(const wchar_t* name, const wchar_t* value) = 0;
};

// Creates or opens |subkey| under |root| (RegCreateKeyExW, non-volatile,
// KEY_ALL_ACCESS) with |keyClass| given at creation. Returns 0 and sets |key|,
// or a system error code.
uint32_t CreateRegistryKey(RegistryRoot root, const wchar_t* subkey, const wchar_t* keyClass,
                           std::unique_ptr<RegistryKey>* key);

// Reads the default value of |subkey| under |root| (RegOpenKeyExW with
// KEY_QUERY_VALUE, RegQueryValueW). Returns 0 and sets |value|, or a system
// error code (kErrorFileNotFound for a missing key). As RegQueryValueW does,
// a key without a default value reads as empty.
uint32_t ReadRegistryDefault(RegistryRoot root, const wchar_t* subkey, std::wstring* value);

}  // namespace platform

#endif  // VALDORINE_PLATFORM_REGISTRY_H
