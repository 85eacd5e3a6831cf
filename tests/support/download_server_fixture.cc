#include "support/download_server_fixture.h"

#include "support/http_test_helpers.h"

namespace testing_support {

void DownloadServerTest::SetUp() {
  UseVendorServerAsProxy();
  server().ClearFaults();
  server().ClearRequests();
}

void DownloadServerTest::TearDown() {
  server().ClearFaults();
}

std::string DownloadServerTest::PathOf(const std::string& name) {
  return TestPath("downloads", name);
}

std::wstring DownloadServerTest::Serve(const std::string& name, const std::string& bytes) {
  server().PutFile(PathOf(name), bytes);
  return VendorUrl(PathOf(name));
}

download::DownloadResult DownloadServerTest::List(const std::vector<std::wstring>& entries,
                                                  const std::wstring& folder, int rename) {
  std::vector<const wchar_t*> list;
  for (const auto& entry : entries) list.push_back(entry.c_str());
  std::wstring destination = ui.WindowsPath(folder);
  return grab.DownloadFileList(ui.fileLine(), ui.counterLine(), ui.bar(), list.data(),
                               destination.c_str(), rename);
}

download::DownloadResult DownloadServerTest::Fetch(const std::wstring& url,
                                                   const std::wstring& folder) {
  std::wstring destination = ui.WindowsPath(folder);
  return grab.FetchFile(ui.fileLine(), ui.counterLine(), url.c_str(), destination.c_str());
}

std::string DownloadServerTest::FileOr(const std::wstring& name, const std::string& missing) {
  std::string bytes;
  return ui.ReadFile(name, &bytes) ? bytes : missing;
}

}  // namespace testing_support
