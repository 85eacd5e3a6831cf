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
// at |capacity|. Returns 0 or the system error code.
uint32_t ReadClassesRootDefault(const wchar_t* key, wchar_t* output, size_t capacity);

}  // namespace install

#endif  // VALDORINE_INSTALL_WEB_PAGES_H
