// POSIX only code. Shortcut files in the Windows shell link format, and
// opening addresses with the desktop's opener.
//
// A shortcut written here is the file the Windows shell would write for the
// same target: a 76-byte header, a LinkInfo block holding the target's local
// path (in the ANSI code page and in UTF-16), the description as its name
// string, and the terminal block. Windows, Wine and the product's uninstaller
// read it as they read their own.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/files.h"
#include "platform/posix/posix_paths.h"
#include "platform/shell.h"

extern char** environ;

namespace platform {
namespace {
namespace fs = std::filesystem;

// Shell link header fields.
constexpr uint32_t kHeaderSize = 0x4C;
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr uint32_t kHasLinkInfo = 0x2;
constexpr uint32_t kHasName = 0x4;
constexpr uint32_t kIsUnicode = 0x80;
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kShowNormal = 1;

// LinkInfo fields.
constexpr uint32_t kLinkInfoHeaderSize = 0x24;  // with the Unicode offsets
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr uint32_t kVolumeIdSize = 0x11;  // 16 bytes and an empty label
constexpr uint32_t kVolumeLabelOffset = 0x10;
constexpr uint32_t kDriveFixed = 3;

// ShellExecute's results.
constexpr intptr_t kShellOpened = 42;
constexpr intptr_t kShellFileNotFound = 2;  // SE_ERR_FNF

class Bytes {
 public:
  void U16(uint32_t v) {
    text_.push_back(static_cast<char>(v & 0xFF));
    text_.push_back(static_cast<char>((v >> 8) & 0xFF));
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void U64(uint64_t v) {
    U32(static_cast<uint32_t>(v));
    U32(static_cast<uint32_t>(v >> 32));
  }
  void Raw(const void* data, size_t size) { text_.append(static_cast<const char*>(data), size); }
  void Append(const std::string& bytes) { text_ += bytes; }
  size_t size() const { return text_.size(); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// The ANSI form of a path: Latin-1 where it can be, "?" elsewhere, as the
// system's conversion marks characters the code page lacks.
std::string Ansi(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text)
    out.push_back(static_cast<uint32_t>(c) < 0x100 ? static_cast<char>(c) : '?');
  out.push_back('\0');
  return out;
}

std::string Utf16(std::wstring_view text, bool terminated) {
  Bytes out;
  for (wchar_t wc : text) {
    uint32_t c = static_cast<uint32_t>(wc);
    if (c >= 0x10000) {
      c -= 0x10000;
      out.U16(0xD800 + (c >> 10));
      out.U16(0xDC00 + (c & 0x3FF));
    } else {
      out.U16(c);
    }
  }
  if (terminated) out.U16(0);
  return out.text();
}

// What the file system says of the target, for the header; a target that is
// not there yet gives a plain file of size 0.
struct TargetFacts {
  uint32_t attributes = kFileAttributeArchive;
  uint32_t size = 0;
  uint32_t volumeSerial = 0;
};

TargetFacts ExamineTarget(std::wstring_view target) {
  TargetFacts facts;
  fs::path host;
  if (posix::ResolvePath(target, &host) != 0) return facts;
  struct stat st;
  if (::stat(host.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) facts.attributes = kFileAttributeDirectory;
    if (S_ISREG(st.st_mode)) facts.size = static_cast<uint32_t>(st.st_size);
  }
  // The host device number stands in for the volume's serial number.
  fs::path drive = posix::GetDriveFolder(target.empty() ? L'C' : target[0]);
  if (::stat(drive.c_str(), &st) == 0) facts.volumeSerial = static_cast<uint32_t>(st.st_dev);
  return facts;
}

std::string LinkInfo(std::wstring_view target, uint32_t volumeSerial) {
  const std::string ansiPath = Ansi(target);
  const std::string unicodePath = Utf16(target, true);
  const uint32_t volumeIdOffset = kLinkInfoHeaderSize;
  const uint32_t localBasePathOffset = volumeIdOffset + kVolumeIdSize;
  const uint32_t commonPathSuffixOffset =
      localBasePathOffset + static_cast<uint32_t>(ansiPath.size());
  const uint32_t localBasePathOffsetUnicode = commonPathSuffixOffset + 1;
  const uint32_t commonPathSuffixOffsetUnicode =
      localBasePathOffsetUnicode + static_cast<uint32_t>(unicodePath.size());
  const uint32_t size = commonPathSuffixOffsetUnicode + 2;

  Bytes info;
  info.U32(size);
  info.U32(kLinkInfoHeaderSize);
  info.U32(kVolumeIdAndLocalBasePath);
  info.U32(volumeIdOffset);
  info.U32(localBasePathOffset);
  info.U32(0);  // no network location
  info.U32(commonPathSuffixOffset);
  info.U32(localBasePathOffsetUnicode);
  info.U32(commonPathSuffixOffsetUnicode);
  // VolumeID
  info.U32(kVolumeIdSize);
  info.U32(kDriveFixed);
  info.U32(volumeSerial);
  info.U32(kVolumeLabelOffset);
  info.Raw("", 1);  // empty label
  info.Append(ansiPath);
  info.Raw("", 1);  // empty common path suffix
  info.Append(unicodePath);
  info.U16(0);  // empty common path suffix, Unicode
  return info.text();
}

std::string ShellLinkFile(std::wstring_view target, std::wstring_view description) {
  const TargetFacts facts = ExamineTarget(target);
  Bytes link;
  link.U32(kHeaderSize);
  link.Raw(kLinkClsid, sizeof kLinkClsid);
  link.U32(kHasLinkInfo | kHasName | kIsUnicode);
  link.U32(facts.attributes);
  link.U64(0);  // creation, access and write times: unknown
  link.U64(0);
  link.U64(0);
  link.U32(facts.size);
  link.U32(0);  // icon index
  link.U32(kShowNormal);
  link.U16(0);  // hot key
  link.U16(0);  // reserved
  link.U32(0);
  link.U32(0);
  link.Append(LinkInfo(target, facts.volumeSerial));
  // NAME_STRING: a count of UTF-16 units, then the units, no terminator.
  const std::string name = Utf16(description, false);
  link.U16(static_cast<uint32_t>(name.size() / 2));
  link.Append(name);
  link.U32(0);  // terminal block
  return link.text();
}

}  // namespace

bool CreateShellLink(const wchar_t* target, const wchar_t* linkPath, const wchar_t* description) {
  if (!target || !linkPath) return false;
  const std::string bytes = ShellLinkFile(target, description ? description : L"");
  // As with the shell's link object, the result says that the link was made
  // and asked to save itself, not whether the file was written.
  std::unique_ptr<OutputFile> file;
  if (CreateOutputFile(linkPath, &file) == 0 && file->Write(bytes.data(), bytes.size()) == 0)
    file->Commit();
  return true;
}

intptr_t ShellOpen(const wchar_t* address, int showCommand) {
  if (!address) return kShellFileNotFound;
  const char* opener = std::getenv("VALDORINE_OPENER");
  if (!opener || !*opener) opener = "xdg-open";
  std::string target = posix::ToUtf8(address);
  // A shell checks that the opener exists, starts it in the background and
  // ends at once: the opener then belongs to init, so it is neither waited for
  // (a browser may run for hours) nor left behind as a zombie of the setup.
  std::string shell = "sh", dashC = "-c",
              script =
                  "command -v \"$0\" >/dev/null 2>&1 || exit 127\n"
                  "\"$0\" \"$1\" </dev/null >/dev/null 2>&1 &";
  std::string program = opener;
  char* argv[] = {shell.data(),   dashC.data(),  script.data(),
                  program.data(), target.data(), nullptr};
  pid_t pid;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0)
    return kShellFileNotFound;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    // With SIGCHLD ignored the system reaps the shell itself.
    if (errno != EINTR) return kShellOpened;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kShellOpened : kShellFileNotFound;
}

}  // namespace platform
