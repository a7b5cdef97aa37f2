// Starting programs. Every call is logged with its arguments, every failure
// with the system error code.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace utility::process {

// Starts `"file" params` in a new console; the caller owns the returned handle
// (null on failure).
HANDLE create(const std::wstring& file, const std::wstring& params, bool show,
              DWORD* processId = nullptr);
// Starts the program and, unless waitMs is 0, waits for it: true only when it
// ended in time with exit code 0. With waitMs 0, true once it started.
bool execute(const std::wstring& file, const std::wstring& params, bool show, DWORD waitMs);

// Ends every process whose executable is named `exeName` (in any letter
// case) and, with `tree`, every process they started, and theirs; starts no
// program for it. The number of processes ended.
int endProcessesByName(const std::wstring& exeName, bool tree);
// The ids of the other running processes whose executable is named `exeName`.
std::vector<DWORD> processIdsByName(const std::wstring& exeName);

// The command line `create` uses: the quoted file, then a blank and the
// parameters as given when there are any.
std::wstring commandLine(const std::wstring& file, const std::wstring& params);

// Starts the program with the desktop shell's token, that is without the
// elevation of this process. The command line is the quoted path, a blank and
// the parameters when they are given (even empty), else the bare path; a line
// longer than 1022 characters is not started. 0 when started, -1 otherwise.
int runExeFileWithNoAdmin(const std::wstring& path,
                          const std::optional<std::wstring>& params = std::nullopt);
// A primary token duplicated from the desktop's shell, the process that owns
// this session's shell window (GetShellWindow); the caller closes it. Null
// when there is none.
HANDLE getExplorerToken();

}  // namespace utility::process
