// Opening web pages in the user's browser.
#ifndef VALDORINE_INSTALL_WEB_PAGES_H
#define VALDORINE_INSTALL_WEB_PAGES_H

#include <cstddef>
#include <cstdint>

namespace install {

// Opens |address| with the shell, or failing that with the program registered
// for ".htm" documents (started, not awaited). Returns the shell's result.
intptr_t OpenWebPage(const wchar_t* address, int showCommand);

// Reads the default value of |key| under HKEY_CLASSES_ROOT into |output|, cut
// at |capacity|. Returns 0 or the system error code; a value that does not fit
// in 260 characters with its terminator fails with kErrorMoreData (234).
uint32_t ReadClassesRootDefault(const wchar_t* key, wchar_t* output, size_t capacity);

// Builds the command line that opens |address| with the program registered
// for web pages: |tmpl| (an open command such as "\"C:\\b.exe\" \"%1\"") cut where
// its first placeholder ("\"%1\"", else "%1") begins, then one space and the
// address. Returns false, with |out| unusable, when the result does not fit in
// |capacity| characters with its terminator.
bool BuildBrowserCommandLine(const wchar_t* tmpl, const wchar_t* address, wchar_t* out,
                             size_t capacity);

}  // namespace install

#endif  // VALDORINE_INSTALL_WEB_PAGES_H
