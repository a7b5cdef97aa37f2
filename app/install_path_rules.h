// The rules for the installation folder a user types or picks: when a folder
// is valid, how a choice becomes the final folder, and which advice the choice
// deserves. Plain functions over texts; the only system question, whether a
// drive root offers any space, comes in as a function so tests can answer it.
#pragma once
#include <functional>
#include <string>
#include <vector>

// Answers whether the root "x:\" can be queried and offers the caller space.
using RootHasSpace = std::function<bool(const std::wstring& root)>;
// GetDiskFreeSpaceExW succeeds for the root and the caller's space is not zero.
bool rootHasFreeSpace(const std::wstring& root);

// Lower case, every "/" a "\", doubled back-slashes single, and no back-slash
// at either end: "D:/A//b\" gives "d:\a\b".
std::wstring normalizePathForCheck(const std::wstring& path);
// A drive root with space, then folder names free of / : * ? " < > | and none
// of them blank. "D:\" alone is too short once normalised.
bool isValidInstallPath(const std::wstring& path,
                        const RootHasSpace& rootHasSpace = rootHasFreeSpace);
// Back-slashes for slashes, doubled back-slashes halved from the left, spaces
// trimmed at both ends, and a trailing back-slash.
void normalizeInstallPath(std::wstring& path);
// Slashes become back-slashes; a leading run of slashes becomes one.
std::wstring toBackslashes(const std::wstring& path);
// The form in which typed and picked folders reach the window's path check:
// back-slashes become slashes and a leading "//:" is dropped.
std::wstring toSlashForm(const std::wstring& text);

// What the product appends to a chosen folder.
struct ProductFolderNames {
  std::wstring defaultSubPath;  // after a drive root or a foreign folder: "Vorlane\Vorlane9\"
  std::wstring playerFolder;    // after a "nuvaro" folder: "Vorlane9\"
  std::wstring productName;     // a folder naming it (or "vdplayer") stays as chosen
};
// The folder a candidate becomes: a trailing back-slash, the product's folders
// appended unless the candidate names the product already, and normalised
// when the result is valid.
std::wstring completeInstallPath(const std::wstring& candidate, const ProductFolderNames& names,
                                 const RootHasSpace& rootHasSpace = rootHasFreeSpace);

// What a newly chosen folder leads to, in the order it is decided.
enum class PathAdvice {
  kNone,           // enough space, no better drive
  kSameBestDrive,  // on the drive the installer proposed: never advised
  kDrivePrompt,    // a hard disk while a solid-state drive was proposed
  kSpacePrompt,    // less than 17408 MB usable
};
// The chosen drive's facts are asked (they open the volume) only when the
// advice reaches the step that needs them.
struct PathChoice {
  bool ask = true;                    // false: the drive prompt was answered already
  std::wstring path;                  // as the user gave it (slash form)
  std::wstring bestPath;              // the proposed folder; empty when taken from the registry
  bool bestIsSsd = false;             // the proposed folder's drive is a solid-state drive
  std::function<bool()> chosenIsSsd;  // the chosen folder's drive is one
  std::function<double()> chosenUsableMB;  // usable space on the chosen folder's drive
};
PathAdvice adviseOnPath(const PathChoice& choice);
// Below this many usable MB a folder is advised against.
inline constexpr double kAdvisedFreeMB = 17408.0;

// A prompt text from the language table with one value put in place of each
// of its "%s" marks, in order; an empty value empties its own mark. Any other
// "%" stays as written, and marks beyond the values given stay as they are:
// the text is translated data.
std::wstring fillDriveLetters(const std::wstring& format, const std::vector<std::wstring>& letters);
