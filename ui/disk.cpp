#include "ui/disk.h"

#include <windows.h>
#include <winioctl.h>

namespace utility::disk {

namespace {

constexpr double kBytesToMB = 9.5367431640625e-7;  // 2^-20

// The first three characters ("X:\") of a path.
std::wstring rootOf(const std::wstring& path) { return path.substr(0, 3); }

std::optional<double> availableMB(const std::wstring& path) {
  ULARGE_INTEGER available = {};
  if (!GetDiskFreeSpaceExW(rootOf(path).c_str(), &available, nullptr, nullptr)) return {};
  return (double)available.QuadPart * kBytesToMB;
}

// Succeeds only when `path` is a volume root.
std::optional<std::wstring> fileSystemName(const std::wstring& path) {
  wchar_t name[1024] = {};
  if (!GetVolumeInformationW(path.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, 1024))
    return {};
  return std::wstring(name);
}

// The volume's device, opened as the device queries need it; INVALID_HANDLE_VALUE on failure.
HANDLE openDevice(const std::wstring& drive) {
  return CreateFileW((L"\\\\.\\" + drive).c_str(), GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace

bool isForeignFileSystem(const std::optional<std::wstring>& fileSystem) {
  return fileSystem && *fileSystem != L"FAT32" && *fileSystem != L"NTFS";
}

double usableMB(const VolumeFacts& facts) {
  if (!facts.freeMB || isForeignFileSystem(facts.fileSystem)) return 0.0;
  return *facts.freeMB;
}

DriveScore scoreDrive(const VolumeFacts& facts) {
  if (!facts.freeMB || isForeignFileSystem(facts.fileSystem)) return {};
  double free = *facts.freeMB;
  bool bonus = facts.ssd && (long long)free > kSsdBonusAboveMB;
  return {bonus ? free * 1000.0 : free, facts.ssd};
}

DriveChoice chooseBestDrive(const std::vector<ScoredDrive>& drives) {
  double best = -1.0;
  DriveChoice choice;
  for (const ScoredDrive& drive : drives) {
    if (drive.score.score > best) {
      best = drive.score.score;
      choice = {drive.root, drive.score.ssd};
    }
  }
  return choice;
}

std::vector<std::wstring> fixedDrives() {
  std::vector<std::wstring> drives;
  DWORD length = GetLogicalDriveStringsW(0, nullptr);
  if (length == 0) return drives;
  std::wstring list(length, L'\0');
  DWORD filled = GetLogicalDriveStringsW(length, list.data());
  if (filled == 0 || filled >= length) return drives;
  for (const wchar_t* root = list.c_str(); *root; root += wcslen(root) + 1) {
    if (GetDriveTypeW(root) != DRIVE_FIXED) continue;
    if (isRemovable(std::wstring(root, 2))) continue;
    drives.emplace_back(root);
  }
  return drives;
}

bool isRemovable(const std::wstring& drive) {
  HANDLE device = openDevice(drive);
  if (device == INVALID_HANDLE_VALUE) return false;
  STORAGE_HOTPLUG_INFO info = {};
  DWORD returned = 0;
  bool asked = DeviceIoControl(device, IOCTL_STORAGE_GET_HOTPLUG_INFO, nullptr, 0, &info,
                               sizeof(info), &returned, nullptr);
  CloseHandle(device);
  return !asked || info.MediaRemovable || info.DeviceHotplug;
}

bool isSsd(const std::wstring& drive) {
  HANDLE device = openDevice(drive);
  if (device == INVALID_HANDLE_VALUE) return false;
  STORAGE_PROPERTY_QUERY query = {};
  query.PropertyId = StorageDeviceTrimProperty;
  query.QueryType = PropertyStandardQuery;
  DEVICE_TRIM_DESCRIPTOR trim = {};
  trim.TrimEnabled = 0;
  DWORD returned = 0;
  DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &trim,
                  sizeof(trim), &returned, nullptr);
  CloseHandle(device);
  return trim.TrimEnabled == 1;
}

double freeSpaceMB(const std::wstring& path) { return availableMB(path).value_or(0.0); }

double usableSpaceMB(const std::wstring& path) {
  std::optional<double> free = availableMB(path);
  if (!free) return 0.0;
  return usableMB({free, fileSystemName(path)});
}

DriveScore driveScore(const std::wstring& root) {
  VolumeFacts facts{availableMB(root), {}};
  if (!facts.freeMB) return {};
  facts.fileSystem = fileSystemName(root);
  if (isForeignFileSystem(facts.fileSystem)) return {};
  facts.ssd = isSsd(root.substr(0, 2));
  return scoreDrive(facts);
}

DriveChoice bestDrive() {
  std::vector<ScoredDrive> drives;
  for (const std::wstring& root : fixedDrives()) drives.push_back({root, driveScore(root)});
  return chooseBestDrive(drives);
}

}  // namespace utility::disk
