// Win32 only code.
#include "platform/shell.h"
#include "platform/win32/win32.h"
// clang-format off
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
// clang-format on

namespace platform {

bool GetKnownFolder(KnownFolder folder, std::wstring* path) {
  const KNOWNFOLDERID* id = &FOLDERID_ProgramFiles;
  switch (folder) {
    case KnownFolder::kProgramFiles:
      id = &FOLDERID_ProgramFiles;
      break;
    case KnownFolder::kDocuments:
      id = &FOLDERID_Documents;
      break;
    case KnownFolder::kLocalAppData:
      id = &FOLDERID_LocalAppData;
      break;
  }
  PWSTR found = nullptr;
  HRESULT result = ::SHGetKnownFolderPath(*id, 0, nullptr, &found);
  bool ok = SUCCEEDED(result) && found != nullptr;
  if (ok) path->assign(found);
  ::CoTaskMemFree(found);  // freed on failure too: the call may still allocate
  return ok;
}

}  // namespace platform
