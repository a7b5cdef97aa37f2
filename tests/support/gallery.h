// The frame of the gallery programs, which draw windows of the installer into
// PNG files for people to look at: the output folder from the command line,
// every language and scale the pictures are made in, and their names.
#pragma once
#include <functional>
#include <string>

#include "toolkit/window_base.h"

namespace testing_support {

class Gallery {
 public:
  // Takes the output folder from `argv` (and makes it); false, after a
  // usage line, without one.
  bool open(int argc, wchar_t** argv, const wchar_t* program);
  // Runs `pass` for English, Chinese and Arabic (the locale is given, the
  // staged skin is in that language) at 100 and 150 %.
  void forEachLanguageAndScale(const std::function<void(const wchar_t* locale)>& pass);
  // Saves the window's picture as "<locale>_<scale>_<index>_<id>.png".
  void save(DuiLib::WindowImplBase& window, int index, const char* id);
  void fail(const char* id);
  // Prints the counts; the program's exit code.
  int finish() const;

 private:
  std::wstring folder_;
  std::wstring locale_;
  int scale_ = 100;
  int saved_ = 0;
  int failures_ = 0;
};

}  // namespace testing_support
