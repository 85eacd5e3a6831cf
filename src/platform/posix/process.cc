// POSIX only code.
#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/posix/posix_config.h"
#include "platform/posix/posix_paths.h"

extern char** environ;

namespace platform {
namespace posix {
namespace {
std::vector<StartedProgram>& Started() {
  static std::vector<StartedProgram> started;
  return started;
}
}  // namespace

const std::vector<StartedProgram>& StartedPrograms() { return Started(); }
void ClearStartedPrograms() { Started().clear(); }
}  // namespace posix

bool StartProgram(const wchar_t* program, const wchar_t* commandLine,
                  const wchar_t* workingFolder, ShowCommand show) {
  posix::Started().push_back({program ? program : L"", commandLine ? commandLine : L"",
                              workingFolder ? workingFolder : L"", show});
  // Only a host program can run here; a Windows program is recorded and
  // reported as not started.
  std::filesystem::path host;
  if (!program || posix::ResolvePath(program, &host) != 0) return false;
  if (::access(host.c_str(), X_OK) != 0) return false;
  std::string path = host.string();
  char* argv[] = {path.data(), nullptr};
  pid_t pid;
  if (::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  return true;
}

void EndProcess(int status) { std::_Exit(status); }

void SleepMilliseconds(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

ComScope::ComScope() = default;
ComScope::~ComScope() = default;

}  // namespace platform
