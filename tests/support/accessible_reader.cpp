#include "tests/support/accessible_reader.h"

#include <cwchar>
#include <sstream>

#include "tests/support/test_support.h"
#include "utility/process.h"
#include "utility/text.h"

namespace testing_support {
namespace {

// Runs the client with `command` and `window` (and `more`) while pumping this
// thread's messages; what it wrote, or nothing when it failed.
bool runClient(const std::wstring& command, HWND window, const std::wstring& more,
               std::wstring& written) {
  TempDir dir;
  std::wstring out = dir.file(L"read.txt");
  std::wstring params = L"\"" + out + L"\" " + command + L" " +
                        std::to_wstring(reinterpret_cast<ULONG_PTR>(window)) +
                        (more.empty() ? L"" : L" \"" + more + L"\"");
  HANDLE process = utility::process::create(VORLANE_ACCESSIBLE_CLIENT, params, false);
  if (!process) return false;
  pumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 20000);
  DWORD code = 1;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  written = utility::utf8ToWide(readFile(out));
  return code == 0;
}

std::vector<std::wstring> split(const std::wstring& line, wchar_t separator) {
  std::vector<std::wstring> parts;
  std::wstringstream stream(line);
  std::wstring part;
  while (std::getline(stream, part, separator)) parts.push_back(part);
  if (!line.empty() && line.back() == separator) parts.emplace_back();
  return parts;
}

}  // namespace

std::vector<AccessibleItem> readAccessibleTree(HWND window) {
  std::wstring written;
  std::vector<AccessibleItem> items;
  if (!runClient(L"walk", window, L"", written)) return items;
  for (const std::wstring& line : split(written, L'\n')) {
    std::vector<std::wstring> cells = split(line, L'\t');
    if (cells.size() != 6) continue;
    AccessibleItem item;
    item.role = wcstol(cells[0].c_str(), nullptr, 10);
    item.name = cells[1];
    item.value = cells[2];
    item.state = static_cast<long>(wcstoul(cells[3].c_str(), nullptr, 16));
    item.action = cells[4];
    long left = 0, top = 0, width = 0, height = 0;
    swscanf(cells[5].c_str(), L"%ld %ld %ld %ld", &left, &top, &width, &height);
    item.location = {left, top, left + width, top + height};
    items.push_back(item);
  }
  return items;
}

const AccessibleItem* findAccessibleItem(const std::vector<AccessibleItem>& items,
                                         const std::wstring& name, long role) {
  for (const AccessibleItem& item : items) {
    if (item.name == name && (role == 0 || item.role == role)) return &item;
  }
  return nullptr;
}

HRESULT doAccessibleAction(HWND window, const std::wstring& name) {
  std::wstring written;
  if (!runClient(L"do", window, name, written)) return E_FAIL;
  return static_cast<HRESULT>(wcstoul(written.c_str(), nullptr, 16));
}

}  // namespace testing_support
