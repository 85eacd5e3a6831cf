#include "install/main_file_set.h"

#include <memory>

#include "download/web_grab.h"
#include "install/main_file_lists.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/window.h"
#include "setup/bounded_format.h"
#include "setup/setup_state.h"

namespace install {
namespace {

using setup::state;

constexpr const wchar_t kCaption[] = L"Valdorine Install";

std::function<void(uint32_t)>& Pause() {
  static std::function<void(uint32_t)> pause;
  return pause;
}

// The one fetcher of the file set, kept until the process ends.
download::CWebGrab& MainFetcher() {
  static download::CWebGrab mainFetcher;
  return mainFetcher;
}

void ShowError(const wchar_t* text) {
  state.instance->ShowMessage(nullptr, text, kCaption, platform::MessageIcon::kError);
}

// Creates the tree one level at a time where nothing exists yet. A plain file
// of a folder's name counts as existing; the lists below it then fail.
bool CreateFolderTree(platform::Window* window, const wchar_t* baseFolder) {
  for (const wchar_t* folder : kMainFolderTree) {
    wchar_t path[setup::kPathCapacity];
    bool fits = setup::FormatInto(path, L"%s/%s", baseFolder, folder) == setup::kFormatOk;
    if (fits && platform::PathExists(path)) continue;
    // A cut path would create a folder under another name: fail instead.
    uint32_t error = fits ? platform::CreateFolder(path) : 1;
    if (error != 0) {
      wchar_t text[1024];
      setup::FormatInto(text, L"Could not create %s!", path);
      state.instance->ShowMessage(window, text, kCaption, platform::MessageIcon::kWarning);
      return false;
    }
  }
  return true;
}

}  // namespace

void SetPauseForTesting(std::function<void(uint32_t)> pause) {
  Pause() = std::move(pause);
}

MainFilesResult InstallMainFiles(platform::Window* window, const wchar_t* baseFolder,
                                 platform::Control* progressBar, platform::Control* fileLine,
                                 platform::Control* counterLine) {
  download::CWebGrab& fetcher = MainFetcher();

  window->SetProgressRange(progressBar, 0, kProgressRange);
  window->SetProgressStep(progressBar, 1);
  window->SetProgressPosition(progressBar, 0);

  if (!CreateFolderTree(window, baseFolder)) return MainFilesResult::kFailed;

  download::filesDone = 0;
  if (!fetcher.OpenSession(L"Valdorine")) {
    ShowError(L"Could not initialize the session. Aborting.");
    return MainFilesResult::kFailed;
  }

  for (const MainList& list : kMainLists) {
    const wchar_t* base =
        list.base == ListBase::kCacheFolder ? state.cacheFolder : state.installFolder;
    wchar_t destination[setup::kPathCapacity];
    download::DownloadResult result = download::DownloadResult::kFailed;
    // A destination that does not fit is never written to under a cut name.
    if (setup::FormatInto(destination, list.destination, base) == setup::kFormatOk) {
      result = fetcher.DownloadFileList(fileLine, counterLine, progressBar, list.files, destination,
                                        list.rename);
    }
    if (result == download::DownloadResult::kStopped) {
      // The user asked to leave: nothing more, and nothing to report.
      fetcher.CloseSession();
      return MainFilesResult::kStopped;
    }
    if (result == download::DownloadResult::kFailed && list.failureMessage) {
      fetcher.CloseSession();
      ShowError(list.failureMessage);
      return MainFilesResult::kFailed;
    }
  }
  fetcher.CloseSession();

  window->SetProgressPosition(progressBar, kProgressRange);
  window->Update(progressBar);
  if (Pause())
    Pause()(500);
  else
    platform::SleepMilliseconds(500);
  window->Show(progressBar, platform::kShowHide);

  if (window->IsVisible(fileLine)) window->PaintText(fileLine, L"", false);
  window->Show(fileLine, platform::kShowHide);
  window->Show(counterLine, platform::kShowHide);
  return MainFilesResult::kComplete;
}

}  // namespace install
