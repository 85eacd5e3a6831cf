// Removable-drive detection on the posix backend, against fixture machines:
// a sysfs tree and a mount table written by the test, and drive folders that
// the mount table places on the fixture's block devices.
#include "install/removable_drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/headless/headless_window.h"
#include "platform/posix/device_monitor.h"
#include "platform/posix/posix_drives.h"
#include "platform/posix/posix_paths.h"
#include "platform/window.h"
#include "setup/setup_state.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::DriveType;

// Where devices sit in the device tree.
constexpr char kSata[] = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";
constexpr char kSataOptical[] = "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0";
constexpr char kNvme[] = "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0";
constexpr char kUsbDisk[] = "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0";
constexpr char kUsbStick[] = "pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/host7/target7:0:0/7:0:0:0";
constexpr char kUsbCardReader[] =
    "pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/host8/target8:0:0/8:0:0:0";
constexpr char kFloppy[] = "platform/floppy.0";

struct Device {
  const char* name;   // kernel name
  const char* disk;   // null for a whole disk, else the disk of this partition
  const char* place;  // below sys/devices (whole disks only)
  const char* dev;    // major:minor
  int removable;      // whole disks only
};

struct Drive {
  wchar_t letter;
  const char* folder;  // below the machine's root; null: the folder is missing
  const char* dev;     // of its mount line; null: no mount of its own
  const char* fsType;
  const char* source;
  DriveType type;
  const char* tie = nullptr;  // block device tied to the letter
};

struct Machine {
  const char* name;
  std::vector<Device> devices;
  std::vector<Drive> drives;
  std::wstring letters;
};

// Builds a machine's sysfs tree and mount table under |root| and maps its drives.
class FixtureMachine {
 public:
  FixtureMachine(const fs::path& root, const Machine& machine) : root_(root) {
    fs::create_directories(root_ / "sys/dev/block");
    fs::create_directories(root_ / "sys/class/block");
    for (const Device& d : machine.devices) AddDevice(d);
    std::ofstream mounts(root_ / "mountinfo");
    // Everything not mounted elsewhere lies on the internal disk.
    mounts << "20 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n";
    int id = 30;
    for (const Drive& drive : machine.drives) {
      const fs::path folder = drive.folder ? root_ / "mnt" / drive.folder : root_ / "gone";
      if (drive.folder) fs::create_directories(folder);
      platform::posix::SetDriveFolder(drive.letter, folder);
      if (drive.tie) platform::posix::SetDriveDevice(drive.letter, drive.tie);
      if (drive.dev) {
        ++id;
        mounts << id << " 20 " << drive.dev << " / " << Escape(folder.string())
               << " rw,relatime shared:" << id << " - " << drive.fsType << " " << drive.source
               << " rw\n";
      }
    }
    platform::posix::SetSysfsRoot(root_ / "sys");
    platform::posix::SetMountInfoFile(root_ / "mountinfo");
  }

  void AddDevice(const Device& d) {
    fs::path folder;
    if (d.disk) {
      folder = disks_.at(d.disk) / d.name;
      fs::create_directories(folder);
      std::ofstream(folder / "partition") << "1\n";
    } else {
      folder = root_ / "sys/devices" / d.place / "block" / d.name;
      fs::create_directories(folder / "slaves");
      std::ofstream(folder / "removable") << d.removable << "\n";
      disks_[d.name] = folder;
    }
    std::ofstream(folder / "dev") << d.dev << "\n";
    Link(root_ / "sys/dev/block" / d.dev, folder);
    Link(root_ / "sys/class/block" / d.name, folder);
  }

  // A device mapper volume over |slave| (dm-crypt, LVM).
  void AddMappedDevice(const char* name, const char* dev, const char* slave) {
    fs::path folder = root_ / "sys/devices/virtual/block" / name;
    fs::create_directories(folder / "slaves");
    std::ofstream(folder / "removable") << "0\n";
    Link(folder / "slaves" / slave, root_ / "sys/class/block" / slave);
    Link(root_ / "sys/dev/block" / dev, folder);
    Link(root_ / "sys/class/block" / name, folder);
  }

  static void Link(const fs::path& link, const fs::path& target) {
    fs::path resolved = fs::is_symlink(target) ? fs::read_symlink(target) : target;
    if (resolved.is_relative()) resolved = (target.parent_path() / resolved).lexically_normal();
    fs::create_directory_symlink(fs::relative(resolved, link.parent_path()), link);
  }

  // Mount points as the kernel writes them: \040 for a space, and so on.
  static std::string Escape(const std::string& path) {
    std::string out;
    for (char c : path) {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\%03o", static_cast<unsigned char>(c));
        out += buffer;
      } else {
        out.push_back(c);
      }
    }
    return out;
  }

 private:
  fs::path root_;
  std::map<std::string, fs::path> disks_;
};

class RemovableDrivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup::ResetSetupStateForTesting();
    platform::posix::ClearDrives();
    platform::posix::ResetDriveSources();
  }
  void TearDown() override {
    platform::posix::ResetDriveSources();
    platform::posix::ClearDrives();
    setup::ResetSetupStateForTesting();
  }

  static std::wstring Found() {
    std::fill(std::begin(setup::state.driveLetters), std::end(setup::state.driveLetters), 0);
    const int count = install::FindRemovableDrives();
    std::wstring letters(setup::state.driveLetters);
    EXPECT_EQ(static_cast<size_t>(count), letters.size());
    return letters;
  }

  testing_support::TempFolder temp_;
};

const Device kInternalDisk[] = {{"sda", nullptr, kSata, "8:0", 0}, {"sda2", "sda", "", "8:2", 0}};

std::vector<Device> With(std::initializer_list<Device> more) {
  std::vector<Device> devices(std::begin(kInternalDisk), std::end(kInternalDisk));
  devices.insert(devices.end(), more);
  return devices;
}

TEST_F(RemovableDrivesTest, ListsRemovableAndUsbDrivesOfEachMachine) {
  using enum platform::DriveType;
  const Machine machines[] = {
      {"no removable drive",
       With({}),
       {{L'C', "c", "8:2", "ext4", "/dev/sda2", kDriveFixed},
        {L'T', "t", "0:40", "tmpfs", "tmpfs", kDriveFixed}},
       L""},
      {"floppy A: and a card reader without a medium",
       With({{"fd0", nullptr, kFloppy, "2:0", 1}, {"sdc", nullptr, kUsbCardReader, "8:32", 1}}),
       {{L'A', nullptr, nullptr, "", "", kDriveRemovable, "fd0"},
        {L'C', "c", "8:2", "ext4", "/dev/sda2", kDriveFixed},
        {L'F', "f", nullptr, "", "", kDriveRemovable, "sdc"}},
       L"AF"},
      {"USB hard disk with two partitions",
       With({{"sdb", nullptr, kUsbDisk, "8:16", 0},
             {"sdb1", "sdb", "", "8:17", 0},
             {"sdb2", "sdb", "", "8:18", 0}}),
       {{L'C', "c", "8:2", "ext4", "/dev/sda2", kDriveFixed},
        {L'E', "USB DISK", "8:17", "vfat", "/dev/sdb1", kDriveFixed},
        {L'F', "usb\\data", "8:18", "ext4", "/dev/sdb2", kDriveFixed}},
       L"EF"},
      {"internal SATA and NVMe disks",
       With({{"nvme0n1", nullptr, kNvme, "259:0", 0}, {"nvme0n1p1", "nvme0n1", "", "259:1", 0}}),
       {{L'C', "c", "8:2", "ext4", "/dev/sda2", kDriveFixed},
        {L'D', "d", "259:1", "ntfs3", "/dev/nvme0n1p1", kDriveFixed}},
       L""},
      {"network and optical drives",
       With({{"sr0", nullptr, kSataOptical, "11:0", 1}}),
       {{L'N', "n", "0:52", "nfs4", "server:/export", kDriveRemote},
        {L'R', "r", "11:0", "iso9660", "/dev/sr0", kDriveCdrom},
        {L'S', "s", "0:53", "fuse.sshfs", "ann@server:", kDriveRemote},
        {L'W', "w", "0:54", "cifs", "//server/share", kDriveRemote}},
       L""},
      {"removable E: and USB fixed D:",
       With({{"sdb", nullptr, kUsbDisk, "8:16", 0},
             {"sdb1", "sdb", "", "8:17", 0},
             {"sdc", nullptr, kUsbStick, "8:32", 1},
             {"sdc1", "sdc", "", "8:33", 0}}),
       {{L'E', "e", "8:33", "vfat", "/dev/sdc1", kDriveRemovable},
        {L'D', "d", "8:17", "exfat", "/dev/sdb1", kDriveFixed}},
       L"DE"},
      {"a drive whose folder is gone",
       With({{"sdc", nullptr, kUsbStick, "8:32", 1}, {"sdc1", "sdc", "", "8:33", 0}}),
       {{L'G', nullptr, nullptr, "", "", kDriveNoRootDir},
        {L'H', "h", "8:33", "vfat", "/dev/sdc1", kDriveRemovable}},
       L"H"},
  };
  for (const Machine& machine : machines) {
    SCOPED_TRACE(machine.name);
    platform::posix::ClearDrives();
    platform::posix::ResetDriveSources();
    testing_support::TempFolder root;
    FixtureMachine fixture(root.path(), machine);
    for (const Drive& drive : machine.drives) {
      const wchar_t rootPath[] = {drive.letter, L':', L'\\', 0};
      SCOPED_TRACE(static_cast<char>(drive.letter));
      EXPECT_EQ(platform::GetDriveTypeOf(rootPath), drive.type);
    }
    EXPECT_EQ(Found(), machine.letters);
  }
}

TEST_F(RemovableDrivesTest, FollowsMappedDevicesAndFileSystemsWithTheirOwnNumbers) {
  const Machine machine = {
      "encrypted and btrfs partitions of a USB disk",
      With({{"sdb", nullptr, kUsbDisk, "8:16", 0},
            {"sdb1", "sdb", "", "8:17", 0},
            {"sdb2", "sdb", "", "8:18", 0}}),
      {{L'G', "crypt", "254:0", "ext4", "/dev/mapper/luks-1", platform::kDriveFixed},
       // btrfs reports an anonymous device number; its source names the partition.
       {L'H', "btrfs", "0:77", "btrfs", "/dev/sdb2", platform::kDriveFixed}},
      L"GH"};
  testing_support::TempFolder root;
  FixtureMachine fixture(root.path(), machine);
  fixture.AddMappedDevice("dm-0", "254:0", "sdb1");
  EXPECT_EQ(Found(), L"GH");

  uint32_t bus = 0;
  EXPECT_TRUE(platform::QueryStorageBusType(L"\\\\?\\G:", &bus));
  EXPECT_EQ(bus, platform::kBusTypeUsb);
}

TEST_F(RemovableDrivesTest, BusTypesOfTheVolumes) {
  const Machine machine = {"one of each",
                           With({{"sdb", nullptr, kUsbDisk, "8:16", 0},
                                 {"sdb1", "sdb", "", "8:17", 0},
                                 {"nvme0n1", nullptr, kNvme, "259:0", 0},
                                 {"nvme0n1p1", "nvme0n1", "", "259:1", 0}}),
                           {{L'C', "c", "8:2", "ext4", "/dev/sda2", platform::kDriveFixed},
                            {L'D', "d", "259:1", "ext4", "/dev/nvme0n1p1", platform::kDriveFixed},
                            {L'E', "e", "8:17", "vfat", "/dev/sdb1", platform::kDriveFixed},
                            {L'N', "n", "0:52", "nfs", "server:/export", platform::kDriveRemote}},
                           L"E"};
  testing_support::TempFolder root;
  FixtureMachine fixture(root.path(), machine);
  struct Case {
    const wchar_t* device;
    bool opens;
    uint32_t bus;
  };
  const Case cases[] = {
      {L"\\\\?\\C:", true, 0x0B},  // SATA
      {L"\\\\?\\D:", true, 0x11},  // NVMe
      {L"\\\\?\\E:", true, platform::kBusTypeUsb},
      {L"\\\\.\\E:", true, platform::kBusTypeUsb},
      {L"\\\\?\\N:", false, 0},  // a network drive is no volume here
      {L"\\\\?\\Q:", false, 0},  // no such drive
      {L"\\\\?\\E:\\", false, 0},
      {L"E:", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::posix::ToUtf8(c.device));
    uint32_t bus = 0xFFFF;
    EXPECT_EQ(platform::QueryStorageBusType(c.device, &bus), c.opens);
    if (c.opens) {
      EXPECT_EQ(bus, c.bus);
    }
  }
}

TEST_F(RemovableDrivesTest, TheTestMachinesOwnTempFolderIsAFixedDrive) {
  platform::posix::SetDriveFolder(L'C', temp_.path());
  EXPECT_EQ(platform::GetLogicalDriveMask(), 1u << 2);
  EXPECT_EQ(platform::GetDriveTypeOf(L"C:\\"), platform::kDriveFixed);
  EXPECT_EQ(platform::GetDriveTypeOf(L"D:\\"), platform::kDriveNoRootDir);
}

// ---- Drives coming and going -------------------------------------------

// The part of the main window that matters here: a device event refills the
// drive list.
class DriveListEvents : public platform::WindowEvents {
 public:
  void OnCreate(platform::Window*) override {}
  intptr_t OnCommand(platform::Window*, int, int) override { return 0; }
  void OnLinkClick(platform::Window*, int) override {}
  void OnDeviceChange(platform::Window*, uint32_t event) override {
    events.push_back(event);
    std::fill(std::begin(setup::state.driveLetters), std::end(setup::state.driveLetters), 0);
    install::FindRemovableDrives();
    lists.emplace_back(setup::state.driveLetters);
  }
  void OnClose(platform::Window*) override {}

  std::vector<uint32_t> events;
  std::vector<std::wstring> lists;
};

TEST_F(RemovableDrivesTest, AMountChangeReachesTheWindowAsADeviceEvent) {
  const Machine machine = {
      "a USB stick to come",
      With({{"sdc", nullptr, kUsbStick, "8:32", 1}, {"sdc1", "sdc", "", "8:33", 0}}),
      {{L'C', "c", "8:2", "ext4", "/dev/sda2", platform::kDriveFixed}},
      L""};
  FixtureMachine fixture(temp_.path(), machine);
  const fs::path stick = temp_.path() / "mnt" / "stick";
  fs::create_directories(stick);
  platform::posix::SetDriveFolder(L'E', stick);
  const std::string before = [&] {
    std::ifstream in(temp_.path() / "mountinfo");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  const std::string stickLine =
      "40 20 8:33 / " + stick.string() + " rw,nosuid shared:9 - vfat /dev/sdc1 rw\n";

  platform::headless::HeadlessWindowSystem system;
  DriveListEvents events;
  ASSERT_NE(system.CreateMainWindow(L"Valdorine Install", 572, 720, &events), nullptr);
  platform::posix::DeviceMonitor monitor;
  // How a posix window loop wires the monitor: poll, and pass on what it says.
  auto poll = [&] {
    if (uint32_t event = monitor.Poll()) system.DeviceChange(event);
  };

  struct Step {
    const char* name;
    std::string mountinfo;
    std::vector<uint32_t> events;
    std::vector<std::wstring> lists;
  };
  const Step steps[] = {
      {"nothing yet", before, {}, {}},
      {"stick mounted", before + stickLine, {platform::kDeviceArrival}, {L"E"}},
      {"remounted under a new id",
       before + "41" + stickLine.substr(2),
       {platform::kDeviceArrival},
       {L"E"}},
      {"stick removed",
       before,
       {platform::kDeviceArrival, platform::kDeviceRemoveComplete},
       {L"E", L""}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    std::ofstream(temp_.path() / "mountinfo") << step.mountinfo;
    poll();
    EXPECT_EQ(events.events, step.events);
    EXPECT_EQ(events.lists, step.lists);
  }
}

}  // namespace
