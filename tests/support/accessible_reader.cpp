#include "tests/support/accessible_reader.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>
#include <sstream>

#include "tests/support/test_support.h"
#include "utility/process.h"
#include "utility/text.h"

namespace testing_support {
namespace {

HANDLE startClient(const std::wstring& out, const std::wstring& command, const std::wstring& target,
                   const std::wstring& more) {
  std::wstring params =
      L"\"" + out + L"\" " + command + L" " + target + (more.empty() ? L"" : L" \"" + more + L"\"");
  return utility::process::create(VORLANE_ACCESSIBLE_CLIENT, params, false);
}

// Runs the client with `command`, `target` (and `more`) while pumping this
// thread's messages; what it wrote, or nothing when it failed.
bool runClient(const std::wstring& command, const std::wstring& target, const std::wstring& more,
               std::wstring& written) {
  TempDir dir;
  std::wstring out = dir.file(L"read.txt");
  HANDLE process = startClient(out, command, target, more);
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

std::wstring roleText(long role) {
  wchar_t text[64] = {};
  GetRoleTextW(static_cast<DWORD>(role), text, 64);
  return text;
}

// The state bits a reader says, by the system's words for them.
std::wstring stateText(long state) {
  std::wstring words;
  for (DWORD bit : {STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_FOCUSED, STATE_SYSTEM_CHECKED,
                    STATE_SYSTEM_READONLY, STATE_SYSTEM_DEFAULT, STATE_SYSTEM_INVISIBLE,
                    STATE_SYSTEM_FOCUSABLE, STATE_SYSTEM_LINKED, STATE_SYSTEM_PROTECTED}) {
    if (!(static_cast<DWORD>(state) & bit)) continue;
    wchar_t text[64] = {};
    GetStateTextW(bit, text, 64);
    words += (words.empty() ? L"" : L", ") + std::wstring(text);
  }
  return words;
}

// The objects the client wrote, one a line.
std::vector<AccessibleItem> parseItems(const std::wstring& written) {
  std::vector<AccessibleItem> items;
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

}  // namespace

std::vector<AccessibleItem> readAccessibleTree(HWND window) {
  std::wstring written;
  if (!runClient(L"walk", std::to_wstring(reinterpret_cast<ULONG_PTR>(window)), L"", written))
    return {};
  return parseItems(written);
}

AccessibleItem accessibleItemAt(POINT screen) {
  std::wstring written;
  std::vector<AccessibleItem> items;
  if (runClient(L"point", std::to_wstring(screen.x), std::to_wstring(screen.y), written))
    items = parseItems(written);
  return items.empty() ? AccessibleItem{} : items.front();
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
  if (!runClient(L"do", std::to_wstring(reinterpret_cast<ULONG_PTR>(window)), name, written))
    return E_FAIL;
  return static_cast<HRESULT>(wcstoul(written.c_str(), nullptr, 16));
}

std::wstring printAccessibleTree(const std::vector<AccessibleItem>& items) {
  std::wstring lines;
  for (size_t i = 0; i < items.size(); ++i) {
    const AccessibleItem& item = items[i];
    lines += (i == 0 ? L"" : L"  ") + roleText(item.role) + L" \"" + item.name + L"\"";
    if (!item.value.empty()) lines += L" value \"" + item.value + L"\"";
    std::wstring states = stateText(item.state);
    if (!states.empty()) lines += L" [" + states + L"]";
    if (!item.action.empty()) lines += L" action \"" + item.action + L"\"";
    lines += L"\n";
  }
  return lines;
}

AccessibleListener::~AccessibleListener() {
  if (!process_) return;
  writeFile(folder_.file(L"stop"), "");
  WaitForSingleObject(process_, 10000);
  CloseHandle(process_);
}

bool AccessibleListener::start() {
  process_ = startClient(folder_.file(L"heard.txt"), L"listen",
                         std::to_wstring(GetCurrentProcessId()), folder_.file(L"stop"));
  if (!process_) return false;
  if (!pumpUntil([&] { return readFile(folder_.file(L"heard.txt")).rfind("ready\n", 0) == 0; },
                 20000))
    return false;
  // Wine lets this thread see the new hook only after a while, and drops
  // what it announces until then: a window of its own announces itself until
  // it is heard.
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  bool heard =
      probe && pumpUntil(
                   [&] {
                     NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, probe, OBJID_CLIENT, CHILDID_SELF);
                     return !read().empty();
                   },
                   20000);
  pumpUntil([] { return false; }, 200);  // the announcements still on their way
  if (probe) DestroyWindow(probe);
  clear();
  return heard;
}

HeardEvents AccessibleListener::read() const {
  HeardEvents heard;
  for (const std::wstring& line :
       split(utility::utf8ToWide(readFile(folder_.file(L"heard.txt"))), L'\n')) {
    std::vector<std::wstring> cells = split(line, L'\t');
    if (cells.size() != 7) continue;
    HeardEvent event;
    event.event = cells[0];
    event.windowClass = cells[1];
    event.child = wcstol(cells[2].c_str(), nullptr, 10);
    event.role = wcstol(cells[3].c_str(), nullptr, 10);
    event.name = cells[4];
    event.value = cells[5];
    event.state = static_cast<long>(wcstoul(cells[6].c_str(), nullptr, 16));
    heard.push_back(event);
  }
  return heard;
}

HeardEvents AccessibleListener::heardUntil(const std::function<bool(const HeardEvents&)>& enough,
                                           DWORD timeoutMs) {
  HeardEvents since;
  auto collect = [&] {
    HeardEvents all = read();
    since.assign(all.begin() + static_cast<long>(std::min(seen_, all.size())), all.end());
    return enough(since);
  };
  pumpUntil(collect, timeoutMs);
  return since;
}

HeardEvents AccessibleListener::heardWithin(DWORD ms) {
  return heardUntil([](const HeardEvents&) { return false; }, ms);
}

void AccessibleListener::clear() { seen_ = read().size(); }

HeardEvents heardOf(const HeardEvents& heard, const std::wstring& event) {
  HeardEvents found;
  for (const HeardEvent& one : heard) {
    if (one.event == event) found.push_back(one);
  }
  return found;
}

std::wstring printHeard(const HeardEvents& heard) {
  std::wstring lines;
  for (const HeardEvent& one : heard) {
    lines += one.event + L" on " + one.windowClass + L" #" + std::to_wstring(one.child) + L": " +
             roleText(one.role) + L" \"" + one.name + L"\"";
    if (!one.value.empty()) lines += L" value \"" + one.value + L"\"";
    lines += L"\n";
  }
  return lines;
}

}  // namespace testing_support
