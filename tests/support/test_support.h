// Small helpers shared by the tests: a private temporary folder, whole-file
// reads and writes, and waiting for a condition while pumping messages.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace testing_support {

// A new, empty folder under %TEMP%, removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::wstring& path() const { return path_; }
  // path() + "\" + name
  std::wstring file(const std::wstring& name) const;

 private:
  std::wstring path_;
};

std::string readFile(const std::wstring& path);
bool writeFile(const std::wstring& path, const std::string& bytes);
// The folder of the running test program, ending with a back-slash.
std::wstring exeFolder();
// A folder whose final path lies elsewhere, as behind a junction, and where it
// really is; both end with a back-slash.
std::wstring junctionedFolder();
std::wstring junctionTarget();
// A folder holding a link named like a private folder of the program
// ("Setup_<guid>"), and the folder it leads to, which holds "keep.txt"; both
// end with a back-slash.
std::wstring leftoverLinkParent();
std::wstring leftoverLinkTarget();
// A folder holding two leftovers named like private folders of the program,
// each with a link to a folder and one to a file of leftoverOutside():
// leftoverLinks() + kSoundLeftover has the private folders' permissions,
// anyone may change leftoverLinks() + kWritableLeftover. Both end with a
// back-slash. leftoverOutside() holds "folder\inside.txt", "file.txt" and
// "hard_target.txt", each reading "outside".
std::wstring leftoverLinks();
std::wstring leftoverOutside();
inline constexpr wchar_t kSoundLeftover[] = L"Setup_0A1B2C3D_1111_2222_3333_444455556666\\";
inline constexpr wchar_t kWritableLeftover[] = L"Setup_0A1B2C3D_7777_8888_9999_AAAABBBBCCCC\\";
// A file name that is a symbolic link to another file, and that file.
std::wstring linkedFile();
std::wstring linkedFileTarget();

// The port of a loopback test server started by with_servers.py
// (VORLANE_TEST_<NAME>_PORT), or 0 when none runs.
int testServerPort(const char* name);
// "http://127.0.0.1:<port>" of that server.
std::wstring testServerUrl(const char* name);

// Ends every process of this prefix running `exeName`, such as the stand-in
// emulators a test started, which stay open until closed.
void endProcesses(const wchar_t* exeName);
// The id of a running process of that executable name, 0 when none runs.
DWORD processIdOf(const wchar_t* exeName);

// Runs the calling thread's message loop until `done` holds or `timeoutMs` has
// passed; true when it held.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

}  // namespace testing_support
