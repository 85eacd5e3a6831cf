#include "vendor_tree.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <system_error>

#include "install/main_file_lists.h"

namespace vendor_tree {

namespace {

constexpr std::string_view kBase = "/download/devureruzir/";
constexpr size_t kKiB = 1024;
constexpr size_t kMiB = 1024 * 1024;

uint64_t HashOf(std::string_view text) {
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

uint64_t Mix(uint64_t x) {  // splitmix64's finaliser
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Byte |i| of the file is byte i % 8 of word i / 8.
void Fill(uint64_t seed, char* out, size_t size) {
  size_t words = size / 8;
  for (size_t w = 0; w < words; ++w) {
    uint64_t v = Mix(seed + w);
    for (int b = 0; b < 8; ++b) out[w * 8 + b] = static_cast<char>(v >> (8 * b));
  }
  if (size % 8) {
    uint64_t v = Mix(seed + words);
    for (size_t b = 0; b < size % 8; ++b) out[words * 8 + b] = static_cast<char>(v >> (8 * b));
  }
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

const ProfileRule kProfile[] = {
    // The large programs: the outside tools and the product's own viewer.
    {"main/exe/ffmpeg.exe", 25 * kMiB, 25 * kMiB},
    {"main/exe/DevureruzIR.exe", 18 * kMiB, 18 * kMiB},
    {"main/exe/mplayer.exe", 14 * kMiB, 14 * kMiB},
    {"main/exe/exiftool.exe", 10 * kMiB, 10 * kMiB},
    {".exe", 150 * kKiB, 1200 * kKiB},
    {".dlk", 30 * kKiB, 300 * kKiB},
    {"", 1 * kKiB, 64 * kKiB},
};
const size_t kProfileRuleCount = sizeof(kProfile) / sizeof(kProfile[0]);

std::string ContentFor(std::string_view urlPath, size_t size) {
  std::string bytes(size, '\0');
  Fill(HashOf(urlPath), bytes.data(), size);
  return bytes;
}

bool MatchesContent(std::string_view urlPath, std::string_view bytes) {
  const uint64_t seed = HashOf(urlPath);
  char chunk[64 * 1024];
  static_assert(sizeof(chunk) % 8 == 0);
  for (size_t at = 0; at < bytes.size(); at += sizeof(chunk)) {
    size_t count = std::min(sizeof(chunk), bytes.size() - at);
    Fill(seed + at / 8, chunk, count);
    if (std::memcmp(chunk, bytes.data() + at, count) != 0) return false;
  }
  return true;
}

bool FileMatchesContent(const std::filesystem::path& file, std::string_view urlPath, size_t size) {
  std::error_code ec;
  if (std::filesystem::file_size(file, ec) != size || ec) return false;
  std::ifstream in(file, std::ios::binary);
  const uint64_t seed = HashOf(urlPath);
  std::string expected(1 << 20, '\0'), actual(1 << 20, '\0');
  for (size_t at = 0; at < size; at += expected.size()) {
    size_t count = std::min(expected.size(), size - at);
    Fill(seed + at / 8, expected.data(), count);
    if (!in.read(actual.data(), static_cast<std::streamsize>(count))) return false;
    if (std::memcmp(expected.data(), actual.data(), count) != 0) return false;
  }
  return true;
}

size_t ProfileSize(std::string_view urlPath) {
  std::string_view relative = urlPath;
  if (relative.substr(0, kBase.size()) == kBase) relative.remove_prefix(kBase.size());
  for (const ProfileRule& rule : kProfile) {
    std::string_view match = rule.match;
    bool hit = match.empty() || (match[0] == '.' ? EndsWith(relative, match) : relative == match);
    if (!hit) continue;
    if (rule.minSize == rule.maxSize) return rule.minSize;
    return rule.minSize + Mix(HashOf(urlPath)) % (rule.maxSize - rule.minSize + 1);
  }
  return 0;
}

size_t SmallProfileSize(std::string_view urlPath) {
  return 64 + Mix(HashOf(urlPath)) % 3000;
}

std::string UrlPath(const wchar_t* url) {
  std::wstring_view wide(url);
  size_t start = wide.find(L'/', std::wstring_view(L"http://").size());
  std::string path;
  for (size_t i = start == std::wstring_view::npos ? wide.size() : start; i < wide.size(); ++i)
    path.push_back(static_cast<char>(wide[i]));
  return path;
}

std::vector<std::string> MainListPaths() {
  std::vector<std::string> paths;
  for (const install::MainList& list : install::kMainLists)
    for (download::FileList entry = list.files; std::wstring_view(*entry) != L"end"; ++entry)
      paths.push_back(UrlPath(*entry));
  return paths;
}

int64_t WriteTree(const std::filesystem::path& root, const std::vector<std::string>& urlPaths,
                  size_t fixedSize) {
  int64_t total = 0;
  std::string chunk(1 << 20, '\0');
  for (const std::string& urlPath : urlPaths) {
    std::filesystem::path file = root / std::filesystem::path(urlPath).relative_path();
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const uint64_t seed = HashOf(urlPath);
    const size_t size = fixedSize ? fixedSize : ProfileSize(urlPath);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    // In chunks, so that a file of any size costs one chunk of memory.
    for (size_t at = 0; at < size; at += chunk.size()) {
      size_t count = std::min(chunk.size(), size - at);
      Fill(seed + at / 8, chunk.data(), count);
      out.write(chunk.data(), static_cast<std::streamsize>(count));
    }
    out.close();
    if (!out) return -1;
    total += static_cast<int64_t>(size);
  }
  return total;
}

}  // namespace vendor_tree
