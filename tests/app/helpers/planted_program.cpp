// A program planted where the installer must never start it, under the name
// of one it might look for (taskkill.exe beside it, Vorlane.exe in the
// installation folder): if it ever runs, it notes its command line in
// "planted_ran.txt" beside itself.
#include <windows.h>

#include "standins/standin_files.h"

int wmain() {
  standins::appendBesideSelf(L"planted_ran.txt", GetCommandLineW());
  return 0;
}
