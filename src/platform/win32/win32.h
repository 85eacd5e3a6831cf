// Win32 only code.
// The one place <windows.h> is included. _WIN32_WINNT and WINVER come from the
// build so every file sees the same API level.
#ifndef VALDORINE_PLATFORM_WIN32_WIN32_H
#define VALDORINE_PLATFORM_WIN32_WIN32_H

// libstdc++ on mingw defines NOMINMAX itself; guard to avoid a redefinition.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#endif  // VALDORINE_PLATFORM_WIN32_WIN32_H
