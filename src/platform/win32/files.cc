// Win32 only code.
#include "platform/files.h"

#include <atomic>
#include <string>

#include "platform/errors.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32.h"
#include "platform/write_buffer.h"
// clang-format off
#include <shlobj.h>
#include <shlwapi.h>
// clang-format on

namespace platform {
namespace {

using win32::ScopedFileHandle;

bool IsFolder(const wchar_t* path) {
  DWORD attributes = ::GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder part of |path| with its trailing separator ("" for a bare name).
std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

class Win32OutputFile : public OutputFile {
 public:
  Win32OutputFile(ScopedFileHandle file, std::wstring temp, std::wstring final_path)
      : file_(std::move(file)), temp_(std::move(temp)), final_(std::move(final_path)) {}
  ~Win32OutputFile() override {
    file_.Reset();
    if (!committed_) ::DeleteFileW(temp_.c_str());
  }

  uint32_t Write(const void* data, size_t size) override {
    if (!file_) return kErrorInvalidHandle;
    return buffer_.Append(data, size, [this](const char* p, size_t n) { return WriteAll(p, n); });
  }

  uint32_t Commit() override {
    if (!file_) return kErrorInvalidHandle;
    if (uint32_t error = buffer_.Drain([this](const char* p, size_t n) { return WriteAll(p, n); }))
      return error;
    // No flush: the rename makes the file whole for readers either way, and a
    // flush per downloaded file would slow the install for no gain.
    HANDLE handle = file_.Release();
    if (!::CloseHandle(handle)) return ::GetLastError();
    if (IsFolder(final_.c_str())) return kErrorAccessDenied;
    if (!::MoveFileExW(temp_.c_str(), final_.c_str(), MOVEFILE_REPLACE_EXISTING))
      return ::GetLastError();  // the destructor removes the temporary file
    committed_ = true;
    return 0;
  }

 private:
  uint32_t WriteAll(const char* p, size_t size) {
    while (size > 0) {
      DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!::WriteFile(file_.Get(), p, chunk, &written, nullptr)) return ::GetLastError();
      if (written == 0) return kErrorWriteFault;
      p += written;
      size -= written;
    }
    return 0;
  }

  WriteBuffer buffer_;
  ScopedFileHandle file_;
  std::wstring temp_;
  std::wstring final_;
  bool committed_ = false;
};

}  // namespace

uint32_t CreateFolderTree(const wchar_t* path) {
  int result = ::SHCreateDirectoryExW(nullptr, path, nullptr);
  if (result == ERROR_FILE_EXISTS) return kErrorAlreadyExists;
  return static_cast<uint32_t>(result);
}

uint32_t CreateFolder(const wchar_t* path) {
  return ::CreateDirectoryW(path, nullptr) ? 0 : ::GetLastError();
}

bool PathExists(const wchar_t* path) {
  return ::PathFileExistsW(path) != FALSE;
}

bool FolderExists(const wchar_t* path) {
  return IsFolder(path);
}

uint32_t CopyFileReplacing(const wchar_t* from, const wchar_t* to) {
  return ::CopyFileW(from, to, FALSE) ? 0 : ::GetLastError();
}

uint32_t CreateOutputFile(const wchar_t* path, std::unique_ptr<OutputFile>* file) {
  if (IsFolder(path)) return kErrorAccessDenied;
  static std::atomic<unsigned> counter{0};
  std::wstring final_path = path;
  std::wstring temp = FolderOf(final_path) + L"~vd" + std::to_wstring(::GetCurrentProcessId()) +
                      L"_" + std::to_wstring(counter++) + L".tmp";
  ScopedFileHandle handle(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return ::GetLastError();
  *file =
      std::make_unique<Win32OutputFile>(std::move(handle), std::move(temp), std::move(final_path));
  return 0;
}

uint32_t ReadWholeFile(const wchar_t* path, std::string* bytes) {
  ScopedFileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError();
  bytes->clear();
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return ::GetLastError();
    if (read == 0) return 0;
    bytes->append(buffer, read);
  }
}

}  // namespace platform
