// File and folder helpers. Failures are logged with the system error code.
#pragma once
#include <windows.h>

#include <string>

namespace utility::ufile {

bool exists(const std::wstring& path);
// Creates the folder and every missing parent; true when it exists afterwards.
bool makeDir(const std::wstring& folder);
bool moveFile(const std::wstring& from, const std::wstring& to, DWORD flags);
bool removeFile(const std::wstring& path);
// The name after the last back-slash (or, with none, the last slash); empty
// when the path has neither. Without the extension unless keepExtension.
std::wstring fileName(const std::wstring& path, bool keepExtension);
// The final path of an open file or folder, without the "\\?\" prefix
// ("\\?\UNC\" becomes "\\"): where it really is, whatever links led to it.
// Empty when the system cannot tell (before Vista).
std::wstring finalPathOf(HANDLE handle);
// The roaming application data folder; empty when the shell cannot tell.
std::wstring appDataDir();
// The user's local application data folder + "\Temp\"; empty when the shell
// cannot tell (before Vista there are no known folders to ask).
std::wstring localTempFolder();
// The system's own temporary folder, the Windows folder + "\Temp\", which
// only administrators may change; empty when the system cannot tell.
std::wstring systemTempFolder();

}  // namespace utility::ufile
