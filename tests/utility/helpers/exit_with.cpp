// A tiny program for the process tests: starts the program named after its
// own arguments (with the arguments after that), sleeps the given
// milliseconds, then exits with the given code.
// Usage: exit_with CODE [SLEEP_MS [CHILD_PROGRAM [CHILD_ARGUMENTS...]]]
#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc > 3) {
    std::string line;
    for (int i = 3; i < argc; ++i) line += std::string(i == 3 ? "\"" : " ") + argv[i] + (i == 3 ? "\"" : "");
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &child)) {
      CloseHandle(child.hThread);
      CloseHandle(child.hProcess);
    }
  }
  if (argc > 2) Sleep((DWORD)std::atoi(argv[2]));
  return argc > 1 ? std::atoi(argv[1]) : 0;
}
