#include "toolkit/gif_anim.h"

#include "toolkit/attribute_values.h"
#include "toolkit/image_store.h"
#include "toolkit/paint_manager.h"

namespace DuiLib {
namespace {

constexpr UINT kFrameTimer = 1;

}  // namespace

CGifAnimUI::~CGifAnimUI() { stop(); }

void* CGifAnimUI::getInterface(std::wstring_view name) {
  return name == L"GifAnim" ? this : CControlUI::getInterface(name);
}

bool CGifAnimUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"autoplay") {
    autoPlay_ = parseBool(value);
    return true;
  }
  if (name == L"bkimage") {
    stop();
    loaded_ = false;
    animation_ = nullptr;
    frame_ = 0;
  }
  return CControlUI::setAttribute(name, value);
}

void CGifAnimUI::setManager(CPaintManagerUI* manager, CControlUI* parent) {
  stop();
  CControlUI::setManager(manager, parent);
}

void CGifAnimUI::setVisible(bool visible) {
  CControlUI::setVisible(visible);
  if (!visible) stop();
}

int CGifAnimUI::frameCount() const { return animation_ ? static_cast<int>(animation_->frames.size()) : 0; }

void CGifAnimUI::load() {
  if (loaded_) return;
  animation_ = loadSkinAnimation(getBkImage(), scalePercent() > 100);
  loaded_ = true;
}

void CGifAnimUI::paintBkImage(PaintContext& context) {
  load();
  if (!animation_ || animation_->frames.empty()) return;
  const SkinImage& image = *animation_->frames[frame_ % animation_->frames.size()];
  blendImagePart(context, image, {0, 0, image.width, image.height}, pos_);
  // Painted in a window on screen: keep it moving. The window paints again
  // when it is shown or restored, which starts it again.
  if (autoPlay_ && !ticking_ && animation_->frames.size() > 1 && onScreen()) scheduleNextFrame();
}

bool CGifAnimUI::onScreen() const {
  return isVisible() && getManager() && getManager()->isShowing();
}

void CGifAnimUI::scheduleNextFrame() {
  CPaintManagerUI* manager = getManager();
  if (!manager || !animation_ || animation_->frames.empty()) return;
  UINT delay = animation_->delaysMs[frame_ % animation_->delaysMs.size()];
  ticking_ = manager->setTimer(this, kFrameTimer, delay);
}

void CGifAnimUI::stop() {
  if (ticking_ && getManager()) getManager()->killTimer(this, kFrameTimer);
  ticking_ = false;
}

void CGifAnimUI::doEvent(TEventUI& event) {
  if (event.type == UIEvent::Timer && event.wParam == kFrameTimer) {
    stop();
    if (!onScreen() || !animation_ || animation_->frames.empty()) return;
    frame_ = (frame_ + 1) % static_cast<int>(animation_->frames.size());
    redraw();  // the next paint schedules the next frame
    return;
  }
  CControlUI::doEvent(event);
}

}  // namespace DuiLib
