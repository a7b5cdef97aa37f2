// The start-up's skin steps (instance, language, loose skin
// folder, the shipped skin archive and its language table), as CAppImpl::init
// runs them, over the shipped archive this program embeds as "ZIPRES" 129.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "skin/language_table.h"
#include "skin/resource_map.h"

namespace {

double loadSkinMs() {
  auto start = std::chrono::steady_clock::now();
  DuiLib::setInstance(GetModuleHandleW(nullptr));
  DuiLib::setLanguage(L"", L"en_US");
  DuiLib::setResourcePath(DuiLib::instancePath() + L"skin");
  DuiLib::loadZipResource(DuiLib::kSkinResourceId, L"language.tsv");
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main() {
  double first = loadSkinMs();
  bool loaded = DuiLib::findLangText(L"minimize_tip") != nullptr;
  std::vector<double> runs;
  for (int i = 0; i < 50; i++) {
    DuiLib::clearResourceMap();
    DuiLib::clearLangTexts();
    runs.push_back(loadSkinMs());
  }
  std::sort(runs.begin(), runs.end());
  uint32_t size = 0;
  DuiLib::loadResourceData(L"language.tsv", size);
  printf(
      "skin start-up: first %.2f ms, then min %.2f / median %.2f / max %.2f ms over %zu runs "
      "(language.tsv %u bytes, texts loaded: %s)\n",
      first, runs.front(), runs[runs.size() / 2], runs.back(), runs.size(), size,
      loaded ? "yes" : "no");
  return loaded ? 0 : 1;
}
