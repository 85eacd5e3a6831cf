// The vendor server's file tree for tests and benchmarks: each served file's
// bytes follow from its URL path alone, so a download can be checked byte by
// byte without keeping a copy, and a size profile that looks like the
// product's real file set (a few large programs, many small libraries).
#ifndef VALDORINE_TOOLS_VENDOR_TREE_VENDOR_TREE_H
#define VALDORINE_TOOLS_VENDOR_TREE_VENDOR_TREE_H

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vendor_tree {

// The |size| bytes served at |urlPath| ("/download/devureruzir/...").
std::string ContentFor(std::string_view urlPath, size_t size);

// True when |bytes| are exactly ContentFor(urlPath, size) for their size.
bool MatchesContent(std::string_view urlPath, std::string_view bytes);

// True when |file| holds exactly ContentFor(urlPath, size), read in chunks.
bool FileMatchesContent(const std::filesystem::path& file, std::string_view urlPath, size_t size);

// The size of the file at |urlPath| in the main-list profile: the named large
// programs at their size, other programs, libraries and data files spread
// over their range by a hash of the path.
size_t ProfileSize(std::string_view urlPath);

struct ProfileRule {
  const char* match;  // a whole path below "/download/devureruzir/", or an extension
  size_t minSize;
  size_t maxSize;
};
// The profile, the first matching row winning; the last row matches all.
extern const ProfileRule kProfile[];
extern const size_t kProfileRuleCount;

// Writes every path of |urlPaths| below |root| (root / path) with its profile
// size, or |fixedSize| when non-zero. Returns the bytes written, or -1 when a
// file cannot be written.
// The small profile of the tests: a few KiB a file, still derived from the
// path.
size_t SmallProfileSize(std::string_view urlPath);

// The path part of a list entry ("/download/devureruzir/...").
std::string UrlPath(const wchar_t* url);

// The paths of every file of the setup's thirteen main lists, in list order.
std::vector<std::string> MainListPaths();

int64_t WriteTree(const std::filesystem::path& root, const std::vector<std::string>& urlPaths,
                  size_t fixedSize = 0);

}  // namespace vendor_tree

#endif  // VALDORINE_TOOLS_VENDOR_TREE_VENDOR_TREE_H
