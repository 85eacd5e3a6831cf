// A download test against the vendor test server: the progress window, one
// grabber, and files served at URL paths of the running test alone, reached
// as the vendor host through the proxy setting.
#ifndef VALDORINE_TESTS_SUPPORT_DOWNLOAD_SERVER_FIXTURE_H
#define VALDORINE_TESTS_SUPPORT_DOWNLOAD_SERVER_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/web_grab.h"
#include "support/download_fixture.h"
#include "support/vendor_server.h"

namespace testing_support {

class DownloadServerTest : public ::testing::Test {
 protected:
  // Points the proxy at the server and clears its faults and request log.
  void SetUp() override;
  void TearDown() override;

  static VendorServer& server() { return VendorServer::Get(); }

  // The URL path of |name| for this test.
  static std::string PathOf(const std::string& name);
  // Serves |bytes| at the path of |name| and returns its URL.
  std::wstring Serve(const std::string& name, const std::string& bytes);

  // Downloads |entries| (the caller ends them with L"end" where the list
  // should end) into the window's destination folder |folder|.
  download::DownloadResult List(const std::vector<std::wstring>& entries,
                                const std::wstring& folder = L"", int rename = 1);
  download::DownloadResult Fetch(const std::wstring& url, const std::wstring& folder = L"");

  // The bytes of the destination file |name|, or |missing|.
  std::string FileOr(const std::wstring& name, const std::string& missing = "<missing>");

  ProgressWindow ui;
  download::CWebGrab grab;
};

}  // namespace testing_support

#endif  // VALDORINE_TESTS_SUPPORT_DOWNLOAD_SERVER_FIXTURE_H
