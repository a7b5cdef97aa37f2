#include "offer/sdk_api_impl.h"

#include "offer/offer_host_windows.h"
#include "offer/offer_protocol.h"
#include "offer/sdk_wrapper.h"
#include "utility/log.h"

namespace {

// The locale the library is started with.
constexpr wchar_t kLocale[] = L"en";
// Set on giving up, as the tick does on its 20th: a later ready is ignored.
constexpr int kReadyTicksGivenUp = 10;
constexpr int kWaitingTicksDisplayed = 1000;
constexpr DWORD kReadyPollMs = 50;

// The owner's rectangle as it stands when restored: a minimised window's own
// rectangle is the icon's, off the screen.
RECT restoredRect(HWND owner) {
  RECT rect{};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!IsIconic(owner) || !GetWindowPlacement(owner, &placement)) {
    GetWindowRect(owner, &rect);
    return rect;
  }
  // The placement is in work-area coordinates.
  rect = placement.rcNormalPosition;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
    OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
  }
  return rect;
}

}  // namespace

SDKAPIImpl& SDKAPIImpl::instance() {
  static SDKAPIImpl* host = new SDKAPIImpl(SDKWrapper::instance());  // see the header
  return *host;
}

SDKAPIImpl::SDKAPIImpl(SDKWrapper& wrapper, ThreadStarter startThread)
    : wrapper_(wrapper), startThread_(startThread) {}

void SDKAPIImpl::setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

void SDKAPIImpl::startInit(const std::wstring& openId) {
  // A variant without the offer never loads the library: release would not
  // let it go.
  if (!hooks_.enabled) {
    setStartedWithoutLibrary();
    return;
  }
  // Detached: nothing waits for the start-up, which may take as long as the
  // library needs; the host outlives it.
  if (!startThread_([this, openId] { init(openId); })) {
    LOG(L"offer library not started: no thread");
    setStartedWithoutLibrary();
  }
}

void SDKAPIImpl::setStartedWithoutLibrary() {
  libraryLoaded_.store(false, std::memory_order_relaxed);
  offerAvailable_.store(false, std::memory_order_relaxed);
  ready_.store(true, std::memory_order_release);
}

void SDKAPIImpl::init(const std::wstring& openId) {
  int result = wrapper_.init(kLocale, offer::channelForOpenId(openId));
  libraryLoaded_.store(result != 0, std::memory_order_relaxed);
  offerAvailable_.store(result != 0, std::memory_order_relaxed);
  ready_.store(true, std::memory_order_release);
}

void SDKAPIImpl::waitForOffer(std::function<void()> show) {
  // The thread reads only the flags and hands its outcome to the UI thread.
  bool started = startThread_([this, show = std::move(show)] {
    const DWORD start = GetTickCount();
    while (!isReady()) {
      if (GetTickCount() - start >= kReadyLimitMs) {
        postToUi([this] { giveUp(); });
        return;
      }
      Sleep(kReadyPollMs);
    }
    if (hasOffer()) postToUi(show);
  });
  if (!started) giveUp();
}

void SDKAPIImpl::giveUp() {
  if (givenUp_ || shownOnce_) return;
  LOG(L"offer not ready, given up");
  givenUp_ = true;
  readyTicks_ = kReadyTicksGivenUp;
  finish();
}

bool SDKAPIImpl::showADWindow(HWND owner, int scalePercent) {
  if (!hooks_.enabled || !libraryLoaded() || givenUp_ || shownOnce_) return false;
  owner_ = owner;
  scale_ = scalePercent > 0 ? scalePercent : 100;
  offer::OfferHostLayout layout = offer::offerHostLayout(restoredRect(owner), scale_);
  offer::OfferHostWindows windows = offer::createOfferHostWindows(this, owner, layout);
  if (!windows.host) {
    finish();
    return false;
  }
  shownOnce_ = true;
  offerSize_ = layout.offer;
  host_ = windows.host;
  accept_ = windows.accept;
  reject_ = windows.reject;
  close_ = windows.close;
  title_ = windows.title;
  container_ = windows.container;
  // The keyboard stays with the owner until an offer is displayed.
  ShowWindow(host_, SW_SHOWNA);
  LOG(L"start time 100");
  tick_.start(kTickMs, new MemberFuncRunable<SDKAPIImpl>(this, &SDKAPIImpl::onTick));
  return true;
}

void SDKAPIImpl::onTick() {
  if (isReady()) {
    ++readyTicks_;
  } else {
    LOG(L"time not init");
  }
  if (readyTicks_ == 1) {
    waitingTicks_ = kWaitingTicksDisplayed;
    if (libraryLoaded() && container_) {
      wrapper_.setWindow(container_, 0, 0, offerSize_.cx, offerSize_.cy);
    }
    display();
  }
  if (++waitingTicks_ == kGiveUpTicks) {
    readyTicks_ = kReadyTicksGivenUp;
    if (host_) ShowWindow(host_, SW_HIDE);
    finish();
  }
}

bool SDKAPIImpl::display() {
  if (!libraryLoaded()) return false;
  if (wrapper_.display(accept_, reject_) != 0) {
    ShowWindow(reject_, SW_SHOW);
    ShowWindow(accept_, SW_SHOW);
    displayed_ = true;
    access_.onDisplayed();
    takeKeyboard();
    report(OfferMoment::kShown);
    return true;
  }
  destroyHost();
  finish();
  return false;
}

void SDKAPIImpl::onAccept() {
  if (wrapper_.accept() == 0) {
    hideButtons();
    finish();
    destroyHost();
  }
  report(OfferMoment::kAccepted);
}

void SDKAPIImpl::onReject() {
  if (wrapper_.decline() == 0) {
    hideButtons();
    destroyHost();
    finish();
  }
  report(OfferMoment::kRejected);
}

void SDKAPIImpl::onClose() {
  if (!libraryLoaded()) return;
  wrapper_.markClosed();
  report(OfferMoment::kClosed);
  if (hooks_.closeRequested) hooks_.closeRequested(false);
}

void SDKAPIImpl::onHostMoved() {
  if (!host_ || !owner_ || IsIconic(owner_)) return;
  RECT host;
  GetWindowRect(host_, &host);
  RECT owner = offer::ownerRectForHost(host, scale_);
  MoveWindow(owner_, owner.left, owner.top, owner.right - owner.left, owner.bottom - owner.top,
             TRUE);
}

void SDKAPIImpl::onHostDestroyed() {
  displayed_ = false;
  access_.onHostDestroyed();
  host_ = accept_ = reject_ = close_ = title_ = container_ = nullptr;
}

void SDKAPIImpl::returnKeyboard() {
  if (displayed_ && IsWindowVisible(host_)) takeKeyboard();
}

void SDKAPIImpl::takeKeyboard() {
  HWND active = GetActiveWindow();
  if (!host_ || (active && active != owner_)) return;
  SetActiveWindow(host_);
}

void SDKAPIImpl::installOffer() {
  if (libraryLoaded() && !givenUp_) wrapper_.install();
}

void SDKAPIImpl::finishOnLeave() {
  if (host_) ShowWindow(host_, SW_HIDE);
  if (owner_) ShowWindow(owner_, SW_HIDE);
  finish();
}

void SDKAPIImpl::hide() {
  tick_.stop();
  if (host_) ShowWindow(host_, SW_HIDE);
}

void SDKAPIImpl::releaseDLL() {
  if (!hooks_.enabled || released_) return;
  released_ = true;
  // The library's windows and whatever it hooked on the buttons go before it.
  tick_.stop();
  destroyHost();
  if (!isReady()) {
    LOG(L"offer library still starting: left to the process's end");
    return;
  }
  if (libraryLoaded()) {
    wrapper_.release();
    LOG(L"release dll end");
  }
}

void SDKAPIImpl::destroyHost() {
  if (host_) DestroyWindow(host_);  // its WM_DESTROY forgets the windows
}

void SDKAPIImpl::hideButtons() {
  if (reject_) ShowWindow(reject_, SW_HIDE);
  if (accept_) ShowWindow(accept_, SW_HIDE);
}

void SDKAPIImpl::finish() {
  if (hooks_.finished) hooks_.finished();
}

void SDKAPIImpl::report(OfferMoment moment) {
  if (hooks_.report) hooks_.report(moment);
}
