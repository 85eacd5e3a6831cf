// Files and folders. Paths are Windows paths (drive letter, backslashes; the
// posix layer also accepts slashes) compared without regard to case.
#ifndef VALDORINE_PLATFORM_FILES_H
#define VALDORINE_PLATFORM_FILES_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Creates |path| with every missing parent (SHCreateDirectoryExW). Returns 0
// when the folder was created, kErrorAlreadyExists (183) when it already
// existed (as a folder or as a file), or another system error code.
uint32_t CreateFolderTree(const wchar_t* path);

// Creates one folder level (CreateDirectoryW). Returns 0, kErrorAlreadyExists,
// kErrorPathNotFound when the parent is missing, or another system error code.
uint32_t CreateFolder(const wchar_t* path);

// True when a file or folder exists at |path| (PathFileExistsW).
bool PathExists(const wchar_t* path);

// True when a folder exists at |path|.
bool FolderExists(const wchar_t* path);

// Copies |from| onto |to|, replacing an existing target. Returns 0 or a system
// error code.
uint32_t CopyFileReplacing(const wchar_t* from, const wchar_t* to);

// A file written under a temporary name in its destination folder and put in
// place only by Commit, so that a failed or abandoned write never leaves a
// partial file under the real name nor touches an existing file of that name.
class OutputFile {
 public:
  virtual ~OutputFile() = default;  // Without Commit: discards what was written.

  // Appends |size| bytes. Returns 0 or a system error code (kErrorDiskFull...).
  virtual uint32_t Write(const void* data, size_t size) = 0;

  // Flushes, closes and renames onto the final name, replacing any file there.
  // Returns 0 or a system error code; on failure nothing is left under either
  // name and an existing file of the final name is untouched.
  virtual uint32_t Commit() = 0;
};

// Opens a new temporary file beside |path| for writing. Returns 0 and sets
// |file|, or returns the system error code of the creation (kErrorPathNotFound
// for a missing folder, kErrorAccessDenied for a folder without write access,
// kErrorAccessDenied also when |path| names an existing folder).
uint32_t CreateOutputFile(const wchar_t* path, std::unique_ptr<OutputFile>* file);

// Reads a whole file; for tests and tools. Returns 0 or a system error code.
uint32_t ReadWholeFile(const wchar_t* path, std::string* bytes);

}  // namespace platform

#endif  // VALDORINE_PLATFORM_FILES_H
