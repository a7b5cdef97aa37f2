// The offer window host: starts the offer library on a worker thread while
// the first page shows, lays its own borderless window over the main window
// when asked, hands the library a dark container to draw its offer into and
// the Accept and Reject buttons, passes their clicks on, and calls the main
// window back when the offer step is over. At shut-down it releases the
// library once. The main window's one door to the offer.
//
// The start-up thread writes the loaded flag, the offer flag and then the
// ready flag (release order); everything else runs on the UI thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "offer/offer_host_access.h"
#include "offer/offer_host_layout.h"
#include "utility/detached_thread.h"
#include "utility/ui_dispatcher.h"

class SDKWrapper;

// The moments of the offer step that are reported on both event channels.
enum class OfferMoment { kShown, kAccepted, kRejected, kClosed };

class SDKAPIImpl {
 public:
  // The limit of the wait for the library: 20 ticks of 500 ms.
  static constexpr UINT kTickMs = 500;
  static constexpr int kGiveUpTicks = 20;
  static constexpr DWORD kReadyLimitMs = kTickMs * kGiveUpTicks;

  // The owner's link to the partner's terms, which the host's keyboard order
  // passes through (Accept, Reject, the terms, Close) though the owner draws
  // it. Functions left empty mean no link.
  struct TermsLink {
    // Its name for a reader and its place on the screen; false while it is
    // not shown.
    std::function<bool(std::wstring& name, RECT& place)> find;
    std::function<void()> open;
    // The keyboard's focus mark on it comes or goes.
    std::function<void(bool focused)> showFocus;
  };

  // What the host needs of the application. Functions left empty are not
  // called; all of them run on the UI thread.
  struct Hooks {
    bool enabled = true;  // the product variant uses the offer library
    // The user closed the offer window; the host always passes false.
    std::function<void(bool installing)> closeRequested;
    // The offer step is over.
    std::function<void()> finished;
    std::function<void(OfferMoment)> report;
    TermsLink terms;
  };

  // Starts a worker thread; false when it cannot (utility/detached_thread.h).
  using ThreadStarter = bool (*)(std::function<void()> work);

  // The process's host, created on first use and never destroyed: the
  // start-up and wait threads may still use it after the window has gone.
  static SDKAPIImpl& instance();
  // Tests make their own over their own wrapper, and may start its threads
  // their way; neither is ever destroyed while a start-up thread may run.
  explicit SDKAPIImpl(SDKWrapper& wrapper,
                      ThreadStarter startThread = &utility::startDetachedThread);
  SDKAPIImpl(const SDKAPIImpl&) = delete;
  SDKAPIImpl& operator=(const SDKAPIImpl&) = delete;

  // UI thread. Replaces the hooks.
  void setHooks(Hooks hooks);
  // UI thread, after setHooks. Runs init() on a worker thread of its own, not
  // waited for. When the offer is off, or no thread can be made, nothing is
  // loaded: the host is ready at once, without an offer.
  void startInit(const std::wstring& openId);
  // The start-up: loads the library for the open id's channel and sets the
  // flags. Worker thread.
  void init(const std::wstring& openId);
  // UI thread. Waits on a worker thread for the library: once ready with an
  // offer, posts `show`; without one, ends. After kReadyLimitMs without a
  // ready library, or when no thread can be made, the host gives up: the step
  // ends and a later ready is ignored.
  void waitForOffer(std::function<void()> show);

  // Any thread. The other two flags read false until the start-up has
  // finished: the ready flag is read first (acquire), so that nothing the
  // start-up thread is still writing is ever read.
  bool isReady() const { return ready_.load(std::memory_order_acquire); }
  bool hasOffer() const { return isReady() && offerAvailable_.load(std::memory_order_relaxed); }
  bool libraryLoaded() const { return isReady() && libraryLoaded_.load(std::memory_order_relaxed); }

  // UI thread. Shows the host over `owner`, whose lengths are scaled by
  // `scalePercent`, without taking the keyboard; the tick then lets the
  // library display its offer, and only an offer displayed takes the
  // keyboard from the owner. True when the host window is there; false when
  // none was made (the step may have ended already).
  bool showADWindow(HWND owner, int scalePercent = 100);
  // UI thread, the window the offer covers has become active: while the
  // offer is displayed the keyboard goes back to it, so that a keyboard user
  // who answered a question over it (or came back from elsewhere) is on the
  // offer again, not on the window under it.
  void returnKeyboard();
  // UI thread, the package has downloaded: the library installs what the user
  // accepted along with it (function 7), when it is loaded and ready.
  void installOffer();
  // UI thread, the user leaves: hides the host and the window it was shown
  // over, then ends the step.
  void finishOnLeave();
  // UI thread, the window it was shown over hides (the run ends): the host
  // hides with it and its tick stops.
  void hide();
  // UI thread, at shut-down; acts once. Destroys the host, then lets the
  // library go (SDKWrapper::release). A library still starting (function 2
  // not returned) is left alone: nothing of the wrapper is touched, and the
  // library goes with the process; its folder goes in the next run.
  void releaseDLL();

  // The host's windows, null when none (for tests and the window procedures).
  HWND hostWindow() const { return host_; }
  HWND acceptWindow() const { return accept_; }
  HWND rejectWindow() const { return reject_; }
  HWND closeWindow() const { return close_; }
  HWND containerWindow() const { return container_; }
  HWND titleWindow() const { return title_; }
  int scalePercent() const { return scale_; }
  // What a reader and the keyboard find on the host.
  offer::OfferHostAccess& access() { return access_; }
  const TermsLink& termsLink() const { return hooks_.terms; }

  // UI thread: what the host's windows do.
  void onTick();
  bool display();
  void onAccept();
  void onReject();
  void onClose();
  // The host moved: the owner follows.
  void onHostMoved();
  // The host window is being destroyed: stop referring to it and its children.
  void onHostDestroyed();

 private:
  void giveUp();
  // The displayed offer takes the keyboard, unless the user is elsewhere (a
  // box, another program's window).
  void takeKeyboard();
  void destroyHost();
  void hideButtons();
  void finish();
  void report(OfferMoment moment);

  void setStartedWithoutLibrary();

  SDKWrapper& wrapper_;
  ThreadStarter startThread_;
  Hooks hooks_;
  HWND host_ = nullptr;
  HWND owner_ = nullptr;
  utility::UiTimer tick_;
  bool released_ = false;
  std::atomic<bool> ready_{false};
  std::atomic<bool> offerAvailable_{false};
  std::atomic<bool> libraryLoaded_{false};

  HWND accept_ = nullptr;
  HWND reject_ = nullptr;
  HWND close_ = nullptr;
  HWND title_ = nullptr;
  HWND container_ = nullptr;
  offer::OfferHostAccess access_{*this};
  bool shownOnce_ = false;  // a host was made: the tick fills only the first
  bool displayed_ = false;  // the library displays its offer in the host
  bool givenUp_ = false;    // the wait ran out: a later ready is ignored
  int scale_ = 100;
  SIZE offerSize_{};  // what the library is told to fill (function 3)
  int readyTicks_ = 0;
  int waitingTicks_ = 0;
};
