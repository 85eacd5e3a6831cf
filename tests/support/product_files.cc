#include "support/product_files.h"

#include "install/main_file_lists.h"
#include "support/vendor_server.h"

namespace testing_support {

std::string ProductFileContent(const std::string& path) {
  uint32_t seed = 2166136261u;
  for (char c : path) seed = (seed ^ static_cast<unsigned char>(c)) * 16777619u;
  std::string bytes(64 + seed % 3000, '\0');
  for (char& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<char>(seed >> 16);
  }
  return bytes;
}

std::string UrlPath(const wchar_t* url) {
  std::wstring wide(url);
  size_t start = wide.find(L'/', std::wstring(L"http://").size());
  std::string path;
  for (size_t i = start; i < wide.size(); ++i) path.push_back(static_cast<char>(wide[i]));
  return path;
}

void PublishProduct() {
  VendorServer& server = VendorServer::Get();
  for (const install::MainList& list : install::kMainLists)
    for (download::FileList entry = list.files; std::wstring(*entry) != L"end"; ++entry)
      server.PutFile(UrlPath(*entry), ProductFileContent(UrlPath(*entry)));
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
