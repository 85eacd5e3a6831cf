// A host folder removed with everything in it when the test ends.
#ifndef VALDORINE_TESTS_SUPPORT_TEMP_FOLDER_H
#define VALDORINE_TESTS_SUPPORT_TEMP_FOLDER_H

#include <filesystem>
#include <string>

namespace testing_support {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace testing_support

#endif  // VALDORINE_TESTS_SUPPORT_TEMP_FOLDER_H
