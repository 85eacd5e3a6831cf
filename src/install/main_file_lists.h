// The thirteen lists of the product's own files on the vendor web server, in
// the order they are downloaded, with where each one goes.
#ifndef VALDORINE_INSTALL_MAIN_FILE_LISTS_H
#define VALDORINE_INSTALL_MAIN_FILE_LISTS_H

#include <cstddef>

#include "download/web_grab.h"

namespace install {

enum class ListBase { kInstallFolder, kCacheFolder };

struct MainList {
  download::FileList files;
  ListBase base;
  // Below the base folder; formatted with it ("%s" alone: the base itself).
  const wchar_t* destination;
  // ".dlk" saved as ".dll".
  int rename;
  // Shown when the list fails; null for a list whose failure is passed over.
  const wchar_t* failureMessage;
};

inline constexpr size_t kMainListCount = 13;
extern const MainList kMainLists[kMainListCount];

// The relative folders created under the install folder, parents first.
inline constexpr size_t kMainFolderCount = 13;
extern const wchar_t* const kMainFolderTree[kMainFolderCount];

// The upper end of the progress bar for the whole file set. A fixed number,
// larger than the 139 files of the lists.
inline constexpr int kProgressRange = 148;

}  // namespace install

#endif  // VALDORINE_INSTALL_MAIN_FILE_LISTS_H
