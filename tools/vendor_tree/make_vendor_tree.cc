// Writes the demo vendor server's tree: every file of the setup's own lists,
// in the realistic size profile, plus the licence and news pages the links
// open.
//
// Usage: make_vendor_tree --out FOLDER
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "vendor_tree.h"

int main(int argc, char** argv) {
  std::filesystem::path out;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
  if (out.empty()) {
    std::fprintf(stderr, "usage: make_vendor_tree --out FOLDER\n");
    return 2;
  }
  std::vector<std::string> paths = vendor_tree::MainListPaths();
  int64_t bytes = vendor_tree::WriteTree(out, paths);
  if (bytes < 0) {
    std::fprintf(stderr, "make_vendor_tree: could not write %s\n", out.c_str());
    return 1;
  }
  const char* pages[][2] = {
      {"eula_en.htm", "Licence agreement"},
      {"eula_fr.htm", "Contrat de licence"},
      {"devureruzir_whatsnew_en.htm", "What's new"},
      {"devureruzir_whatsnew_fr.htm", "Quoi de neuf"},
  };
  for (const auto& page : pages) {
    std::ofstream(out / page[0]) << "<html><body><h1>" << page[1] << "</h1></body></html>\n";
  }
  std::printf("%zu files, %.1f MB in %s\n", paths.size(), bytes / 1e6, out.c_str());
  return 0;
}
