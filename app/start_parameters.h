// The run's parameters as the installer's own file name carries them:
// "<type>_<language>_<id>_<anything>" or "<type>_<language>_<package>_<id>_...".
#pragma once
#include <string>

struct StartParameters {
  bool present = false;  // the name had at least four parts
  std::wstring type;     // as written; compared in lower case
  std::wstring language;
  std::wstring package;
  std::wstring id;
};

// Splits the file name (without extension) at every "_", trims blanks from each
// part and keeps empty parts. Fewer than four parts give nothing; a third part
// of digits only (or empty) is the id, anything else is the package name.
// The id, the package name and the language become switches of the package
// and parameters of the emulator, which run elevated or as the user: an id or
// package name with anything but ASCII letters, digits, "_" and "-", or a
// language with anything but ASCII letters, counts as absent.
StartParameters parseStartParameters(const std::wstring& fileNameWithoutExtension);

// Only ASCII letters, digits, "_" and "-" (an empty text too).
bool isSwitchSafe(const std::wstring& text);
