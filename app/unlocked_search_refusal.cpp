#include "app/unlocked_search_refusal.h"

#include "app/language_codes.h"
#include "skin/language_table.h"
#include "skin/resource_map.h"

void refuseUnlockedDllSearch(HINSTANCE instance) {
  DuiLib::setInstance(instance);
  DuiLib::setLanguage(uiLanguageToLocale(L"en_US"), L"en_US");
  DuiLib::loadZipResource(DuiLib::kSkinResourceId, L"language.tsv");
  MessageBoxW(nullptr, langText("error_loader").c_str(), langText("window_title").c_str(),
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
