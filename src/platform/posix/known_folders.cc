// POSIX only code. Known and special folders come from the backend's
// configuration, with defaults under the C: drive.
#include <cstdlib>
#include <map>

#include "platform/posix/posix_config.h"
#include "platform/shell.h"

namespace platform {
namespace posix {
namespace {

std::wstring UserFolder() {
  std::wstring user = L"user";
  if (const char* name = std::getenv("USER"); name && *name) {
    user.clear();
    for (const char* p = name; *p; ++p) user.push_back(static_cast<wchar_t>(*p));
  }
  return L"C:\\users\\" + user;
}

struct Folders {
  std::map<KnownFolder, std::optional<std::wstring>> known;
  std::map<SpecialFolder, std::optional<std::wstring>> special;
  Folders() { Reset(); }
  void Reset() {
    std::wstring user = UserFolder();
    known = {{KnownFolder::kProgramFiles, L"C:\\Program Files"},
             {KnownFolder::kDocuments, user + L"\\Documents"},
             {KnownFolder::kLocalAppData, user + L"\\AppData\\Local"}};
    std::wstring roaming = user + L"\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
    special = {{SpecialFolder::kStartMenu, roaming},
               {SpecialFolder::kPrograms, roaming + L"\\Programs"},
               {SpecialFolder::kDesktopDirectory, user + L"\\Desktop"}};
  }
};

Folders& TheFolders() {
  static Folders folders;
  return folders;
}

}  // namespace

void SetKnownFolder(KnownFolder folder, std::optional<std::wstring> path) {
  TheFolders().known[folder] = std::move(path);
}
void SetSpecialFolder(SpecialFolder folder, std::optional<std::wstring> path) {
  TheFolders().special[folder] = std::move(path);
}
void ResetFolders() { TheFolders().Reset(); }

}  // namespace posix

bool GetKnownFolder(KnownFolder folder, std::wstring* path) {
  const auto& value = posix::TheFolders().known[folder];
  if (!value) return false;
  *path = *value;
  return true;
}

bool GetSpecialFolder(SpecialFolder folder, std::wstring* path) {
  const auto& value = posix::TheFolders().special[folder];
  if (!value) return false;
  *path = *value;
  return true;
}

}  // namespace platform
