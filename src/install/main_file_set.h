// Puts the product itself on disk: its folder tree and its thirteen lists.
#ifndef VALDORINE_INSTALL_MAIN_FILE_SET_H
#define VALDORINE_INSTALL_MAIN_FILE_SET_H

#include <cstdint>
#include <functional>

namespace platform {
class Control;
class Window;
}  // namespace platform

namespace install {

enum class MainFilesResult {
  kFailed = 0,    // reported in a message box; nothing more was downloaded
  kComplete = 1,  // every list was handled
  kStopped = 2,   // the user confirmed Exit during a download: end quietly
};

// Creates the product's folder tree under |baseFolder| (the install folder)
// and downloads the thirteen lists with the progress shown on |progressBar|,
// |fileLine| and |counterLine|. The first three lists are required.
MainFilesResult InstallMainFiles(platform::Window* window, const wchar_t* baseFolder,
                                 platform::Control* progressBar, platform::Control* fileLine,
                                 platform::Control* counterLine);

// The half-second pause that shows the full bar; tests replace it. Null
// restores the real pause.
void SetPauseForTesting(std::function<void(uint32_t)> pause);

}  // namespace install

#endif  // VALDORINE_INSTALL_MAIN_FILE_SET_H
