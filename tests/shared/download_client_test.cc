// A list download through this platform's own HTTP client (libcurl natively,
// WinINet under Wine) from the vendor test server, reached as the vendor host
// through the proxy setting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/web_grab.h"
#include "support/download_fixture.h"
#include "support/download_server_fixture.h"
#include "support/vendor_server.h"

namespace download {
namespace {

using testing_support::Fault;
using testing_support::PatternBytes;
using testing_support::ProgressWindow;

using DownloadClientTest = testing_support::DownloadServerTest;

TEST_F(DownloadClientTest, AListArrivesByteForByteWithItsProgress) {
  const std::string program = PatternBytes(300 * 1024, 1);
  const std::string library = PatternBytes(50 * 1024, 2);
  const std::string text = "Valdorine read-me\r\n";
  // Within one second: no rate on the counter line.
  SetClockForTesting([] { return int64_t{1000}; });
  ASSERT_EQ(List({Serve("Viewer.exe", program), Serve("Codec.DLK", library),
                  Serve("readme.txt", text), L"end"}),
            DownloadResult::kComplete);

  EXPECT_EQ(ui.FolderNames(), (std::vector<std::string>{"Codec.dll", "Viewer.exe", "readme.txt"}));
  EXPECT_TRUE(FileOr(L"Viewer.exe") == program) << "Viewer.exe differs from the served file";
  EXPECT_TRUE(FileOr(L"Codec.dll") == library) << "Codec.dll differs from the served file";
  EXPECT_EQ(FileOr(L"readme.txt"), text);
  EXPECT_EQ(ui.fileLineState().paintLog,
            (std::vector<std::wstring>{L"Copying: Viewer.exe", L"Copying: Codec.DLK",
                                       L"Copying: readme.txt"}));
  EXPECT_EQ(ui.counterLineState().painted, L"19 / 19");
  EXPECT_EQ(ui.barState().positionLog, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(filesDone, 3);
  auto requests = server().Requests();
  ASSERT_EQ(requests.size(), 3u);
  for (const auto& request : requests) EXPECT_EQ(request.userAgent, "Valdorine");
}

TEST_F(DownloadClientTest, AFailedFileLeavesTheOldOneAndEndsTheList) {
  struct Case {
    const char* name;
    Fault fault;
  };
  const Case cases[] = {
      {"404 with a page", Fault::kStatus404WithLength},
      {"body cut short", Fault::kShortBody},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.WriteFile(L"Viewer.exe", "the old program");
    filesDone = 0;
    const std::string folder = "case" + std::to_string(index++) + "/";
    const std::wstring url = Serve(folder + "Viewer.exe", PatternBytes(200 * 1024, 3));
    server().SetFault(PathOf(folder + "Viewer.exe"), c.fault);
    const std::wstring next = Serve(folder + "next.txt", "next");

    EXPECT_EQ(List({url, next, L"end"}), DownloadResult::kFailed);
    EXPECT_EQ(FileOr(L"Viewer.exe"), "the old program");
    EXPECT_EQ(ui.FolderNames(), std::vector<std::string>{"Viewer.exe"});
    EXPECT_EQ(filesDone, 0);
    EXPECT_TRUE(ui.system().messages.empty());
    server().ClearFaults();
  }
}

}  // namespace
}  // namespace download
