// POSIX only code.
// Times the product's download path against the curl command line on the
// same files from the same local vendor server, and shows that the memory a
// download needs does not grow with the size of the file.
//
// The product's path is the one the setup takes: the thirteen main lists,
// each through DownloadFileList with a headless main window serviced before
// every block, through the platform HTTP client and the proxy setting. curl
// gets the same URLs in one process through the same proxy.
//
// Usage: download_bench [--server <vendor_server>] [--work <folder>]
//                       [--rounds N] [--large-mb N]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "download/web_grab.h"
#include "install/main_file_lists.h"
#include "platform/headless/headless_window.h"
#include "platform/posix/posix_paths.h"
#include "setup/setup_state.h"
#include "vendor_host.h"
#include "vendor_tree.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

#ifndef VALDORINE_VENDOR_SERVER_PATH
#define VALDORINE_VENDOR_SERVER_PATH ""
#endif

constexpr int kIdcProgress = 1003;
constexpr int kIdcProgressFile = 1047;
constexpr int kIdcProgressCount = 1048;

// The main window with the three progress controls, as the setup has them
// while it installs.
class ProgressEvents : public platform::WindowEvents {
 public:
  void OnCreate(platform::Window* window) override {
    using platform::ControlClass;
    using platform::ControlFont;
    const platform::ControlSpec descs[] = {
        {kIdcProgress, ControlClass::kProgress, platform::kWsVisible, 520, 10, nullptr,
         ControlFont::kDefault},
        {kIdcProgressFile, ControlClass::kStatic, platform::kWsVisible, 100, 15, nullptr,
         ControlFont::kControl},
        {kIdcProgressCount, ControlClass::kStatic, platform::kWsVisible | platform::kSsRight, 100,
         15, nullptr, ControlFont::kControl},
    };
    for (const auto& desc : descs) window->CreateControl(desc);
    window->SetProgressRange(window->FindControl(kIdcProgress), 0, install::kProgressRange);
    window->ShowWindow(platform::kShowNormal);
  }
  intptr_t OnCommand(platform::Window*, int, int) override { return 1; }
  void OnLinkClick(platform::Window*, int) override {}
  void OnDeviceChange(platform::Window*, uint32_t) override {}
  void OnClose(platform::Window*) override { setup::state.keepGoing = 0; }
};

struct Entry {
  std::string urlPath;    // "/download/devureruzir/..."
  std::wstring url;       // as in the list
  std::string localName;  // as the product saves it
  size_t list;            // index of its list: its own output folder
  size_t size;
};

std::string Narrow(std::wstring_view text) {
  return platform::posix::ToUtf8(text);
}

std::vector<Entry> MainEntries() {
  const std::wstring prefix = L"http://" VALDORINE_VENDOR_HOST;
  std::vector<Entry> entries;
  for (size_t i = 0; i < install::kMainListCount; ++i) {
    const install::MainList& list = install::kMainLists[i];
    for (download::FileList file = list.files; std::wcscmp(*file, L"end") != 0; ++file) {
      Entry entry;
      entry.url = *file;
      entry.urlPath = Narrow(entry.url.substr(prefix.size()));
      std::string name = entry.urlPath.substr(entry.urlPath.rfind('/') + 1);
      if (list.rename && name.size() > 4 && name.compare(name.size() - 4, 4, ".dlk") == 0)
        name.replace(name.size() - 4, 4, ".dll");
      entry.localName = name;
      entry.list = i;
      entry.size = vendor_tree::ProfileSize(entry.urlPath);
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

// VmHWM of this process in KiB, after resetting it when |reset|.
long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}
void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

int Spawn(const std::vector<std::string>& args, pid_t* pid, int stdinFd = -1) {
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdinFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
  int error = posix_spawnp(pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

class Server {
 public:
  bool Start(const std::string& program, const fs::path& root, const fs::path& work) {
    int lifeline[2];
    if (pipe2(lifeline, O_CLOEXEC) != 0) return false;
    fs::path portFile = work / "port";
    fs::remove(portFile);
    if (Spawn({program, "--root", root.string(), "--port-file", portFile.string(),
               "--exit-with-stdin"},
              &pid_, lifeline[0]) != 0)
      return false;
    close(lifeline[0]);
    lifeline_ = lifeline[1];
    for (int i = 0; i < 500 && port_ == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::ifstream in(portFile);
      in >> port_;
    }
    return port_ != 0;
  }
  ~Server() {
    if (lifeline_ >= 0) close(lifeline_);  // the server ends when its stdin closes
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int lifeline_ = -1;
  int port_ = 0;
};

struct Product {
  platform::headless::HeadlessWindowSystem system;
  ProgressEvents events;
  download::CWebGrab grab;
  platform::Control* bar = nullptr;
  platform::Control* fileLine = nullptr;
  platform::Control* counterLine = nullptr;

  Product() {
    setup::ResetSetupStateForTesting();
    setup::state.language = setup::kLanguageEnglish;
    setup::state.keepGoing = 1;
    setup::state.instance = &system;
    setup::state.mainWindow = system.CreateMainWindow(L"Valdorine", 572, 720, &events);
    // The headless window keeps every painted line for tests; a benchmark
    // forgets them, so that its memory is the download's own.
    system.DuringPumps([this] {
      for (int id : {kIdcProgressFile, kIdcProgressCount, kIdcProgress}) {
        platform::headless::ControlState* control = system.window()->Find(id);
        control->paintLog.clear();
        control->paintLog.shrink_to_fit();
        control->positionLog.clear();
        control->positionLog.shrink_to_fit();
      }
      return false;
    });
    bar = setup::state.mainWindow->FindControl(kIdcProgress);
    fileLine = setup::state.mainWindow->FindControl(kIdcProgressFile);
    counterLine = setup::state.mainWindow->FindControl(kIdcProgressCount);
  }

  // The main lists into |folder|\list<i>. Returns false at the first list
  // that does not complete.
  bool DownloadMainLists(const std::wstring& folder) {
    download::filesDone = 0;
    for (size_t i = 0; i < install::kMainListCount; ++i) {
      std::wstring destination = folder + L"\\list" + std::to_wstring(i);
      const install::MainList& list = install::kMainLists[i];
      if (grab.DownloadFileList(fileLine, counterLine, bar, list.files, destination.c_str(),
                                list.rename) != download::DownloadResult::kComplete)
        return false;
    }
    return true;
  }
};

void MakeListFolders(const fs::path& folder) {
  for (size_t i = 0; i < install::kMainListCount; ++i)
    fs::create_directories(folder / ("list" + std::to_string(i)));
}

bool Verify(const fs::path& folder, const std::vector<Entry>& entries, const char* who) {
  for (const Entry& entry : entries) {
    fs::path file = folder / ("list" + std::to_string(entry.list)) / entry.localName;
    if (!vendor_tree::FileMatchesContent(file, entry.urlPath, entry.size)) {
      std::fprintf(stderr, "%s: %s differs from %s\n", who, file.c_str(), entry.urlPath.c_str());
      return false;
    }
  }
  return true;
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// User and system time of this process (|who| RUSAGE_SELF) or of its waited
// children (RUSAGE_CHILDREN), in seconds.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
  std::vector<double> wall, cpu;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string serverProgram = VALDORINE_VENDOR_SERVER_PATH;
  fs::path work;
  int rounds = 5;
  size_t largeMiB = 256;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--server" && i + 1 < argc)
      serverProgram = argv[++i];
    else if (arg == "--work" && i + 1 < argc)
      work = argv[++i];
    else if (arg == "--rounds" && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--large-mb" && i + 1 < argc)
      largeMiB = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr,
                   "usage: download_bench [--server <vendor_server>] [--work <folder>] "
                   "[--rounds N] [--large-mb N]\n");
      return 2;
    }
  }
  if (serverProgram.empty()) {
    std::fprintf(stderr, "download_bench: no vendor_server (--server)\n");
    return 2;
  }
  bool ownWork = work.empty();
  if (ownWork) work = fs::temp_directory_path() / ("valdorine_bench_" + std::to_string(getpid()));
  // A folder of our own goes whatever the outcome; a given one is kept.
  struct Cleanup {
    const fs::path& folder;
    bool own;
    ~Cleanup() {
      std::error_code ec;
      if (own) fs::remove_all(folder, ec);
    }
  } cleanup{work, ownWork};
  fs::remove_all(work / "tree");
  fs::create_directories(work / "tree");

  // The served tree: the main lists in their realistic profile, and two
  // single files for the memory check.
  const std::vector<Entry> entries = MainEntries();
  std::vector<std::string> paths;
  for (const Entry& entry : entries) paths.push_back(entry.urlPath);
  int64_t total = vendor_tree::WriteTree(work / "tree", paths);
  const size_t smallSize = size_t{4} << 20, largeSize = largeMiB << 20;
  const std::string smallPath = "/download/devureruzir/bench/small.bin";
  const std::string largePath = "/download/devureruzir/bench/large.bin";
  if (total < 0 || vendor_tree::WriteTree(work / "tree", {smallPath}, smallSize) < 0 ||
      vendor_tree::WriteTree(work / "tree", {largePath}, largeSize) < 0) {
    std::fprintf(stderr, "download_bench: cannot write the tree under %s\n", work.c_str());
    return 1;
  }
  std::printf("profile: %zu files, %.1f MB (largest %.1f MB)\n", entries.size(), total / 1e6,
              std::max_element(
                  entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) {
                    return a.size < b.size;
                  })->size /
                  1e6);

  Server server;
  if (!server.Start(serverProgram, work / "tree", work)) {
    std::fprintf(stderr, "download_bench: the vendor server did not start\n");
    return 1;
  }
  const std::string proxy = "http://127.0.0.1:" + std::to_string(server.port());
  setenv("http_proxy", proxy.c_str(), 1);
  setenv("HTTP_PROXY", proxy.c_str(), 1);
  unsetenv("no_proxy");
  unsetenv("NO_PROXY");
  platform::posix::SetDriveFolder(L'C', work);

  Product product;
  Timing productTimes, curlTimes;
  bool ok = true;
  for (int round = 1; round <= rounds && ok; ++round) {
    // The product first in odd rounds, curl first in even ones.
    for (int turn = 0; turn < 2 && ok; ++turn) {
      bool productTurn = (turn == 0) == (round % 2 == 1);
      fs::path out = work / (productTurn ? "product" : "curl");
      fs::remove_all(out);
      MakeListFolders(out);
      Clock::time_point start = Clock::now();
      const double cpuStart = CpuSeconds(productTurn ? RUSAGE_SELF : RUSAGE_CHILDREN);
      if (productTurn) {
        ok = product.DownloadMainLists(L"C:\\product");
        productTimes.wall.push_back(Seconds(Clock::now() - start));
        productTimes.cpu.push_back(CpuSeconds(RUSAGE_SELF) - cpuStart);
        if (!ok) std::fprintf(stderr, "product: a list did not complete\n");
      } else {
        std::vector<std::string> args = {"curl", "--no-progress-meter", "--fail", "-x", proxy};
        for (const Entry& entry : entries) {
          args.push_back("-o");
          args.push_back((out / ("list" + std::to_string(entry.list)) / entry.localName).string());
          args.push_back(Narrow(entry.url));
        }
        pid_t pid;
        int status = 0;
        ok = Spawn(args, &pid) == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
             WEXITSTATUS(status) == 0;
        curlTimes.wall.push_back(Seconds(Clock::now() - start));
        curlTimes.cpu.push_back(CpuSeconds(RUSAGE_CHILDREN) - cpuStart);
        if (!ok) std::fprintf(stderr, "curl failed\n");
      }
      ok = ok && Verify(out, entries, productTurn ? "product" : "curl");
      fs::remove_all(out);
    }
    if (ok)
      std::printf("round %d: product %.3f s (cpu %.3f s), curl %.3f s (cpu %.3f s)\n", round,
                  productTimes.wall.back(), productTimes.cpu.back(), curlTimes.wall.back(),
                  curlTimes.cpu.back());
  }
  if (!ok) return 1;

  // The best round is the one least disturbed by the rest of the machine.
  const double productBest = *std::min_element(productTimes.wall.begin(), productTimes.wall.end());
  const double curlBest = *std::min_element(curlTimes.wall.begin(), curlTimes.wall.end());
  std::printf("product: best %.3f s (%.1f MB/s), median %.3f s, median cpu %.3f s\n", productBest,
              total / 1e6 / productBest, Median(productTimes.wall), Median(productTimes.cpu));
  std::printf("curl:    best %.3f s (%.1f MB/s), median %.3f s, median cpu %.3f s\n", curlBest,
              total / 1e6 / curlBest, Median(curlTimes.wall), Median(curlTimes.cpu));
  const double ratio = productBest / curlBest;
  std::printf("ratio product / curl: best %.3f, median %.3f (target 1.10 on the best: %s)\n", ratio,
              Median(productTimes.wall) / Median(curlTimes.wall), ratio <= 1.10 ? "met" : "MISSED");

  // The memory of one download does not depend on the size of the file.
  fs::create_directories(work / "single");
  struct Single {
    const std::string& path;
    size_t size;
  };
  for (const Single& single : {Single{smallPath, smallSize}, Single{largePath, largeSize}}) {
    ResetPeak();
    long before = PeakKiB();
    std::wstring url = L"http://" VALDORINE_VENDOR_HOST + platform::posix::FromUtf8(single.path);
    bool fetched = product.grab.FetchFile(product.fileLine, product.counterLine, url.c_str(),
                                          L"C:\\single") == download::DownloadResult::kComplete;
    long after = PeakKiB();
    fs::path file = work / "single" / fs::path(single.path).filename();
    if (!fetched || !vendor_tree::FileMatchesContent(file, single.path, single.size)) {
      std::fprintf(stderr, "product: %s not fetched intact\n", single.path.c_str());
      return 1;
    }
    std::printf("peak memory fetching a %zu MB file: %ld KiB (%+ld KiB during the fetch)\n",
                single.size >> 20, after, after - before);
    fs::remove(file);
  }

  return 0;
}
