// POSIX only code. Drive kinds and bus types from the mount table and sysfs;
// see posix_drives.h.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <system_error>

#include "platform/drives.h"
#include "platform/posix/posix_drives.h"
#include "platform/posix/posix_paths.h"

namespace platform {
namespace posix {
namespace {
namespace fs = std::filesystem;

struct Sources {
  fs::path sysfs = "/sys";
  fs::path mountInfo = "/proc/self/mountinfo";
  std::map<wchar_t, std::string> devices;
};

Sources& TheSources() {
  static Sources sources;
  return sources;
}

wchar_t UpperLetter(wchar_t c) {
  return (c >= L'a' && c <= L'z') ? c - L'a' + L'A' : c;
}

// File systems reached over a network: the system calls their drives remote.
constexpr std::string_view kRemoteFileSystems[] = {
    "nfs",   "nfs4",        "cifs",           "smb3",        "smbfs",  "ncpfs",
    "afs",   "coda",        "ceph",           "glusterfs",   "lustre", "fuse.sshfs",
    "sshfs", "fuse.davfs2", "fuse.glusterfs", "fuse.rclone",
};
constexpr std::string_view kOpticalFileSystems[] = {"iso9660", "udf"};

template <size_t N>
bool IsOneOf(std::string_view value, const std::string_view (&list)[N]) {
  return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

// The storage bus of a disk, read off its place in the device tree: the first
// kind of node found names it. USB comes first, because a USB disk also sits
// below a SCSI host.
struct BusNode {
  std::string_view prefix;  // of a path component
  uint32_t busType;         // STORAGE_BUS_TYPE
};
constexpr BusNode kBusNodes[] = {
    {"usb", kBusTypeUsb}, {"nvme", 0x11},   {"mmc", 0x0C},
    {"ata", 0x0B},        {"virtio", 0x0E}, {"loop", 0x0F},
};

// Decodes the octal escapes (\040 for a space) of a mountinfo field.
std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && std::isdigit(field[i + 1]) &&
        std::isdigit(field[i + 2]) && std::isdigit(field[i + 3])) {
      out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

bool IsUnder(const std::string& path, const std::string& mountPoint) {
  if (mountPoint == "/") return true;
  return path == mountPoint ||
         (path.size() > mountPoint.size() && path.compare(0, mountPoint.size(), mountPoint) == 0 &&
          path[mountPoint.size()] == '/');
}

// The mount that holds |folder|: the one with the longest mount point above
// it, the last listed among equals (a later mount hides an earlier one). The
// device numbers of the folder itself cannot tell bind mounts apart.
bool FindMount(const fs::path& folder, MountEntry* found) {
  std::error_code ec;
  fs::path real = fs::canonical(folder, ec);
  if (ec) return false;
  const std::string path = real.string();
  size_t best = 0;
  bool any = false;
  for (MountEntry& entry : ReadMountInfo(TheSources().mountInfo)) {
    const std::string mountPoint = entry.mountPoint.string();
    if (!IsUnder(path, mountPoint) || (any && mountPoint.size() < best)) continue;
    best = mountPoint.size();
    *found = std::move(entry);
    any = true;
  }
  return any;
}

fs::path CanonicalOrEmpty(const fs::path& path) {
  std::error_code ec;
  fs::path real = fs::canonical(path, ec);
  return ec ? fs::path() : real;
}

// The whole disk of a block device folder in sysfs: a partition's parent; for
// a mapped device (dm-crypt, LVM, RAID) the disk under its first slave.
fs::path DiskOf(fs::path device) {
  std::error_code ec;
  for (int depth = 0; depth < 8 && !device.empty(); ++depth) {
    if (fs::exists(device / "partition", ec)) device = device.parent_path();
    std::vector<fs::path> slaves;
    for (fs::directory_iterator it(device / "slaves", ec), end; !ec && it != end; it.increment(ec))
      slaves.push_back(it->path());
    if (slaves.empty()) return device;
    std::sort(slaves.begin(), slaves.end());
    device = CanonicalOrEmpty(slaves.front());
  }
  return device;
}

// The sysfs folder of the block device a drive stands on, or empty when it
// stands on none (a network or memory file system, a missing folder).
fs::path DriveDevice(wchar_t letter, MountEntry* mount, bool* mounted) {
  const Sources& sources = TheSources();
  *mounted = false;
  auto tie = sources.devices.find(letter);
  if (tie != sources.devices.end()) {
    fs::path device = CanonicalOrEmpty(sources.sysfs / "class" / "block" / tie->second);
    if (!device.empty()) return device;
  }
  fs::path folder = GetDriveFolder(letter);
  if (folder.empty() || !FindMount(folder, mount)) return {};
  *mounted = true;
  fs::path device =
      CanonicalOrEmpty(sources.sysfs / "dev" / "block" /
                       (std::to_string(mount->major) + ":" + std::to_string(mount->minor)));
  // File systems such as btrfs report a device number of their own; their
  // source still names the partition.
  if (device.empty() && mount->source.rfind("/dev/", 0) == 0) {
    device =
        CanonicalOrEmpty(sources.sysfs / "class" / "block" / fs::path(mount->source).filename());
  }
  return device;
}

std::string ReadFirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// Parses "E:\\", "E:" or "E:/"; returns 0 for anything else.
wchar_t RootLetter(const wchar_t* root) {
  if (!root || !root[0] || root[1] != L':') return 0;
  if (root[2] && !((root[2] == L'\\' || root[2] == L'/') && !root[3])) return 0;
  wchar_t letter = UpperLetter(root[0]);
  return letter >= L'A' && letter <= L'Z' ? letter : 0;
}

}  // namespace

void SetSysfsRoot(const fs::path& root) {
  TheSources().sysfs = root;
}
void SetMountInfoFile(const fs::path& file) {
  TheSources().mountInfo = file;
}
fs::path MountInfoFile() {
  return TheSources().mountInfo;
}

void SetDriveDevice(wchar_t letter, const std::string& blockDevice) {
  letter = UpperLetter(letter);
  if (blockDevice.empty())
    TheSources().devices.erase(letter);
  else
    TheSources().devices[letter] = blockDevice;
}

void ResetDriveSources() {
  TheSources() = Sources();
}

std::vector<MountEntry> ReadMountInfo(const fs::path& file) {
  std::vector<MountEntry> entries;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    // id parent major:minor root mount-point options [optional...] - type source super
    std::istringstream fields(line);
    std::vector<std::string> parts;
    for (std::string part; fields >> part;) parts.push_back(part);
    auto dash = std::find(parts.begin(), parts.end(), "-");
    if (parts.size() < 5 || dash == parts.end() || parts.end() - dash < 3) continue;
    MountEntry entry;
    if (std::sscanf(parts[2].c_str(), "%u:%u", &entry.major, &entry.minor) != 2) continue;
    entry.mountPoint = Unescape(parts[4]);
    entry.fsType = dash[1];
    entry.source = Unescape(dash[2]);
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace posix

uint32_t GetLogicalDriveMask() {
  return posix::MappedDriveMask();
}

DriveType GetDriveTypeOf(const wchar_t* root) {
  const wchar_t letter = posix::RootLetter(root);
  if (!letter || posix::GetDriveFolder(letter).empty()) return kDriveNoRootDir;
  posix::MountEntry mount;
  bool mounted = false;
  std::filesystem::path device = posix::DriveDevice(letter, &mount, &mounted);
  if (device.empty()) {
    std::error_code ec;
    if (!std::filesystem::is_directory(posix::GetDriveFolder(letter), ec)) return kDriveNoRootDir;
    if (mounted && posix::IsOneOf(mount.fsType, posix::kRemoteFileSystems)) return kDriveRemote;
    if (mounted && posix::IsOneOf(mount.fsType, posix::kOpticalFileSystems)) return kDriveCdrom;
    return kDriveFixed;
  }
  if (mounted && posix::IsOneOf(mount.fsType, posix::kOpticalFileSystems)) return kDriveCdrom;
  const std::filesystem::path disk = posix::DiskOf(device);
  if (disk.filename().string().rfind("sr", 0) == 0) return kDriveCdrom;
  if (posix::ReadFirstLine(disk / "removable") == "1") return kDriveRemovable;
  return kDriveFixed;
}

bool QueryStorageBusType(const wchar_t* devicePath, uint32_t* busType) {
  if (!devicePath) return false;
  std::wstring_view path = devicePath;
  if (path.size() != 6 || !(path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")))
    return false;
  const wchar_t root[] = {path[4], path[5], 0};
  const wchar_t letter = posix::RootLetter(root);
  if (!letter || posix::GetDriveFolder(letter).empty()) return false;
  posix::MountEntry mount;
  bool mounted = false;
  const std::filesystem::path device = posix::DriveDevice(letter, &mount, &mounted);
  // Only a drive on a block device opens as a volume.
  if (device.empty()) return false;
  const std::filesystem::path disk = posix::DiskOf(device);
  *busType = 0;  // BusTypeUnknown
  for (const posix::BusNode& node : posix::kBusNodes) {
    for (const auto& component : disk) {
      if (component.string().rfind(node.prefix, 0) == 0) {
        *busType = node.busType;
        return true;
      }
    }
  }
  return true;
}

}  // namespace platform
