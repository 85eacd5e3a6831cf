// File and list downloads against the vendor test server through the
// platform's HTTP client, with the headless window as the user's screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/web_grab.h"
#include "setup/setup_state.h"
#include "support/download_fixture.h"
#include "support/download_server_fixture.h"
#include "support/http_test_helpers.h"

namespace download {
namespace {

using testing_support::Fault;
using testing_support::PatternBytes;
using testing_support::ProgressWindow;
using testing_support::VendorUrl;
using testing_support::Widen;

// A stalled answer fails after this long instead of the client's minute;
// before any session of this process reads it.
const bool stallShortened = testing_support::ShortenHttpStall(2);

class DownloadTest : public testing_support::DownloadServerTest {
 protected:
  // How many requests asked for a target ending with |name|.
  size_t RequestsFor(const std::string& name) { return server().RequestsFor(name).size(); }
};

// What the user ends up with for each way the server can answer: the result,
// the file on disk (an older file of that name stays unless a whole new body
// arrived), the count of files done and the last lines under the bar.
TEST_F(DownloadTest, EachServerBehaviourEndsInACompleteFileOrLeavesTheFolderAsItWas) {
  struct Case {
    const char* name;
    Fault fault;
    size_t size;
    DownloadResult result;
    const wchar_t* counterLine;  // the file's last one, when complete
  };
  const Case cases[] = {
      {"happy", Fault::kNone, 10000, DownloadResult::kComplete, L"10000 / 10000"},
      {"404 with length", Fault::kStatus404WithLength, 10000, DownloadResult::kFailed, nullptr},
      {"404 without length", Fault::kStatus404NoLength, 10000, DownloadResult::kFailed, nullptr},
      {"500 with length", Fault::kStatus500WithLength, 10000, DownloadResult::kFailed, nullptr},
      {"500 without length", Fault::kStatus500NoLength, 10000, DownloadResult::kFailed, nullptr},
      {"no length", Fault::kNoContentLength, 10000, DownloadResult::kComplete, L"10000 / 0"},
      {"short body", Fault::kShortBody, 10000, DownloadResult::kFailed, nullptr},
      {"reset midway", Fault::kResetMidway, 10000, DownloadResult::kFailed, nullptr},
      {"slow drip", Fault::kSlowDrip, 3000, DownloadResult::kComplete, L"3000 / 3000"},
      {"stall", Fault::kStall, 10000, DownloadResult::kFailed, nullptr},
      {"redirect 302", Fault::kRedirect, 10000, DownloadResult::kComplete, L"10000 / 10000"},
      {"redirect 308", Fault::kRedirect308, 10000, DownloadResult::kComplete, L"10000 / 10000"},
      {"redirect loop", Fault::kRedirectLoop, 10000, DownloadResult::kFailed, nullptr},
  };
  // One second all along: the counter shows the two numbers alone, however
  // slowly the server answers.
  SetClockForTesting([] { return int64_t{1000}; });
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = "case" + std::to_string(index) + ".exe";
    const std::string body = PatternBytes(c.size, ++index);
    const std::wstring url = Serve(name, body);
    server().PutFile(PathOf(name) + ".target", body);
    server().SetFault(PathOf(name), c.fault);
    const std::string after = "after" + std::to_string(index) + ".txt";
    const std::wstring next = Serve(after, "next");
    const std::wstring folder = Widen("case" + std::to_string(index));
    ui.MakeFolder(folder);
    ui.WriteFile(folder + L"\\" + Widen(name), "the old file");
    ui.fileLineState().paintLog.clear();
    ui.counterLineState().paintLog.clear();
    filesDone = 0;

    DownloadResult result = List({url, next, L"end"}, folder);

    EXPECT_EQ(result, c.result);
    bool complete = c.result == DownloadResult::kComplete;
    EXPECT_EQ(FileOr(folder + L"\\" + Widen(name)), complete ? body : "the old file");
    std::vector<std::string> expectedNames{name};
    if (complete) expectedNames.insert(expectedNames.begin(), after);
    EXPECT_EQ(ui.FolderNames(folder), expectedNames);
    EXPECT_EQ(filesDone, complete ? 2 : 0);
    // The entry after a failed one is never asked for.
    EXPECT_EQ(RequestsFor(after), complete ? 1u : 0u);
    if (complete) {
      EXPECT_EQ(
          ui.fileLineState().paintLog,
          (std::vector<std::wstring>{L"Copying: " + Widen(name), L"Copying: " + Widen(after)}));
      // The file's last count, then the next file's one block of 4 bytes.
      const auto& log = ui.counterLineState().paintLog;
      ASSERT_GE(log.size(), 2u);
      EXPECT_EQ(log[log.size() - 2], c.counterLine);
      EXPECT_EQ(log.back(), L"4 / 4");
    }
    EXPECT_TRUE(ui.system().messages.empty());
    server().ClearFaults();
  }
}

TEST_F(DownloadTest, LibrariesAreRenamedByFlagAndShownUnderTheirServedName) {
  struct Case {
    const char* served;
    int rename;
    const char* saved;
  };
  const Case cases[] = {
      {"Lib.DLK", 1, "Lib.dll"},     {"Lib.DLK", 0, "Lib.DLK"},
      {"core.dlk", 1, "core.dll"},   {"core.dlk", 0, "core.dlk"},
      {"README", 1, "README"},       {"archive.tar.gz", 1, "archive.tar.gz"},
      {"tool.dlkx", 1, "tool.dlkx"},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.served) + " rename " + std::to_string(c.rename));
    const std::wstring folder = L"n" + std::to_wstring(index++);
    ui.MakeFolder(folder);
    const std::string body = PatternBytes(5000, index);
    ASSERT_EQ(List({Serve(c.served, body), L"end"}, folder, c.rename), DownloadResult::kComplete);
    EXPECT_EQ(ui.FolderNames(folder), std::vector<std::string>{c.saved});
    EXPECT_EQ(FileOr(folder + L"\\" + Widen(c.saved)), body);
    EXPECT_EQ(ui.fileLineState().painted, L"Copying: " + Widen(c.served));
  }
}

TEST_F(DownloadTest, ASingleFileAlwaysSavesALibraryAsDll) {
  const std::string body = PatternBytes(7000);
  ASSERT_EQ(Fetch(Serve("Plugin.DLK", body)), DownloadResult::kComplete);
  EXPECT_EQ(ui.FolderNames(), std::vector<std::string>{"Plugin.dll"});
  EXPECT_EQ(FileOr(L"Plugin.dll"), body);
  EXPECT_EQ(ui.fileLineState().painted, L"Copying: Plugin.DLK");
  // The bar belongs to the caller of single files.
  EXPECT_TRUE(ui.barState().positionLog.empty());
  EXPECT_EQ(filesDone, 0);
}

TEST_F(DownloadTest, EndInAnyCaseEndsTheListAndNothingAfterItIsRead) {
  for (const wchar_t* end : {L"end", L"END", L"End"}) {
    SCOPED_TRACE(std::string(end, end + 3).c_str());
    server().ClearRequests();
    filesDone = 0;
    ui.barState().positionLog.clear();
    const std::wstring folder = end;
    ui.MakeFolder(folder);
    ASSERT_EQ(List({Serve("a.txt", "a"), Serve("b.txt", "b"), end, Serve("c.txt", "c")}, folder),
              DownloadResult::kComplete);
    EXPECT_EQ(ui.FolderNames(folder), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(RequestsFor("c.txt"), 0u);
    EXPECT_EQ(filesDone, 2);
    EXPECT_EQ(ui.barState().positionLog, (std::vector<int>{1, 2}));
  }
}

TEST_F(DownloadTest, AListOfOnlyEndOpensASessionAndAsksForNothing) {
  setup::state.language = 33;
  copyingPrefix[0] = 0;
  filesDone = 7;
  EXPECT_EQ(List({L"end"}), DownloadResult::kComplete);
  EXPECT_STREQ(copyingPrefix, L"Copie de:");
  EXPECT_TRUE(server().Requests().empty());
  EXPECT_EQ(filesDone, 7);
  EXPECT_TRUE(ui.barState().positionLog.empty());
  EXPECT_TRUE(ui.fileLineState().paintLog.empty());
}

TEST_F(DownloadTest, AMissingDestinationFolderFailsTheFirstEntryQuietly) {
  filesDone = 3;
  EXPECT_EQ(List({Serve("a.txt", "a"), Serve("b.txt", "b"), L"end"}, L"absent"),
            DownloadResult::kFailed);
  EXPECT_EQ(Fetch(Serve("c.txt", "c"), L"absent"), DownloadResult::kFailed);
  EXPECT_EQ(filesDone, 3);
  EXPECT_TRUE(ui.system().messages.empty());
  EXPECT_TRUE(ui.FolderNames().empty());
  EXPECT_EQ(RequestsFor("b.txt"), 0u);
}

TEST_F(DownloadTest, BarFollowsFilesDoneAcrossLists) {
  filesDone = 10;
  ASSERT_EQ(List({Serve("a.txt", "a"), Serve("b.txt", "b"), L"end"}), DownloadResult::kComplete);
  ASSERT_EQ(List({Serve("c.txt", "c"), L"end"}), DownloadResult::kComplete);
  EXPECT_EQ(ui.barState().positionLog, (std::vector<int>{11, 12, 13}));
  EXPECT_EQ(filesDone, 13);
}

TEST_F(DownloadTest, EveryRequestIsAPlainGetWithTheAgentValdorine) {
  ASSERT_EQ(List({Serve("a.txt", "a"), Serve("b.dlk", "b"), L"end"}), DownloadResult::kComplete);
  ASSERT_EQ(Fetch(Serve("c.txt", "c")), DownloadResult::kComplete);
  auto requests = server().Requests();
  ASSERT_EQ(requests.size(), 3u);
  const char* names[] = {"a.txt", "b.dlk", "c.txt"};
  for (size_t i = 0; i < requests.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(requests[i].method, "GET");
    // Sent through the proxy: the absolute URL of the vendor host.
    EXPECT_EQ(Widen(requests[i].target), VendorUrl(PathOf(names[i])));
    EXPECT_EQ(requests[i].userAgent, "Valdorine");
  }
}

TEST_F(DownloadTest, TheCounterShowsTheRateOnceWholeSecondsHavePassed) {
  int64_t clockCalls = 0;
  // The start is noted at 100; every later reading is two seconds on.
  SetClockForTesting([&] { return clockCalls++ == 0 ? int64_t{100} : int64_t{102}; });
  ASSERT_EQ(List({Serve("rate.bin", PatternBytes(10240)), L"end"}), DownloadResult::kComplete);
  EXPECT_EQ(ui.counterLineState().painted, L"10240 / 10240  (5.0 Kb/s)");
}

// The window is serviced between blocks: the user can answer the exit
// confirmation in the middle of a file.
TEST_F(DownloadTest, ExitDuringAFileStopsOnlyWhenTheUserSaysYes) {
  struct Case {
    const char* name;
    bool single;
    bool yes;
  };
  const Case cases[] = {
      {"list, No", false, false},
      {"list, Yes", false, true},
      {"single file, No", true, false},
      {"single file, Yes", true, true},
  };
  const std::string body = PatternBytes(1 << 20, 42);
  const std::wstring url = Serve("big.exe", body);
  const std::wstring next = Serve("next.txt", "next");
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgressWindow window;  // a fresh window: a Yes closes it
    const std::wstring folder = L"exit" + std::to_wstring(index++);
    window.MakeFolder(folder);
    window.WriteFile(folder + L"\\big.exe", "the old file");
    server().ClearRequests();
    window.system().AnswerExitConfirmation(c.yes);
    int pumpsBefore = window.system().pumpCount();
    window.system().AtPump(pumpsBefore + 3,
                           [&] { window.system().Press(testing_support::kIdcExit); });

    std::wstring destination = window.WindowsPath(folder);
    const wchar_t* list[] = {url.c_str(), next.c_str(), L"end"};
    DownloadResult result = c.single
                                ? grab.FetchFile(window.fileLine(), window.counterLine(),
                                                 url.c_str(), destination.c_str())
                                : grab.DownloadFileList(window.fileLine(), window.counterLine(),
                                                        window.bar(), list, destination.c_str(), 1);

    ASSERT_EQ(window.system().confirmations.size(), 1u);
    std::string bytes;
    ASSERT_TRUE(window.ReadFile(folder + L"\\big.exe", &bytes));
    if (c.yes) {
      EXPECT_EQ(result, DownloadResult::kStopped);
      EXPECT_EQ(bytes, "the old file");
      EXPECT_EQ(window.FolderNames(folder), std::vector<std::string>{"big.exe"});
      EXPECT_EQ(filesDone, 0);
      EXPECT_TRUE(window.window().destroyed());
    } else {
      EXPECT_EQ(result, DownloadResult::kComplete);
      EXPECT_TRUE(bytes == body) << "the file differs from the served one";
      EXPECT_EQ(filesDone, c.single ? 0 : 2);
      EXPECT_FALSE(window.window().destroyed());
      // Serviced before every block.
      EXPECT_GE(window.system().pumpCount() - pumpsBefore,
                static_cast<int>(body.size() / platform::kHttpBlockSize));
    }
    EXPECT_EQ(RequestsFor("next.txt"), c.yes || c.single ? 0u : 1u);
    EXPECT_TRUE(window.system().messages.empty());
  }
}

TEST_F(DownloadTest, TheCloseBoxDuringAFileStopsTheListQuietly) {
  ui.WriteFile(L"big.exe", "the old file");
  ui.system().AtPump(2, [&] { ui.system().CloseBox(); });
  EXPECT_EQ(List({Serve("big.exe", PatternBytes(1 << 20)), Serve("next.txt", "n"), L"end"}),
            DownloadResult::kStopped);
  EXPECT_EQ(FileOr(L"big.exe"), "the old file");
  EXPECT_EQ(ui.FolderNames(), std::vector<std::string>{"big.exe"});
  EXPECT_EQ(RequestsFor("next.txt"), 0u);
  EXPECT_TRUE(ui.system().messages.empty());
}

TEST_F(DownloadTest, NothingIsRequestedOnceKeepGoingIsCleared) {
  setup::state.keepGoing = 0;
  const std::wstring url = Serve("a.txt", "a");
  EXPECT_EQ(List({url, L"end"}), DownloadResult::kStopped);
  EXPECT_EQ(Fetch(url), DownloadResult::kStopped);
  EXPECT_TRUE(server().Requests().empty());
  EXPECT_TRUE(ui.FolderNames().empty());
  EXPECT_EQ(filesDone, 0);
  EXPECT_TRUE(ui.system().messages.empty());
}

}  // namespace
}  // namespace download
