// Win32 only code. Drive queries for the portable installation.
#include "platform/drives.h"

#include <cstddef>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32.h"
// clang-format off
#include <winioctl.h>  // needs <windows.h> first
// clang-format on

namespace platform {
namespace {

// Room for the descriptor and the identification strings that follow it.
constexpr DWORD kDescriptorBufferSize = 551;

}  // namespace

uint32_t GetLogicalDriveMask() {
  return ::GetLogicalDrives();
}

DriveType GetDriveTypeOf(const wchar_t* root) {
  return static_cast<DriveType>(::GetDriveTypeW(root));
}

bool QueryStorageBusType(const wchar_t* devicePath, uint32_t* busType) {
  win32::ScopedFileHandle volume(::CreateFileW(devicePath, GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
  if (!volume) return false;
  STORAGE_PROPERTY_QUERY query = {};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  alignas(STORAGE_DEVICE_DESCRIPTOR) BYTE buffer[kDescriptorBufferSize] = {};
  auto* descriptor = reinterpret_cast<STORAGE_DEVICE_DESCRIPTOR*>(buffer);
  descriptor->Size = kDescriptorBufferSize;
  DWORD returned = 0;
  if (!::DeviceIoControl(volume.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer,
                         kDescriptorBufferSize, &returned, nullptr)) {
    return false;
  }
  if (returned < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof descriptor->BusType)
    return false;
  *busType = static_cast<uint32_t>(descriptor->BusType);
  return true;
}

}  // namespace platform
