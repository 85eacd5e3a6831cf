#include "support/product_files.h"

#include "install/main_file_lists.h"
#include "support/vendor_server.h"
#include "vendor_tree.h"

namespace testing_support {

std::string ProductFileContent(const std::string& path) {
  return vendor_tree::ContentFor(path, vendor_tree::SmallProfileSize(path));
}

std::string UrlPath(const wchar_t* url) {
  return vendor_tree::UrlPath(url);
}

void PublishProduct() {
  VendorServer& server = VendorServer::Get();
  for (const std::string& path : vendor_tree::MainListPaths())
    server.PutFile(path, ProductFileContent(path));
}

std::map<std::string, std::wstring> ExpectedPlaces(const std::wstring& installFolder,
                                                   const std::wstring& cacheFolder) {
  std::map<std::string, std::wstring> places;
  for (const install::MainList& list : install::kMainLists) {
    const std::wstring& base =
        list.base == install::ListBase::kCacheFolder ? cacheFolder : installFolder;
    std::wstring folder = list.destination;
    folder.replace(folder.find(L"%s"), 2, base);
    for (download::FileList entry = list.files; std::wstring(*entry) != L"end"; ++entry) {
      std::wstring url = *entry;
      std::wstring name = url.substr(url.rfind(L'/') + 1);
      if (list.rename && name.size() > 4 && name.substr(name.size() - 4) == L".dlk")
        name.replace(name.size() - 4, 4, L".dll");
      places[UrlPath(*entry)] = folder + L"\\" + name;
    }
  }
  return places;
}

}  // namespace testing_support
