#include "tests/support/gallery.h"

#include <cstdio>

#include "tests/support/ui_testing.h"
#include "toolkit/dpi.h"

namespace testing_support {

bool Gallery::open(int argc, wchar_t** argv, const wchar_t* program) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: %ls OUTPUT_FOLDER\n", program);
    return false;
  }
  folder_ = argv[1];
  if (!folder_.empty() && folder_.back() != L'\\') folder_ += L'\\';
  CreateDirectoryW(folder_.c_str(), nullptr);
  return true;
}

void Gallery::forEachLanguageAndScale(const std::function<void(const wchar_t* locale)>& pass) {
  for (const wchar_t* locale : {L"en_US", L"zh_CN", L"ar_IL"}) {
    useStagedSkin(locale);
    locale_ = locale;
    for (int scale : {100, 150}) {
      DuiLib::setDpiPercent(scale);
      scale_ = scale;
      pass(locale);
    }
  }
}

void Gallery::save(DuiLib::WindowImplBase& window, int index, const char* id) {
  window.manager().render();
  wchar_t name[128] = {};
  _snwprintf(name, 127, L"%ls_%d_%02d_%hs.png", locale_.c_str(), scale_, index, id);
  if (savePicture(window.manager().picture(), folder_ + name)) {
    ++saved_;
  } else {
    fail(id);
  }
}

void Gallery::fail(const char* id) {
  fwprintf(stderr, L"no picture of %hs\n", id);
  ++failures_;
}

int Gallery::finish() const {
  wprintf(L"%d pictures saved, %d failures\n", saved_, failures_);
  return failures_ == 0 ? 0 : 1;
}

}  // namespace testing_support
