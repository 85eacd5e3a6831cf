#include "support/download_fixture.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "download/web_grab.h"
#include "setup/setup_state.h"

#ifndef _WIN32
#include "platform/posix/posix_paths.h"
#endif

namespace testing_support {

namespace fs = std::filesystem;

void ProgressWindowEvents::OnCreate(platform::Window* window) {
  using platform::ControlClass;
  using platform::ControlFont;
  using platform::kWsVisible;
  const platform::ControlSpec descs[] = {
      {kIdcProgress, ControlClass::kProgress, kWsVisible, 520, 10, nullptr, ControlFont::kDefault},
      {kIdcProgressFile, ControlClass::kStatic, kWsVisible, 100, 15, nullptr,
       ControlFont::kControl},
      {kIdcProgressCount, ControlClass::kStatic, kWsVisible | platform::kSsRight, 100, 15, nullptr,
       ControlFont::kControl},
      {kIdcExit, ControlClass::kButton, kWsVisible, 80, 25, L"Exit", ControlFont::kDefault},
  };
  for (const auto& desc : descs) window->CreateControl(desc);
  window->ShowWindow(platform::kShowNormal);
}

intptr_t ProgressWindowEvents::OnCommand(platform::Window* window, int id, int code) {
  if (id == kIdcExit) return window->SendCommand(kCmdConfirmExit);
  if (id != kCmdConfirmExit) return 1;
  if (system_->ConfirmExit(window, L"Exit the setup?", L"Yes", L"No")) {
    setup::state.keepGoing = 0;
    window->Close();
  }
  return 1;
}

void ProgressWindowEvents::OnClose(platform::Window* window) {
  setup::state.keepGoing = 0;
}

ProgressWindow::ProgressWindow() {
  setup::ResetSetupStateForTesting();
  setup::state.language = 1;
  setup::state.keepGoing = 1;
  download::filesDone = 0;
#ifndef _WIN32
  platform::posix::SetDriveFolder(L'C', temp_.path());
#endif
  setup::state.instance = &system_;
  setup::state.mainWindow = system_.CreateMainWindow(L"Valdorine", 572, 720, &events_);
}

ProgressWindow::~ProgressWindow() {
  download::SetClockForTesting(nullptr);
  download::SetHttpSessionFactoryForTesting(nullptr);
  download::filesDone = 0;
  setup::ResetSetupStateForTesting();
#ifndef _WIN32
  platform::posix::SetDriveFolder(L'C', fs::path());
#endif
}

std::wstring ProgressWindow::WindowsPath(const std::wstring& relative) const {
#ifdef _WIN32
  std::wstring base = temp_.path().wstring();
#else
  std::wstring base = L"C:";
#endif
  return relative.empty() ? base : base + L"\\" + relative;
}

fs::path ProgressWindow::HostPath(const std::wstring& relative) const {
  std::wstring portable = relative;
  std::replace(portable.begin(), portable.end(), L'\\', L'/');
  return relative.empty() ? temp_.path() : temp_.path() / fs::path(portable);
}

void ProgressWindow::MakeFolder(const std::wstring& relative) {
  fs::create_directories(HostPath(relative));
}

bool ProgressWindow::ReadFile(const std::wstring& relative, std::string* bytes) const {
  std::ifstream in(HostPath(relative), std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

void ProgressWindow::WriteFile(const std::wstring& relative, const std::string& bytes) {
  std::ofstream out(HostPath(relative), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> ProgressWindow::FolderNames(const std::wstring& relative) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(HostPath(relative), ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testing_support
