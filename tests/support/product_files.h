// The product as the tests publish it on the vendor test server: every file of
// the thirteen lists, with bytes derived from its path.
#ifndef VALDORINE_TESTS_SUPPORT_PRODUCT_FILES_H
#define VALDORINE_TESTS_SUPPORT_PRODUCT_FILES_H

#include <map>
#include <string>

namespace testing_support {

// The bytes of the file served at |urlPath|.
std::string ProductFileContent(const std::string& urlPath);

// The path part of a list entry ("/download/devureruzir/...").
std::string UrlPath(const wchar_t* url);

// Puts every file of the lists on the vendor test server.
void PublishProduct();

// Where each served file lands, as a Windows path, for an install into
// |installFolder| with |cacheFolder|.
std::map<std::string, std::wstring> ExpectedPlaces(const std::wstring& installFolder,
                                                   const std::wstring& cacheFolder);

}  // namespace testing_support

#endif  // VALDORINE_TESTS_SUPPORT_PRODUCT_FILES_H
