// The download core over a scripted HTTP client: the failures a real client
// does not produce on demand (no session, an open without a response, a full
// disk), the session's lifetime and the timing of the counter line.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "download/web_grab.h"
#include "platform/errors.h"
#include "platform/http.h"
#include "setup/setup_state.h"
#include "support/download_fixture.h"
#include "support/vendor_server.h"

namespace download {
namespace {

using testing_support::PatternBytes;
using testing_support::ProgressWindow;

struct Answer {
  uint32_t status = 200;
  std::optional<uint32_t> length;
  std::string body;
  uint32_t openError = 0;
  bool noResponse = false;
};

Answer NoResponse() {
  Answer answer;
  answer.noResponse = true;
  return answer;
}
Answer OpenError(uint32_t error) {
  Answer answer;
  answer.openError = error;
  return answer;
}

// The vendor server as a table of answers, with a count of the sessions.
class ScriptedHttp {
 public:
  ScriptedHttp() {
    SetHttpSessionFactoryForTesting([this](const wchar_t* agent) {
      agents.push_back(agent);
      return refuseSessions ? nullptr : std::make_unique<Session>(this);
    });
  }

  void Put(const std::wstring& url, Answer answer) { answers_[url] = std::move(answer); }
  // A 200 answer with its Content-Length.
  void PutFile(const std::wstring& url, const std::string& body) {
    Put(url, {200, static_cast<uint32_t>(body.size()), body});
  }

  bool refuseSessions = false;
  std::vector<std::wstring> agents;
  std::vector<std::wstring> requests;
  int sessionsOpen = 0;

 private:
  class Response : public platform::HttpResponse {
   public:
    explicit Response(const Answer& answer) : answer_(answer) {}
    std::optional<uint32_t> ContentLength() override { return answer_.length; }
    uint32_t StatusCode() override { return answer_.status; }
    uint32_t Read(void* buffer, size_t capacity, size_t* received) override {
      size_t count = std::min({capacity, platform::kHttpBlockSize, answer_.body.size() - at_});
      std::memcpy(buffer, answer_.body.data() + at_, count);
      at_ += count;
      *received = count;
      return 0;
    }

   private:
    const Answer& answer_;
    size_t at_ = 0;
  };

  class Session : public platform::HttpSession {
   public:
    explicit Session(ScriptedHttp* http) : http_(http) { ++http_->sessionsOpen; }
    ~Session() override { --http_->sessionsOpen; }
    uint32_t Open(const wchar_t* url, std::unique_ptr<platform::HttpResponse>* response) override {
      http_->requests.push_back(url);
      auto it = http_->answers_.find(url);
      if (it == http_->answers_.end()) return platform::kErrorInternetNameNotResolved;
      if (it->second.openError) return it->second.openError;
      if (!it->second.noResponse) *response = std::make_unique<Response>(it->second);
      return 0;
    }

   private:
    ScriptedHttp* http_;
  };

  std::map<std::wstring, Answer> answers_;
};

constexpr wchar_t kA[] = L"http://vendor/download/devureruzir/main/exe/A.bin";
constexpr wchar_t kB[] = L"http://vendor/download/devureruzir/main/exe/B.bin";

class DownloadCoreTest : public ::testing::Test {
 protected:
  ProgressWindow ui;
  ScriptedHttp http;
  CWebGrab grab;

  DownloadResult List(const wchar_t* const* list, const std::wstring& folder = L"",
                      int rename = 1) {
    std::wstring destination = ui.WindowsPath(folder);
    return grab.DownloadFileList(ui.fileLine(), ui.counterLine(), ui.bar(), list,
                                 destination.c_str(), rename);
  }
};

TEST_F(DownloadCoreTest, FailuresWithAMessageShowItWithoutOwnerAndStopTheList) {
  struct Case {
    const char* name;
    bool refuseSessions;
    Answer first;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"no session", true, {}, L"Could not initialize the session. Aborting."},
      {"no response", false, NoResponse(), L"Could not open the URL. Aborting."},
      {"request failed", false, OpenError(platform::kErrorInternetCannotConnect), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool single : {false, true}) {
      SCOPED_TRACE(single ? "FetchFile" : "DownloadFileList");
      ui.system().messages.clear();
      http.requests.clear();
      http.refuseSessions = c.refuseSessions;
      http.Put(kA, c.first);
      http.PutFile(kB, "bbb");
      const wchar_t* list[] = {kA, kB, L"end"};
      std::wstring destination = ui.WindowsPath();
      DownloadResult result =
          single ? grab.FetchFile(ui.fileLine(), ui.counterLine(), kA, destination.c_str())
                 : List(list);

      EXPECT_EQ(result, DownloadResult::kFailed);
      EXPECT_EQ(filesDone, 0);
      EXPECT_TRUE(ui.barState().positionLog.empty());
      EXPECT_TRUE(ui.FolderNames().empty());
      // The entry after the failed one is never asked for.
      EXPECT_EQ(http.requests.size(), c.refuseSessions ? 0u : 1u);
      if (c.message) {
        ASSERT_EQ(ui.system().messages.size(), 1u);
        const auto& box = ui.system().messages[0];
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.caption, L"Valdorine Install");
        EXPECT_EQ(box.icon, platform::MessageIcon::kError);
        EXPECT_FALSE(box.owned);
      } else {
        EXPECT_TRUE(ui.system().messages.empty());
      }
    }
  }
}

TEST_F(DownloadCoreTest, EveryCallStartsAFreshSessionAndKeepsItUntilTheNext) {
  http.PutFile(kA, "a");
  const wchar_t* list[] = {kA, kA, L"end"};
  ASSERT_EQ(List(list), DownloadResult::kComplete);
  EXPECT_EQ(http.sessionsOpen, 1);
  ASSERT_EQ(grab.FetchFile(ui.fileLine(), ui.counterLine(), kA, ui.WindowsPath().c_str()),
            DownloadResult::kComplete);
  ASSERT_EQ(grab.FetchFile(ui.fileLine(), ui.counterLine(), kA, ui.WindowsPath().c_str()),
            DownloadResult::kComplete);
  // One session per list, one per single file, the old one closed first.
  EXPECT_EQ(http.agents, std::vector<std::wstring>(3, L"Valdorine"));
  EXPECT_EQ(http.sessionsOpen, 1);
  grab.CloseSession();
  EXPECT_EQ(http.sessionsOpen, 0);
  grab.CloseSession();
  EXPECT_EQ(http.sessionsOpen, 0);
}

TEST_F(DownloadCoreTest, TheFetcherClosesItsSessionWhenDestroyed) {
  {
    CWebGrab local;
    ASSERT_EQ(local.OpenSession(L"Valdorine"), 1);
    EXPECT_EQ(http.sessionsOpen, 1);
  }
  EXPECT_EQ(http.sessionsOpen, 0);
  http.refuseSessions = true;
  EXPECT_EQ(grab.OpenSession(L"Valdorine"), 0);
}

TEST_F(DownloadCoreTest, CounterLineShowsTheRateOnlyOnceAWholeSecondHasPassed) {
  struct Case {
    const char* name;
    int64_t secondsAfterStart;  // on the clock of every block
    std::vector<std::wstring> counterLines;
  };
  const Case cases[] = {
      {"same second", 0, {L"4095 / 10240", L"8190 / 10240", L"10240 / 10240"}},
      {"two seconds",
       2,
       {L"4095 / 10240  (2.0 Kb/s)", L"8190 / 10240  (4.0 Kb/s)", L"10240 / 10240  (5.0 Kb/s)"}},
  };
  http.PutFile(kA, PatternBytes(10240));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.counterLineState().paintLog.clear();
    bool started = false;
    SetClockForTesting([&]() -> int64_t {
      int64_t now = started ? 1'700'000'000 + c.secondsAfterStart : 1'700'000'000;
      started = true;
      return now;
    });
    const wchar_t* list[] = {kA, L"end"};
    ASSERT_EQ(List(list), DownloadResult::kComplete);
    EXPECT_EQ(ui.counterLineState().paintLog, c.counterLines);
    EXPECT_EQ(ui.counterLineState().painted, c.counterLines.back());
  }
}

TEST_F(DownloadCoreTest, FileLinePrefixFollowsTheLanguageWhenTheSessionOpens) {
  http.PutFile(kA, PatternBytes(9000));
  http.PutFile(kB, "b");
  const wchar_t* list[] = {kA, kB, L"end"};
  setup::state.language = 33;
  // Switching to English in the middle of the first file changes nothing
  // before the next session.
  ui.system().AtPump(2, [] { setup::state.language = 1; });
  ASSERT_EQ(List(list), DownloadResult::kComplete);
  EXPECT_EQ(ui.fileLineState().paintLog,
            (std::vector<std::wstring>{L"Copie de: A.bin", L"Copie de: B.bin"}));
  ASSERT_EQ(List(list), DownloadResult::kComplete);
  EXPECT_EQ(ui.fileLineState().painted, L"Copying: B.bin");
  EXPECT_STREQ(copyingPrefix, L"Copying:");
}

TEST_F(DownloadCoreTest, ANameOrPathThatDoesNotFitFailsInsteadOfWritingACutName) {
  const std::wstring longFolder(240, L'f');
  ui.MakeFolder(longFolder);
  const std::wstring longName = L"http://vendor/download/" + std::wstring(300, L'n') + L".dat";
  const std::wstring longExt = L"http://vendor/download/x." + std::wstring(300, L'e');
  const std::wstring fitsAlone = L"http://vendor/download/" + std::wstring(30, L'p') + L".dlk";
  for (const auto& url : {longName, longExt, fitsAlone}) http.PutFile(url, "data");
  struct Case {
    const char* name;
    std::wstring url;
    std::wstring folder;
  };
  const Case cases[] = {
      {"name over 255", longName, L""},
      {"extension over 255", longExt, L""},
      {"path over 259", fitsAlone, longFolder},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const wchar_t* list[] = {c.url.c_str(), L"end"};
    EXPECT_EQ(List(list, c.folder), DownloadResult::kFailed);
    EXPECT_EQ(ui.FolderNames(), std::vector<std::string>{std::string(240, 'f')});
    EXPECT_TRUE(ui.FolderNames(longFolder).empty());
    EXPECT_EQ(filesDone, 0);
  }
}

TEST_F(DownloadCoreTest, AFullDiskFailsTheFileAndLeavesNothingBehind) {
  ui.WriteFile(L"A.bin", "the old program");
  http.PutFile(kA, PatternBytes(64 * 1024));
  // Writes past 16 KiB fail as on a full disk (EFBIG instead of SIGXFSZ).
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit limited = previous;
  limited.rlim_cur = 16 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const wchar_t* list[] = {kA, L"end"};
  DownloadResult result = List(list);
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(result, DownloadResult::kFailed);
  EXPECT_EQ(filesDone, 0);
  std::string bytes;
  ASSERT_TRUE(ui.ReadFile(L"A.bin", &bytes));
  EXPECT_EQ(bytes, "the old program");
  EXPECT_EQ(ui.FolderNames(), std::vector<std::string>{"A.bin"});
  EXPECT_TRUE(ui.system().messages.empty());
}

TEST_F(DownloadCoreTest, ABodyShorterThanItsLengthFailsEvenWhenTheClientSaysNothing) {
  ui.WriteFile(L"A.bin", "the old program");
  Answer cut{200, 10000, PatternBytes(6000)};
  http.Put(kA, cut);
  const wchar_t* list[] = {kA, L"end"};
  EXPECT_EQ(List(list), DownloadResult::kFailed);
  EXPECT_EQ(filesDone, 0);
  std::string bytes;
  ASSERT_TRUE(ui.ReadFile(L"A.bin", &bytes));
  EXPECT_EQ(bytes, "the old program");
  EXPECT_EQ(ui.FolderNames(), std::vector<std::string>{"A.bin"});
}

TEST_F(DownloadCoreTest, ProgressStaysUnpaintedWhileTheLinesAreHidden) {
  http.PutFile(kA, PatternBytes(5000));
  ui.window().Show(ui.fileLine(), platform::kShowHide);
  const wchar_t* list[] = {kA, L"end"};
  ASSERT_EQ(List(list), DownloadResult::kComplete);
  EXPECT_TRUE(ui.fileLineState().paintLog.empty());
  EXPECT_TRUE(ui.counterLineState().paintLog.empty());
  EXPECT_EQ(ui.barState().positionLog, std::vector<int>{1});
}

TEST_F(DownloadCoreTest, WithoutAWindowTheDownloadStillRuns) {
  http.PutFile(kA, PatternBytes(5000));
  setup::state.mainWindow = nullptr;
  const wchar_t* list[] = {kA, L"end"};
  EXPECT_EQ(List(list), DownloadResult::kComplete);
  EXPECT_EQ(filesDone, 1);
  EXPECT_EQ(ui.system().pumpCount(), 0);
}

}  // namespace
}  // namespace download
