// The product's two initialization files in the cache folder.
#ifndef VALDORINE_CONFIG_INITIALIZATION_FILES_H
#define VALDORINE_CONFIG_INITIALIZATION_FILES_H

#include <string>

namespace config {

// Writes Valdorine.xml and ValdorineIni.xml into the cache folder from their
// templates, saving an existing settings file as ValdorineIni_sav.xml and
// carrying its settings over. |portable| non-zero for a portable
// installation (whose temp path is stored back drive-less). Returns 1 when
// both files were written, 0 after a failure it has reported.
int WriteInitializationFiles(int portable);

// A wide string in UTF-8.
std::string ToUtf8(const wchar_t* text);

}  // namespace config

#endif  // VALDORINE_CONFIG_INITIALIZATION_FILES_H
