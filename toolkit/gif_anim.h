// An animated image ("bkimage" names a GIF) that plays while it is visible in
// a window on screen (neither hidden nor minimised).
#pragma once
#include "toolkit/control.h"

namespace DuiLib {

struct SkinAnimation;

class CGifAnimUI : public CControlUI {
 public:
  ~CGifAnimUI() override;
  std::wstring_view getClass() const override { return L"GifAnim"; }
  void* getInterface(std::wstring_view name) override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;
  void setManager(CPaintManagerUI* manager, CControlUI* parent) override;
  void setVisible(bool visible) override;
  void doEvent(TEventUI& event) override;
  void prepare() override { load(); }

  int frameCount() const;
  int currentFrame() const { return frame_; }

 protected:
  void paintBkImage(PaintContext& context) override;
  AccessibleRole naturalRole() const override {
    return getBkImage().empty() ? AccessibleRole::None : AccessibleRole::Animation;
  }

 private:
  void load();
  bool onScreen() const;
  void scheduleNextFrame();
  void stop();

  const SkinAnimation* animation_ = nullptr;
  bool loaded_ = false;
  bool autoPlay_ = true;
  int frame_ = 0;
  bool ticking_ = false;
};

}  // namespace DuiLib
