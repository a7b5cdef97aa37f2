// Calls a function of "vorlane_marker.dll", a delay-loaded import that the
// system folder does not have, as the program calls its system DLLs.
// Usage: delayed_import_user LOG_FILE [locked|unlocked]
// "unlocked" leaves the DLL search as older loaders have it (without
// SetDefaultDllDirectories): the program's own folder first. The log file
// receives the program's log; the exit code is 0 only when the call returned.
#include <windows.h>

#include <string>

#include "utility/log.h"
#include "utility/system_library.h"

extern "C" int markerFunction();

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  if (argc < 3 || std::wstring(argv[2]) != L"unlocked") utility::lockDllSearchToSystemFolder();
  common::setLogSink(&common::fileLogSink);
  common::openLog(argv[1]);
  LOG(L"calling the marker");
  markerFunction();
  LOG(L"the marker answered");
  common::flushLog(2000);
  return 0;
}
