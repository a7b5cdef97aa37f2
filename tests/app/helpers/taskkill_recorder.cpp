// Stands in for the system's taskkill in the tests: records each command line
// in "taskkill_args.txt" beside itself and succeeds.
#include <windows.h>

#include "standins/standin_files.h"

int wmain() {
  standins::appendBesideSelf(L"taskkill_args.txt", GetCommandLineW());
  return 0;
}
