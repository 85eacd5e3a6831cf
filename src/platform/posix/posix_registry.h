// POSIX only code. The registry of the posix backend: one file in the format
// of the registry editor's exports ("Windows Registry Editor Version 5.00",
// UTF-16LE with a byte order mark, CRLF lines), so that the entries the setup
// makes can be read, and imported into a Windows registry, with the system's
// own tools.
#ifndef VALDORINE_PLATFORM_POSIX_POSIX_REGISTRY_H
#define VALDORINE_PLATFORM_POSIX_POSIX_REGISTRY_H

#include <filesystem>

namespace platform::posix {

// Keeps the registry in the host file |path|; an empty path goes back to the
// default, "registry.reg" in the folder of drive C:. The file is read at each
// access and replaced as a whole at each change, so tests may write it
// themselves. UTF-8 files (with or without a byte order mark) are read too.
void SetRegistryFile(const std::filesystem::path& path);

// The host file the registry is kept in; empty when drive C: is not mapped and
// no file was set.
std::filesystem::path RegistryFile();

}  // namespace platform::posix

#endif  // VALDORINE_PLATFORM_POSIX_POSIX_REGISTRY_H
