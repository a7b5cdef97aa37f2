// Time from starting a program to its first painted window: the installer
// against bare_window.exe, a bare Win32 window program, all started the same
// way (CreateProcess) and in turns in one run; and the bare program once more
// with the installer's system libraries loaded, which shows what loading them
// alone costs. A window counts as painted once the screen inside it differs
// from what was there before the start.
//   first_paint_bench.exe [RUNS]     (default 7; needs a display)
// The installer is the build's app\VorlaneInstaller.exe, run under an English
// name; it is ended as soon as it has painted.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

struct Program {
  const wchar_t* label;
  std::wstring path;
  std::vector<double> ms;
};

// Places on the screen inside both windows, which are centred on the work area.
std::vector<POINT> probePoints() {
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  POINT centre{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
  std::vector<POINT> points;
  for (int dy : {-120, 0, 120}) {
    for (int dx : {-200, 0, 200}) points.push_back({centre.x + dx, centre.y + dy});
  }
  return points;
}

std::vector<COLORREF> screenColours(const std::vector<POINT>& points) {
  HDC screen = GetDC(nullptr);
  std::vector<COLORREF> colours;
  for (POINT point : points) colours.push_back(GetPixel(screen, point.x, point.y));
  ReleaseDC(nullptr, screen);
  return colours;
}

struct WindowSearch {
  DWORD processId;
  bool found;
};

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  search->found = true;
  return FALSE;
}

double elapsedMs(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

// Starts `path` and returns the milliseconds until its window is on screen
// and painted, or a negative number when that never happened.
double timeFirstPaint(const std::wstring& path) {
  const std::vector<POINT> points = probePoints();
  const std::vector<COLORREF> before = screenColours(points);
  std::wstring commandLine = L"\"" + path + L"\"";
  std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    return -1;
  }
  double painted = -1;
  while (elapsedMs(start) < 30000 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
    WindowSearch search{process.dwProcessId, false};
    EnumWindows(&findVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found && screenColours(points) != before) {
      painted = elapsedMs(start);
      break;
    }
    Sleep(1);
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  Sleep(700);  // the screen and the server settle before the next start
  return painted;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
  const std::wstring bench = testing_support::exeFolder();
  // The installer reads its variant and language from its own name.
  const std::wstring installer = bench + L"vorlane9_en_5566_bench.exe";
  if (!CopyFileW((bench + L"..\\app\\VorlaneInstaller.exe").c_str(), installer.c_str(), FALSE)) {
    wprintf(L"no installer at %ls..\\app\\VorlaneInstaller.exe: build first\n", bench.c_str());
    return 1;
  }
  Program programs[] = {
      {L"bare window", bench + L"bare_window.exe", {}},
      {L"bare window with the installer's libraries", bench + L"bare_window_imports.exe", {}},
      {L"installer", installer, {}}};
  const int count = 3;
  timeFirstPaint(programs[0].path);  // the first start of all loads what all share
  for (int run = 0; run < runs; ++run) {
    // Turning which goes first evens out what one start leaves the next.
    for (int i = 0; i < count; ++i) {
      Program& program = programs[(run + i) % count];
      double ms = timeFirstPaint(program.path);
      if (ms < 0) {
        wprintf(L"%ls: no painted window\n", program.label);
        return 1;
      }
      program.ms.push_back(ms);
    }
  }
  DeleteFileW(installer.c_str());
  wprintf(L"start to first painted window, %d runs each (ms):\n", runs);
  for (const Program& program : programs) {
    wprintf(L"  %-44ls median %6.1f  min %6.1f  max %6.1f  runs:", program.label,
            median(program.ms), *std::min_element(program.ms.begin(), program.ms.end()),
            *std::max_element(program.ms.begin(), program.ms.end()));
    for (double ms : program.ms) wprintf(L" %.0f", ms);
    wprintf(L"\n");
  }
  wprintf(L"installer / bare window (medians): %.2f (goal: at most 1.30)\n",
          median(programs[2].ms) / median(programs[0].ms));
  wprintf(L"bare window with the installer's libraries / bare window: %.2f\n",
          median(programs[1].ms) / median(programs[0].ms));
  return 0;
}
