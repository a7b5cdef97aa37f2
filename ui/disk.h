// Questions about the local drives: which fixed drives there are, whether one
// is a solid-state drive, how much space it offers, and which suits the
// installation best. Every failed system call gives the neutral answer (false,
// 0 MB, score 0); nothing is logged. Device queries need administrator rights.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace utility::disk {

// What the system told about one volume; the rules below work on these alone.
struct VolumeFacts {
  std::optional<double> freeMB;            // none when GetDiskFreeSpaceExW failed
  std::optional<std::wstring> fileSystem;  // none when GetVolumeInformationW failed
  bool ssd = false;
};

struct DriveScore {
  double score = 0.0;
  bool ssd = false;
};

struct ScoredDrive {
  std::wstring root;
  DriveScore score;
};

struct DriveChoice {
  std::wstring root;  // empty when there is no candidate
  bool ssd = false;
};

// Space above which a solid-state drive's score is multiplied by 1000.
inline constexpr long long kSsdBonusAboveMB = 17408;

// A volume whose file system is known and is neither "FAT32" nor "NTFS".
bool isForeignFileSystem(const std::optional<std::wstring>& fileSystem);
// The space a volume offers the installation: 0 when unknown or foreign.
double usableMB(const VolumeFacts& facts);
// The free MB, times 1000 for a solid-state drive with more than 17408 MB free;
// 0 (not solid-state) when the space is unknown or the file system foreign.
DriveScore scoreDrive(const VolumeFacts& facts);
// The first drive with the highest score (any score beats -1.0).
DriveChoice chooseBestDrive(const std::vector<ScoredDrive>& drives);

// Fixed, non-removable drive roots ("X:\") in enumeration order.
std::vector<std::wstring> fixedDrives();
// `drive` is a name without the back-slash ("X:"). A device that cannot be
// asked about hot-plugging counts as removable; one that cannot be opened not.
bool isRemovable(const std::wstring& drive);
// The device reports TRIM enabled.
bool isSsd(const std::wstring& drive);
// Space available to the caller on the volume of `path` (its first three
// characters), in MB; 0 on failure.
double freeSpaceMB(const std::wstring& path);
// As freeSpaceMB, but 0 when `path` is itself the root of a volume with a file
// system other than FAT32 or NTFS.
double usableSpaceMB(const std::wstring& path);
// scoreDrive over what the system tells about the volume of `root` ("X:\").
DriveScore driveScore(const std::wstring& root);
// The first fixed drive with the highest score; an empty root when none.
DriveChoice bestDrive();

}  // namespace utility::disk
