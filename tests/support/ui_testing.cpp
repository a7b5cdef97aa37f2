#include "tests/support/ui_testing.h"

#include "skin/language_table.h"
#include "skin/resource_map.h"
#include "tests/support/test_support.h"
#include "toolkit/gdiplus_images.h"
#include "toolkit/gdiplus_include.h"

namespace testing_support {
namespace {

struct Search {
  const wchar_t* className;
  std::vector<DuiLib::WindowImplBase*> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (lstrcmpW(name, search->className) == 0) {
    if (auto* toolkit = DuiLib::WindowImplBase::fromHandle(window))
      search->found.push_back(toolkit);
  }
  return TRUE;
}

const CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

}  // namespace

void useStagedSkin(const wchar_t* language) {
  DuiLib::setResourcePath(exeFolder() + L"skin");
  DuiLib::setLanguage(language, L"en_US");
  std::string table = readFile(exeFolder() + L"skin\\language.tsv");
  DuiLib::parseLanguageTable(reinterpret_cast<const uint8_t*>(table.data()), table.size());
}

std::vector<DuiLib::WindowImplBase*> windowsOfClass(const wchar_t* className) {
  Search search{className, {}};
  EnumThreadWindows(GetCurrentThreadId(), &collectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool clickControl(DuiLib::WindowImplBase* window, const wchar_t* name) {
  DuiLib::CControlUI* control = window ? window->findControl(name) : nullptr;
  if (!control) return false;
  window->manager().render();
  RECT pos = control->getPos();
  LPARAM at = MAKELPARAM((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
  HWND handle = window->getHWND();
  SendMessageW(handle, WM_MOUSEMOVE, 0, at);
  SendMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(handle, WM_LBUTTONUP, 0, at);
  return true;
}

bool pumpFor(DWORD ms) {
  bool quit = false;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return quit;
}

bool savePicture(const DuiLib::Surface& picture, const std::wstring& path) {
  const int margin = 24;
  DuiLib::startGdiplus();  // the toolkit itself draws without it
  Gdiplus::Bitmap out(picture.width() + 2 * margin, picture.height() + 2 * margin,
                      PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(&out);
  graphics.Clear(Gdiplus::Color(255, 208, 212, 219));
  Gdiplus::Bitmap window(picture.width(), picture.height(), picture.width() * 4,
                         PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(picture.pixels()));
  graphics.DrawImage(&window, margin, margin, picture.width(), picture.height());
  return out.Save(path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}

}  // namespace testing_support
