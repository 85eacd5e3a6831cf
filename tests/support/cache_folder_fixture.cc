#include "support/cache_folder_fixture.h"

#include <memory>

#include "platform/files.h"
#include "platform/xml.h"
#include "setup/bounded_format.h"
#include "setup/setup_state.h"

#ifndef _WIN32
#include "platform/posix/posix_paths.h"
#endif

namespace testing_support {

std::string ReadFile(const std::wstring& path) {
  std::string bytes;
  EXPECT_EQ(platform::ReadWholeFile(path.c_str(), &bytes), 0u)
      << "reading a file that should exist";
  return bytes;
}

void WriteFile(const std::wstring& path, std::string_view bytes) {
  std::unique_ptr<platform::OutputFile> file;
  ASSERT_EQ(platform::CreateOutputFile(path.c_str(), &file), 0u);
  ASSERT_EQ(file->Write(bytes.data(), bytes.size()), 0u);
  ASSERT_EQ(file->Commit(), 0u);
}

std::optional<std::wstring> ElementText(const std::wstring& path, const wchar_t* name) {
  std::unique_ptr<platform::XmlDocument> document;
  if (platform::LoadXmlDocument(path.c_str(), &document) != platform::XmlLoadResult::kOk) {
    return std::nullopt;
  }
  platform::XmlDocument::Element element = document->FindFirstElement(name);
  if (element == nullptr) return std::nullopt;
  return document->GetText(element);
}

void CacheFolderTest::SetUp() {
#ifdef _WIN32
  base_ = temp_.path().wstring();
#else
  platform::posix::SetDriveFolder(L'C', temp_.path());
  base_ = L"C:";
#endif
}

void CacheFolderTest::TearDown() {
#ifndef _WIN32
  platform::posix::ClearDrives();
#endif
  setup::ResetSetupStateForTesting();
}

void CacheFolderTest::StartRun(const std::wstring& cache, bool create) {
  setup::ResetSetupStateForTesting();
  setup::state.instance = &windows_;
  windows_.messages.clear();
  UseCacheFolder(cache, create);
  setup::FormatInto(setup::state.startFolder, L"C:\\Users\\Ann\\Documents");
  setup::FormatInto(setup::state.tempFolder, L"C:\\Users\\Ann\\AppData\\Local\\Valdorine\\Temp");
}

void CacheFolderTest::UseCacheFolder(const std::wstring& folder, bool create) {
  cache_ = folder;
  setup::FormatInto(setup::state.cacheFolder, L"%s", cache_);
  if (create) {
    ASSERT_EQ(platform::CreateFolderTree(cache_.c_str()), 0u);
  }
}

std::filesystem::path CacheFolderTest::HostPath(const std::wstring& path) const {
#ifdef _WIN32
  return std::filesystem::path(path);
#else
  std::filesystem::path host;
  EXPECT_EQ(platform::posix::ResolvePath(path, &host), 0u);
  return host;
#endif
}

}  // namespace testing_support
