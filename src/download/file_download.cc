// The download of one file or of a file list into a folder, with the file
// being copied and the bytes received painted under the progress bar.
#include <cstring>
#include <ctime>
#include <cwctype>
#include <memory>
#include <optional>
#include <utility>

#include "download/web_grab.h"
#include "platform/files.h"
#include "platform/http.h"
#include "platform/window.h"
#include "setup/bounded_format.h"
#include "setup/setup_state.h"

namespace download {

namespace {

constexpr wchar_t kAgent[] = L"Valdorine";
constexpr wchar_t kCaption[] = L"Valdorine Install";
constexpr int kNameCapacity = 256;
constexpr int kFileLineCapacity = 260;
constexpr int kCounterLineCapacity = 1024;
constexpr size_t kBlockBufferSize = 4096;
static_assert(platform::kHttpBlockSize < kBlockBufferSize);

std::function<int64_t()>& Clock() {
  static std::function<int64_t()> clock;
  return clock;
}

int64_t Now() {
  if (Clock()) return Clock()();
  return static_cast<int64_t>(std::time(nullptr));
}

bool EqualsIgnoringCase(const wchar_t* a, const wchar_t* b) {
  for (; *a && *b; ++a, ++b)
    if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b)))
      return false;
  return *a == *b;
}

void ShowError(const wchar_t* text) {
  if (setup::state.instance)
    setup::state.instance->ShowMessage(nullptr, text, kCaption, platform::MessageIcon::kError);
}

// Both lines follow the file line's visibility: the callers show and hide the
// three progress controls together.
void PaintLine(platform::Control* fileLine, platform::Control* target, const wchar_t* text) {
  platform::Window* window = setup::state.mainWindow;
  if (window && window->IsVisible(fileLine)) window->PaintText(target, text, true);
}

// Splits the last segment of |url| into the name (up to its last dot) and the
// extension (from that dot). Returns false when either does not fit its
// buffer or the segment is empty: no file may be written under a cut name.
bool SplitName(const wchar_t* url, wchar_t (&name)[kNameCapacity], wchar_t (&ext)[kNameCapacity]) {
  const wchar_t* segment = url;
  for (const wchar_t* p = url; *p; ++p)
    if (*p == L'/' || *p == L'\\') segment = p + 1;
  const wchar_t* dot = nullptr;
  for (const wchar_t* p = segment; *p; ++p)
    if (*p == L'.') dot = p;
  size_t segmentLength = std::wcslen(segment);
  size_t nameLength = dot ? static_cast<size_t>(dot - segment) : segmentLength;
  size_t extLength = segmentLength - nameLength;
  if (segmentLength == 0 || nameLength >= kNameCapacity || extLength >= kNameCapacity) return false;
  std::wmemcpy(name, segment, nameLength);
  name[nameLength] = 0;
  std::wmemcpy(ext, segment + nameLength, extLength);
  ext[extLength] = 0;
  return true;
}

struct FileTarget {
  platform::Control* fileLine;
  platform::Control* counterLine;
  const wchar_t* url;
  const wchar_t* destination;
  bool renameLibrary;  // save ".dlk" as ".dll"
};

// Fetches one URL over |session| into its destination folder. The file
// appears under its name only once its whole body has arrived; a failure or a
// stop leaves the folder as it was.
DownloadResult DownloadOne(platform::HttpSession* session, const FileTarget& target) {
  std::unique_ptr<platform::HttpResponse> response;
  if (session->Open(target.url, &response) != 0) return DownloadResult::kFailed;
  if (!response) {
    ShowError(L"Could not open the URL. Aborting.");
    return DownloadResult::kFailed;
  }
  const int64_t start = Now();

  // An error status fails the file even with a Content-Length: its body is
  // the server's error page, never the program it would be stored as.
  const std::optional<uint32_t> announced = response->ContentLength();
  if (response->StatusCode() >= 400) return DownloadResult::kFailed;
  const uint32_t expected = announced.value_or(0);

  wchar_t name[kNameCapacity];
  wchar_t servedExt[kNameCapacity];
  if (!SplitName(target.url, name, servedExt)) return DownloadResult::kFailed;
  const wchar_t* localExt =
      target.renameLibrary && EqualsIgnoringCase(servedExt, L".dlk") ? L".dll" : servedExt;

  wchar_t localPath[setup::kPathCapacity];
  if (setup::FormatInto(localPath, L"%s\\%s%s", target.destination, name, localExt) !=
      setup::kFormatOk)
    return DownloadResult::kFailed;

  std::unique_ptr<platform::OutputFile> file;
  if (platform::CreateOutputFile(localPath, &file) != 0) return DownloadResult::kFailed;

  wchar_t fileLine[kFileLineCapacity];
  setup::FormatInto(fileLine, L"%s %s%s", copyingPrefix, name, servedExt);
  PaintLine(target.fileLine, target.fileLine, fileLine);

  unsigned char block[kBlockBufferSize];
  wchar_t counterLine[kCounterLineCapacity];
  uint64_t received = 0;
  for (;;) {
    PumpMessages();
    // keepGoing changes only inside the pump (the exit confirmation, the
    // close box); a stopped file is dropped, never kept half written.
    if (!setup::state.keepGoing) return DownloadResult::kStopped;
    size_t count = 0;
    if (response->Read(block, platform::kHttpBlockSize, &count) != 0)
      return DownloadResult::kFailed;
    if (count == 0) break;
    if (file->Write(block, count) != 0) return DownloadResult::kFailed;
    received += count;

    const uint32_t shown = static_cast<uint32_t>(received);
    const int64_t seconds = Now() - start;
    if (seconds > 0) {
      double rate = static_cast<double>(shown) / 1024 / static_cast<double>(seconds);
      setup::FormatInto(counterLine, L"%ld / %ld  (%0.1f Kb/s)", shown, expected, rate);
    } else {
      setup::FormatInto(counterLine, L"%ld / %ld", shown, expected);
    }
    PaintLine(target.fileLine, target.counterLine, counterLine);
  }

  // A body cut short of its announced length is not the file.
  if (announced && received != *announced) return DownloadResult::kFailed;
  if (file->Commit() != 0) return DownloadResult::kFailed;
  return DownloadResult::kComplete;
}

}  // namespace

void PumpMessages() {
  if (setup::state.instance && setup::state.mainWindow)
    setup::state.instance->PumpMessages(setup::state.mainWindow);
}

void SetClockForTesting(std::function<int64_t()> clock) {
  Clock() = std::move(clock);
}

DownloadResult CWebGrab::DownloadFileList(platform::Control* fileLine,
                                          platform::Control* counterLine,
                                          platform::Control* progressBar, FileList list,
                                          const wchar_t* destination, int rename) {
  if (!OpenSession(kAgent)) {
    ShowError(L"Could not initialize the session. Aborting.");
    return DownloadResult::kFailed;
  }
  for (FileList entry = list;; ++entry) {
    if (EqualsIgnoringCase(*entry, L"end")) return DownloadResult::kComplete;
    if (!setup::state.keepGoing) return DownloadResult::kStopped;
    DownloadResult result =
        DownloadOne(session_->http(), {fileLine, counterLine, *entry, destination, rename != 0});
    if (result != DownloadResult::kComplete) return result;
    ++filesDone;
    if (setup::state.mainWindow)
      setup::state.mainWindow->SetProgressPosition(progressBar, filesDone);
  }
}

DownloadResult CWebGrab::FetchFile(platform::Control* fileLine, platform::Control* counterLine,
                                   const wchar_t* url, const wchar_t* destination) {
  if (!OpenSession(kAgent)) {
    ShowError(L"Could not initialize the session. Aborting.");
    return DownloadResult::kFailed;
  }
  if (!setup::state.keepGoing) return DownloadResult::kStopped;
  return DownloadOne(session_->http(), {fileLine, counterLine, url, destination, true});
}

}  // namespace download
