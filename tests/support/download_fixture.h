// A headless main window with the three progress controls under which the
// downloads paint, the setup state pointing at it, and a destination drive
// "C:" in a temporary folder. The window's Exit button and close box behave
// as the setup's: the confirmation's Yes stops the downloads and closes the
// window, No lets them go on.
#ifndef VALDORINE_TESTS_SUPPORT_DOWNLOAD_FIXTURE_H
#define VALDORINE_TESTS_SUPPORT_DOWNLOAD_FIXTURE_H

#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/headless_window.h"
#include "platform/window.h"
#include "support/temp_folder.h"

namespace testing_support {

inline constexpr int kIdcProgress = 1003;
inline constexpr int kIdcProgressFile = 1047;
inline constexpr int kIdcProgressCount = 1048;
inline constexpr int kIdcExit = 173;
inline constexpr int kCmdConfirmExit = 2;

// The main window's handling of what the downloads need: the controls, the
// exit confirmation and the close box.
class ProgressWindowEvents : public platform::WindowEvents {
 public:
  explicit ProgressWindowEvents(platform::WindowSystem* system) : system_(system) {}
  void OnCreate(platform::Window* window) override;
  intptr_t OnCommand(platform::Window* window, int id, int code) override;
  void OnLinkClick(platform::Window* window, int id) override {}
  void OnDeviceChange(platform::Window* window, uint32_t event) override {}
  void OnClose(platform::Window* window) override;

 private:
  platform::WindowSystem* system_;
};

class ProgressWindow {
 public:
  // Resets the setup state (keepGoing 1, language 1, filesDone 0), creates
  // the window and maps the destination drive.
  ProgressWindow();
  // Puts the setup state, the drive table and the download's test seams back.
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  platform::headless::HeadlessWindowSystem& system() { return system_; }
  platform::headless::HeadlessWindow& window() { return *system_.window(); }

  platform::Control* fileLine() { return Handle(kIdcProgressFile); }
  platform::Control* counterLine() { return Handle(kIdcProgressCount); }
  platform::Control* bar() { return Handle(kIdcProgress); }
  platform::headless::ControlState& fileLineState() { return *window().Find(kIdcProgressFile); }
  platform::headless::ControlState& counterLineState() { return *window().Find(kIdcProgressCount); }
  platform::headless::ControlState& barState() { return *window().Find(kIdcProgress); }

  // The destination as the core sees it ("C:\\<relative>", backslashes) and
  // the same place on the host.
  std::wstring WindowsPath(const std::wstring& relative = L"") const;
  std::filesystem::path HostPath(const std::wstring& relative = L"") const;

  // Creates the host folder |relative| (with its parents).
  void MakeFolder(const std::wstring& relative);
  // Reads a host file. Returns false when it does not exist.
  bool ReadFile(const std::wstring& relative, std::string* bytes) const;
  void WriteFile(const std::wstring& relative, const std::string& bytes);
  // The names in the host folder |relative|, sorted (temporary files too).
  std::vector<std::string> FolderNames(const std::wstring& relative = L"") const;

 private:
  platform::Control* Handle(int id) { return window().HandleOf(window().Find(id)); }

  TempFolder temp_;
  platform::headless::HeadlessWindowSystem system_;
  ProgressWindowEvents events_{&system_};
};

}  // namespace testing_support

#endif  // VALDORINE_TESTS_SUPPORT_DOWNLOAD_FIXTURE_H
