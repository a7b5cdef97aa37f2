// Fonts by id, as layouts and windows register them. Sizes are pixel heights
// at 96 DPI. GDI draws the text, so a face the system lacks is substituted.
#pragma once
#include <windows.h>

#include <map>
#include <string>

namespace DuiLib {

struct FontSpec {
  std::wstring face = L"Microsoft YaHei";
  int size = 12;
  bool bold = false;
  bool underline = false;
  bool italic = false;
};

// The GDI font for `spec` at `scalePercent`, made on first use and kept for
// the process (fonts are shared by every window). UI thread.
HFONT gdiFont(const FontSpec& spec, int scalePercent);

// A window's fonts: ids from layouts and code, and one default.
class FontTable {
 public:
  // Adds or replaces font `id`; it also becomes the default when `makeDefault`.
  void add(int id, const FontSpec& spec, bool makeDefault);
  void setDefault(const FontSpec& spec) { default_ = spec; }
  // The default at 12 pixels and ids 0 to count - 1 at 12 + 2 x id, all plain
  // `face`: the size ladder the installer's windows register in code.
  void addSizeLadder(const std::wstring& face, int count);
  // Font `id`, or the default for -1 and ids never added.
  const FontSpec& get(int id) const;
  const FontSpec& defaultFont() const { return default_; }

 private:
  std::map<int, FontSpec> fonts_;
  FontSpec default_;
};

}  // namespace DuiLib
