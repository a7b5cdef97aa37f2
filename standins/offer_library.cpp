// Stand-in for the partner's offer library "ds.dll": one export, InvokeW,
// answering each function as the installer's protocol expects
// (offer/offer_protocol.h). Into the container window it is given it draws a
// small offer with a text box of its own.
//
// Built for tests (VORLANE_STANDIN_TEST_HOOKS), it appends every call,
// "<function> <argument text>", and its own loading, "load <path of the dll>",
// to the file named by VORLANE_STANDIN_OFFER_RECORD, and
// VORLANE_STANDIN_OFFER, read at each call, makes it answer otherwise; words
// separated by blanks:
//   load=0       function 1 answers 0
//   never-ready  function 2 never returns
//   display=0    function 4 answers 0
//   accept=1     function 5 answers 1 the first time (the offer goes on)
//   install=0    function 7 answers 0
//   throw=N      function N throws a C++ exception
#include <windows.h>

#include <stdexcept>
#include <string>

#include "offer/offer_protocol.h"
#include "standins/standin_files.h"

namespace {

constexpr wchar_t kOfferClass[] = L"VorlaneStandInOffer";
constexpr COLORREF kInk = RGB(236, 238, 242);
constexpr COLORREF kMuted = RGB(150, 156, 166);
constexpr COLORREF kAccent = RGB(255, 214, 72);

HINSTANCE g_module = nullptr;
HWND g_offer = nullptr;   // the offer drawn into the container
HWND g_notes = nullptr;   // its text box
HBRUSH g_background = nullptr;
int g_accepts = 0;

#ifdef VORLANE_STANDIN_TEST_HOOKS
std::wstring environment(const wchar_t* name) {
  wchar_t value[512] = {};
  DWORD length = GetEnvironmentVariableW(name, value, 512);
  return length > 0 && length < 512 ? value : L"";
}

bool mode(const std::wstring& word) {
  std::wstring modes = L" " + environment(L"VORLANE_STANDIN_OFFER") + L" ";
  return modes.find(L" " + word + L" ") != std::wstring::npos;
}

void record(const std::wstring& line) {
  std::wstring path = environment(L"VORLANE_STANDIN_OFFER_RECORD");
  if (!path.empty()) standins::appendLine(path, line);
}
#else
// Without the test hooks it answers as a library that works does.
bool mode(const std::wstring&) { return false; }
void record(const std::wstring&) {}
#endif

// The text of member `key` in one of the installer's flat JSON objects.
std::wstring member(const std::wstring& json, const std::wstring& key) {
  std::wstring opening = L"\"" + key + L"\":\"";
  size_t start = json.find(opening);
  if (start == std::wstring::npos) return {};
  start += opening.size();
  size_t end = json.find(L'"', start);
  return end == std::wstring::npos ? L"" : json.substr(start, end - start);
}

HWND windowMember(const std::wstring& json, const std::wstring& key) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(_wtoi64(member(json, key).c_str())));
}

// "#AARRGGBB" as a colour; dark grey when it reads as none.
COLORREF colourOf(const std::wstring& text) {
  if (text.size() != 9 || text[0] != L'#') return RGB(14, 14, 14);
  unsigned long value = wcstoul(text.c_str() + 3, nullptr, 16);
  return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

HFONT font(int height, int weight) {
  return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

void drawLine(HDC dc, const wchar_t* text, RECT& area, int height, int weight, COLORREF colour) {
  HFONT lineFont = font(height, weight);
  HGDIOBJ previous = SelectObject(dc, lineFont);
  SetTextColor(dc, colour);
  RECT measured = area;
  DrawTextW(dc, text, -1, &measured, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
  DrawTextW(dc, text, -1, &area, DT_WORDBREAK | DT_NOPREFIX);
  area.top += (measured.bottom - measured.top) + height / 2;
  SelectObject(dc, previous);
  DeleteObject(lineFont);
}

void paintOffer(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT area;
  GetClientRect(window, &area);
  FillRect(dc, &area, g_background);
  int unit = (area.bottom - area.top) / 14 + 1;  // grows with the container
  InflateRect(&area, -unit, -unit);
  SetBkMode(dc, TRANSPARENT);
  RECT mark{area.left, area.top + 2, area.left + unit / 2, area.top + 2 * unit};
  HBRUSH accent = CreateSolidBrush(kAccent);
  FillRect(dc, &mark, accent);
  DeleteObject(accent);
  area.left += unit;
  drawLine(dc, L"Kestrel Game Booster", area, unit + unit / 3, FW_BOLD, kInk);
  drawLine(dc,
           L"Frees memory and closes idle background apps before each game session. Free; "
           L"remove it any time from the system settings.",
           area, unit - unit / 6, FW_NORMAL, kMuted);
  drawLine(dc, L"Tell Kestrel which games you play (optional):", area, unit - unit / 6, FW_NORMAL,
           kInk);
  EndPaint(window, &ps);
}

void placeNotes(HWND window) {
  RECT area;
  GetClientRect(window, &area);
  int unit = (area.bottom - area.top) / 14 + 1;
  MoveWindow(g_notes, area.left + 2 * unit, area.bottom - 4 * unit, area.right - 3 * unit - 2 * unit,
             3 * unit, TRUE);
}

LRESULT CALLBACK offerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paintOffer(window);
      return 0;
    case WM_SIZE:
      if (g_notes) placeNotes(window);
      return 0;
    case WM_DESTROY:
      g_offer = g_notes = nullptr;
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Function 3: the offer fills the given part of the container.
int setWindow(const std::wstring& argument) {
  HWND container = windowMember(argument, L"wnd");
  if (!IsWindow(container)) return 0;
  if (g_background) DeleteObject(g_background);
  g_background = CreateSolidBrush(colourOf(member(argument, L"backgroundColor")));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &offerProc;
  wc.hInstance = g_module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kOfferClass;
  RegisterClassExW(&wc);
  if (g_offer) DestroyWindow(g_offer);
  int x = _wtoi(member(argument, L"x").c_str());
  int y = _wtoi(member(argument, L"y").c_str());
  int width = _wtoi(member(argument, L"width").c_str());
  int height = _wtoi(member(argument, L"height").c_str());
  g_offer = CreateWindowExW(0, kOfferClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                            height, container, nullptr, g_module, nullptr);
  g_notes = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL,
                            0, 0, 0, 0, g_offer, nullptr, g_module, nullptr);
  SendMessageW(g_notes, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  placeNotes(g_offer);
  return 1;
}

void removeOffer() {
  if (g_offer) DestroyWindow(g_offer);
  UnregisterClassW(kOfferClass, g_module);
}

int answer(int function, const std::wstring& argument) {
  if (mode(L"throw=" + std::to_wstring(function))) throw std::runtime_error("offer library failed");
  switch (function) {
    case offer::kLoad:
      return mode(L"load=0") ? 0 : 1;
    case offer::kIsReady:
      while (mode(L"never-ready")) Sleep(1000);
      return 1;
    case offer::kSetWindow:
      return setWindow(argument);
    case offer::kDisplay:
      if (mode(L"display=0")) return 0;
      return IsWindow(windowMember(argument, L"acceptBtnWnd")) &&
             IsWindow(windowMember(argument, L"declineBtnWnd"));
    case offer::kAccept:
      return mode(L"accept=1") && ++g_accepts == 1 ? 1 : 0;
    case offer::kDecline:
      return 0;
    case offer::kInstall:
      return mode(L"install=0") ? 0 : 1;
    case offer::kUnload:
      removeOffer();
      return 1;
    default:
      return 0;
  }
}

}  // namespace

extern "C" __declspec(dllexport) int __cdecl InvokeW(int function, const wchar_t* argument) {
  std::wstring text = argument ? argument : L"";
  record(std::to_wstring(function) + L" " + text);
  return answer(function, text);
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    record(std::wstring(L"load ") + path);
  }
  // Freed without function 9: no window may keep a procedure of ours.
  if (reason == DLL_PROCESS_DETACH && !reserved) removeOffer();
  return TRUE;
}
