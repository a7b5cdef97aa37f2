// A tiny program for the process tests: sleeps the given milliseconds, then
// exits with the given code. Usage: exit_with CODE [SLEEP_MS]
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc > 2) Sleep((DWORD)std::atoi(argv[2]));
  return argc > 1 ? std::atoi(argv[1]) : 0;
}
