// POSIX only code.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/errors.h"
#include "platform/posix/posix_paths.h"
#include "platform/write_buffer.h"

namespace platform {
namespace fs = std::filesystem;
using posix::ResolvePath;
using posix::WindowsErrorFromErrno;

namespace {

uint32_t CreateOneLevel(const fs::path& host) {
  if (::mkdir(host.c_str(), 0777) == 0) return 0;
  if (errno == EEXIST) return kErrorAlreadyExists;
  return WindowsErrorFromErrno(errno);
}

class PosixOutputFile : public OutputFile {
 public:
  PosixOutputFile(int fd, fs::path temp, fs::path final_path)
      : fd_(fd), temp_(std::move(temp)), final_(std::move(final_path)) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_.c_str());
  }

  uint32_t Write(const void* data, size_t size) override {
    return buffer_.Append(data, size, [this](const char* p, size_t n) { return WriteAll(p, n); });
  }

  uint32_t Commit() override {
    if (uint32_t error = buffer_.Drain([this](const char* p, size_t n) { return WriteAll(p, n); }))
      return error;
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return WindowsErrorFromErrno(errno);
    std::error_code ec;
    if (fs::is_directory(final_, ec)) return kErrorAccessDenied;
    if (::rename(temp_.c_str(), final_.c_str()) != 0) return WindowsErrorFromErrno(errno);
    committed_ = true;
    return 0;
  }

 private:
  uint32_t WriteAll(const char* p, size_t size) {
    while (size > 0) {
      ssize_t n = ::write(fd_, p, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return WindowsErrorFromErrno(errno);
      }
      p += n;
      size -= static_cast<size_t>(n);
    }
    return 0;
  }

  WriteBuffer buffer_;
  int fd_;
  fs::path temp_;
  fs::path final_;
  bool committed_ = false;
};

}  // namespace

uint32_t CreateFolderTree(const wchar_t* path) {
  fs::path host;
  if (uint32_t error = ResolvePath(path, &host)) return error;
  std::error_code ec;
  if (fs::exists(host, ec)) return kErrorAlreadyExists;
  // Create from the first missing ancestor down, so every error names the
  // level that failed.
  std::vector<fs::path> missing;
  for (fs::path p = host; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    uint32_t error = CreateOneLevel(*it);
    if (error != 0 && error != kErrorAlreadyExists) return error;
  }
  return fs::is_directory(host, ec) ? 0 : kErrorPathNotFound;
}

uint32_t CreateFolder(const wchar_t* path) {
  fs::path host;
  if (uint32_t error = ResolvePath(path, &host)) return error;
  return CreateOneLevel(host);
}

bool PathExists(const wchar_t* path) {
  fs::path host;
  std::error_code ec;
  return ResolvePath(path, &host) == 0 && fs::exists(host, ec);
}

bool FolderExists(const wchar_t* path) {
  fs::path host;
  std::error_code ec;
  return ResolvePath(path, &host) == 0 && fs::is_directory(host, ec);
}

uint32_t CopyFileReplacing(const wchar_t* from, const wchar_t* to) {
  std::string bytes;
  if (uint32_t error = ReadWholeFile(from, &bytes)) return error;
  std::unique_ptr<OutputFile> out;
  if (uint32_t error = CreateOutputFile(to, &out)) return error;
  if (uint32_t error = out->Write(bytes.data(), bytes.size())) return error;
  return out->Commit();
}

uint32_t CreateOutputFile(const wchar_t* path, std::unique_ptr<OutputFile>* file) {
  fs::path host;
  if (uint32_t error = ResolvePath(path, &host)) return error;
  std::error_code ec;
  if (fs::is_directory(host, ec)) return kErrorAccessDenied;
  static std::atomic<unsigned> counter{0};
  fs::path temp = host.parent_path() /
                  ("~vd" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".tmp");
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return WindowsErrorFromErrno(errno);
  *file = std::make_unique<PosixOutputFile>(fd, temp, host);
  return 0;
}

uint32_t ReadWholeFile(const wchar_t* path, std::string* bytes) {
  fs::path host;
  if (uint32_t error = ResolvePath(path, &host)) return error;
  std::error_code ec;
  if (fs::is_directory(host, ec)) return kErrorAccessDenied;
  std::ifstream in(host, std::ios::binary);
  if (!in) return fs::exists(host, ec) ? kErrorAccessDenied : kErrorFileNotFound;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return 0;
}

}  // namespace platform
