// Win32 only code. Special folders, shell links and opening documents with
// the shell. (Known folders live in known_folders.cc.)
#include "platform/shell.h"

#include "platform/process.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/win32.h"
// clang-format off
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on

namespace platform {
namespace {

int Csidl(SpecialFolder folder) {
  switch (folder) {
    case SpecialFolder::kStartMenu:
      return CSIDL_STARTMENU;
    case SpecialFolder::kPrograms:
      return CSIDL_PROGRAMS;
    case SpecialFolder::kDesktopDirectory:
      return CSIDL_DESKTOPDIRECTORY;
  }
  return CSIDL_STARTMENU;
}

// An item identifier list from the shell, freed with the task allocator.
class ScopedIdList {
 public:
  ScopedIdList() = default;
  ~ScopedIdList() { ::CoTaskMemFree(list_); }
  ScopedIdList(const ScopedIdList&) = delete;
  ScopedIdList& operator=(const ScopedIdList&) = delete;
  PIDLIST_ABSOLUTE* Receive() { return &list_; }
  PCIDLIST_ABSOLUTE Get() const { return list_; }

 private:
  PIDLIST_ABSOLUTE list_ = nullptr;
};

}  // namespace

bool GetSpecialFolder(SpecialFolder folder, std::wstring* path) {
  ScopedIdList list;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, Csidl(folder), list.Receive())) || !list.Get())
    return false;
  wchar_t buffer[MAX_PATH];
  if (!::SHGetPathFromIDListW(list.Get(), buffer)) return false;
  path->assign(buffer);
  return true;
}

bool CreateShellLink(const wchar_t* target, const wchar_t* linkPath, const wchar_t* description) {
  // COM for the length of this call; the setup's own initialisation makes
  // this a nested one that is undone at once.
  ComScope com;
  win32::ComPtr<IShellLinkW> link;
  if (FAILED(win32::CreateComInstance(CLSID_ShellLink, &link))) return false;
  // As the shell's own shortcut dialog, the link is saved whatever these say.
  link->SetPath(target);
  link->SetDescription(description);
  win32::ComPtr<IPersistFile> file;
  if (FAILED(link.As(&file))) return false;
  file->Save(linkPath, TRUE);
  return true;
}

intptr_t ShellOpen(const wchar_t* address, int showCommand) {
  return reinterpret_cast<intptr_t>(
      ::ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, showCommand));
}

}  // namespace platform
