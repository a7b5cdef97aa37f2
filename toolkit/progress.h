// A progress bar: the background, then the fore image or colour over the
// share of the width (or height) that the value has reached.
#pragma once
#include "toolkit/label.h"

namespace DuiLib {

class CProgressUI : public CLabelUI {
 public:
  std::wstring_view getClass() const override { return L"Progress"; }
  void* getInterface(std::wstring_view name) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  int getValue() const { return value_; }
  // Kept within the bar's range.
  void setValue(int value);
  int getMinValue() const { return min_; }
  int getMaxValue() const { return max_; }
  void setRange(int min, int max);
  // What a reader hears as the bar's value, in percent, when it is not the
  // share the bar draws (a stage's own progress); below 0: the drawn share.
  void setSpokenPercent(int percent);
  // The spoken percentage, else the share of the range reached, as "42%".
  bool accessibleValue(std::wstring& value) const override;
  // The part of the bar the value fills, in window pixels.
  RECT filledRect() const;

 protected:
  void paintStatusImage(PaintContext& context) override;
  AccessibleRole naturalRole() const override { return AccessibleRole::ProgressBar; }

 private:
  friend struct ProgressAttributes;

  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  int spokenPercent_ = -1;
  bool horizontal_ = true;
  std::wstring foreImage_;
  DWORD foreColor_ = 0;
};

}  // namespace DuiLib
