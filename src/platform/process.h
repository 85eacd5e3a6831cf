// Processes: starting programs, pausing, ending the setup.
#ifndef VALDORINE_PLATFORM_PROCESS_H
#define VALDORINE_PLATFORM_PROCESS_H

#include <cstdint>

namespace platform {

// The show requests of ShowWindow / STARTUPINFO.
enum ShowCommand : int {
  kShowHide = 0,
  kShowNormal = 1,
  kShowMaximized = 3,
  kShowShow = 5,
};

// Starts |program| with |commandLine| (may be null: no arguments; when
// |program| is null the command line names the program) in |workingFolder|
// (null: the setup's own), asking its first window to open as |show|. Does not
// wait. Returns true when the process was created.
bool StartProgram(const wchar_t* program, const wchar_t* commandLine,
                  const wchar_t* workingFolder, ShowCommand show);

// Ends the process at once with |status|, releasing nothing (ExitProcess).
[[noreturn]] void EndProcess(int status);

// Pauses the calling thread (Sleep).
void SleepMilliseconds(uint32_t milliseconds);

// Scoped COM initialisation of the calling thread (CoInitialize): uninitialises
// on destruction only when the initialisation returned S_OK. No-op on posix.
class ComScope {
 public:
  ComScope();
  ~ComScope();
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool initialized() const { return initialized_; }

 private:
  bool initialized_ = false;
};

}  // namespace platform

#endif  // VALDORINE_PLATFORM_PROCESS_H
