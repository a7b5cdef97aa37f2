// Asking the desktop's shell, the logged-on user's own explorer, to open a
// program or a web address: what it starts runs with the user's ordinary
// rights, never with this elevated process's. Any thread; one that has not
// initialised COM does so for the call.
#pragma once
#include <string>

namespace utility::desktop_shell {

// ShellExecute as the desktop's shell does it (IShellDispatch2::ShellExecute
// of the desktop's folder view). `file` is a program's full path or a web
// address. False when the shell cannot be reached or refuses; logged.
bool open(const std::wstring& file, const std::wstring& parameters = L"");

}  // namespace utility::desktop_shell
