// The web fetcher: one internet session at a time, and the download of one
// file or of a list of files into a folder with the progress shown.
#ifndef VALDORINE_DOWNLOAD_WEB_GRAB_H
#define VALDORINE_DOWNLOAD_WEB_GRAB_H

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/http.h"

namespace platform {
class Control;
}

namespace download {

// An ordered, constant list of complete URLs whose last entry is "end" (in
// any letter case).
using FileList = const wchar_t* const*;

// How a download ended. kStopped: the user confirmed Exit (keepGoing became 0)
// and the download ended quietly; nothing partial was kept.
enum class DownloadResult { kFailed = 0, kComplete = 1, kStopped = 2 };

// "Copying:" or "Copie de:", set by OpenSession from the language.
extern wchar_t copyingPrefix[80];
// Files completed by DownloadFileList since the main file set began; the
// progress bar's position.
extern int32_t filesDone;

// Wraps the platform's internet session.
class CWebGrabSession {
 public:
  // Creates the session; check IsOpen.
  explicit CWebGrabSession(const wchar_t* agent);
  ~CWebGrabSession();
  bool IsOpen() const { return session_ != nullptr; }
  // Releases the session handle.
  void Close();
  platform::HttpSession* http() { return session_.get(); }

 private:
  std::unique_ptr<platform::HttpSession> session_;
};

class CWebGrab {
 public:
  CWebGrab();
  ~CWebGrab();  // Closes the session.
  CWebGrab(const CWebGrab&) = delete;
  CWebGrab& operator=(const CWebGrab&) = delete;

  // Closes any session, sets copyingPrefix from the language and creates a
  // new session. Returns 1 when a session exists afterwards, 0 otherwise.
  int OpenSession(const wchar_t* agent);
  void CloseSession();

  // Downloads every entry of |list| into |destination| (which must exist),
  // saving ".dlk" as ".dll" when |rename| is non-zero, painting the file and
  // counter lines and setting the bar to filesDone after each file. Opens its
  // own session. Returns kComplete at "end", kFailed at the first failure
  // (after its message where the failure has one), kStopped when keepGoing
  // became 0 (before the next entry or during a file).
  DownloadResult DownloadFileList(platform::Control* fileLine, platform::Control* counterLine,
                                  platform::Control* progressBar, FileList list,
                                  const wchar_t* destination, int rename);

  // Downloads one URL into |destination|, ".dlk" always saved as ".dll". The
  // bar is not touched. Opens its own session.
  DownloadResult FetchFile(platform::Control* fileLine, platform::Control* counterLine,
                           const wchar_t* url, const wchar_t* destination);

 private:
  std::unique_ptr<CWebGrabSession> session_;
};

// Dispatches the main window's pending messages without waiting.
void PumpMessages();

// The calendar clock in whole seconds that the transfer rate is computed on;
// tests inject their own. Null restores the real clock.
void SetClockForTesting(std::function<int64_t()> clock);

// Where OpenSession gets its HTTP sessions: platform::CreateHttpSession unless
// a test substitutes a scripted client (to reach the failures a real client
// never produces, such as a session that cannot be created). Null restores it.
using HttpSessionFactory =
    std::function<std::unique_ptr<platform::HttpSession>(const wchar_t* agent)>;
void SetHttpSessionFactoryForTesting(HttpSessionFactory factory);

}  // namespace download

#endif  // VALDORINE_DOWNLOAD_WEB_GRAB_H
