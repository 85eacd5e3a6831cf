// The real program: install.exe starts, shows its window in the middle of the
// screen, asks before closing from the exit command, and ends with status 1.
// Its resources (icons, bitmaps, dialog, manifest) are checked in the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32.h"
// clang-format off
#include <commctrl.h>
// clang-format on

namespace {

using platform::win32::ScopedKernelHandle;
using platform::win32::ScopedModule;

constexpr DWORD kStartTimeoutMs = 20000;

// The program beside the test program in the build tree
// (<build>/tests/win_tests.exe, <build>/src/platform/win32/install.exe), or
// the one VALDORINE_INSTALL_EXE names.
std::wstring InstallExePath() {
  if (const wchar_t* path = _wgetenv(L"VALDORINE_INSTALL_EXE"); path && *path) return path;
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring build(self, n);
  for (int level = 0; level < 2; ++level) build.resize(build.find_last_of(L"\\/"));
  return build + L"\\src\\platform\\win32\\install.exe";
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

struct Search {
  DWORD processId;
  const wchar_t* className;
  HWND owner;
  HWND found;
};

// A visible top-level window of |processId| with |className| (and |owner|,
// when given).
HWND FindProcessWindow(DWORD processId, const wchar_t* className, HWND owner = nullptr) {
  Search search = {processId, className, owner, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (pid == s->processId && wcscmp(name, s->className) == 0 && IsWindowVisible(window) &&
            (!s->owner || GetWindow(window, GW_OWNER) == s->owner)) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class SetupProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::wstring program = InstallExePath();
    ASSERT_NE(GetFileAttributesW(program.c_str()), INVALID_FILE_ATTRIBUTES)
        << "install.exe not built";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info));
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    processId_ = info.dwProcessId;
    main_ = WaitFor([&] { return FindProcessWindow(processId_, L"ValdorineSetupClass"); });
    ASSERT_NE(main_, nullptr) << "no main window within 20 s";
    // The window shows itself before its page: wait until the setup waits for
    // the user.
    WaitForInputIdle(process_.Get(), kStartTimeoutMs);
  }

  void TearDown() override {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.Get(), 99);
      WaitForSingleObject(process_.Get(), 5000);
    }
  }

  template <typename Find>
  static HWND WaitFor(Find find) {
    for (DWORD waited = 0; waited < kStartTimeoutMs; waited += 50) {
      if (HWND window = find()) return window;
      Sleep(50);
    }
    return nullptr;
  }

  // The exit status once the process has ended, or -1 after 20 s.
  long ExitStatus() {
    if (WaitForSingleObject(process_.Get(), kStartTimeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD status = 0;
    GetExitCodeProcess(process_.Get(), &status);
    return static_cast<long>(status);
  }

  HWND OpenExitConfirmation() {
    PostMessageW(main_, WM_COMMAND, MAKEWPARAM(2, 0), 0);  // CMD_CONFIRM_EXIT
    return WaitFor([&] { return FindProcessWindow(processId_, L"#32770", main_); });
  }

  ScopedKernelHandle process_;
  DWORD processId_ = 0;
  HWND main_ = nullptr;
};

TEST_F(SetupProgramTest, MainWindowIsCentredAndTheCloseBoxEndsWithStatusOne) {
  EXPECT_EQ(TextOf(main_), L"Valdorine Setup");
  RECT r;
  ASSERT_TRUE(GetWindowRect(main_, &r));
  EXPECT_EQ(r.right - r.left, 572);
  EXPECT_EQ(r.bottom - r.top, 720);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 572) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 720) / 2);
  LONG style = GetWindowLongW(main_, GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

  // The main page, with command links: the manifest brought the version 6
  // common controls (the older buttons know no notes).
  HWND title = GetDlgItem(main_, 1071);
  EXPECT_EQ(TextOf(title), L"Welcome to the Valdorine setup");
  EXPECT_TRUE(IsWindowVisible(title));
  EXPECT_GT(SendMessageW(GetDlgItem(main_, 1087), BCM_GETNOTELENGTH, 0, 0), 0);

  PostMessageW(main_, WM_CLOSE, 0, 0);
  EXPECT_EQ(ExitStatus(), 1);
}

TEST_F(SetupProgramTest, ExitConfirmationAsksAndOnlyYesCloses) {
  HWND dialog = OpenExitConfirmation();
  ASSERT_NE(dialog, nullptr) << "no exit confirmation";
  EXPECT_EQ(TextOf(dialog), L" Valdorine");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 1)), L"Yes");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 2)), L"No");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 1089)),
            L"Do you want to close the Valdorine installation Setup?");

  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_NE(WaitFor([&] { return IsWindow(dialog) ? nullptr : main_; }), nullptr);
  EXPECT_TRUE(IsWindow(main_));
  EXPECT_EQ(WaitForSingleObject(process_.Get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));

  dialog = OpenExitConfirmation();
  ASSERT_NE(dialog, nullptr) << "no exit confirmation the second time";
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(ExitStatus(), 1);
}

TEST(SetupProgramResourcesTest, IconsBitmapsDialogAndManifestAreInTheProgram) {
  std::wstring program = InstallExePath();
  ScopedModule module(LoadLibraryExW(program.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(module) << "cannot open install.exe";
  HINSTANCE resources = module.Get();

  struct IconCase {
    int id, size;
  };
  for (IconCase c : {IconCase{1, 48}, IconCase{1, 16}, IconCase{199, 96}}) {
    SCOPED_TRACE(testing::Message() << "icon " << c.id << " at " << c.size);
    HICON icon = static_cast<HICON>(
        LoadImageW(resources, MAKEINTRESOURCEW(c.id), IMAGE_ICON, c.size, c.size, LR_VGACOLOR));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap = {};
    GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, c.size);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  for (int id : {194, 195, 196, 197, 198, 203, 204, 205, 206, 207}) {
    SCOPED_TRACE(testing::Message() << "bitmap " << id);
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(resources, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 32);
    DeleteObject(bitmap);
  }
  EXPECT_NE(FindResourceW(resources, MAKEINTRESOURCEW(103), MAKEINTRESOURCEW(5)), nullptr)
      << "no exit confirmation dialog";

  HRSRC found = FindResourceW(resources, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr) << "no manifest";
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(resources, found)));
  std::string manifest(bytes, SizeofResource(resources, found));
  for (const char* part :
       {"name=\"install.exe\"", "version=\"5.1.0.0\"", "<description>Install</description>",
        "Microsoft.Windows.Common-Controls", "level=\"requireAdministrator\"", "uiAccess=\"false\"",
        sizeof(void*) == 8 ? "\"amd64\"" : "\"x86\""}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

}  // namespace
