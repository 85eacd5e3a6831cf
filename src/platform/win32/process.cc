// Win32 only code.
#include "platform/process.h"

#include <cwchar>
#include <vector>

#include "platform/win32/win32.h"
// clang-format off
#include <objbase.h>
// clang-format on

namespace platform {

bool StartProgram(const wchar_t* program, const wchar_t* commandLine, const wchar_t* workingFolder,
                  ShowCommand show) {
  // CreateProcessW may write into the command line, so it gets a copy.
  std::vector<wchar_t> line;
  if (commandLine) {
    line.assign(commandLine, commandLine + std::wcslen(commandLine));
    line.push_back(L'\0');
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(program, line.empty() ? nullptr : line.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE, nullptr, workingFolder, &startup, &info))
    return false;
  // Started and left alone: the handles are not needed.
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return true;
}

void EndProcess(int status) {
  ::ExitProcess(static_cast<UINT>(status));
}

void SleepMilliseconds(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

ComScope::ComScope() : initialized_(::CoInitialize(nullptr) == S_OK) {}

ComScope::~ComScope() {
  if (initialized_) ::CoUninitialize();
}

}  // namespace platform
