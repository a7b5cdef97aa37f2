// The partner offer's share of the main window's flow: the offer library is
// started while the first page shows, its offer is shown over the main window
// once the user presses install, its software installs along with the
// package, and the library is released at the end.
//
// The library and its window host are not part of the program yet. Until
// they are, this step has no offer: asking it for one reports "no offer
// available" and ends the step, so the window goes on to its progress page
// just as it does when the library did not start.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>

class OfferStep {
 public:
  struct Callbacks {
    // The user closed the offer window; `installing` tells whether the
    // package is being installed. UI thread.
    std::function<void(bool installing)> closeRequested;
    // The offer step is over: the window shows its progress page. UI thread.
    std::function<void()> finished;
  };

  // The step of the process, created on first use and never destroyed: the
  // window's offer wait may still read it after the window has gone.
  static OfferStep& instance();

  // UI thread. Replaces the callbacks; empty ones are not called.
  void setCallbacks(Callbacks callbacks);
  // UI thread. Starts the offer library without waiting for it: when its
  // start-up has returned, hasOffer() is set first, then isReady().
  void startAsync();
  // Any thread.
  bool isReady() const { return ready_.load(std::memory_order_acquire); }
  bool hasOffer() const { return hasOffer_.load(std::memory_order_relaxed); }

  // UI thread. Shows the offer over `owner`; the step ends later through
  // Callbacks::finished (posted, never from inside this call).
  void showOver(HWND owner);
  // UI thread. Lets the offer's software install with the package.
  void installAlongside();
  // UI thread. The user is leaving: hides the offer window and the window it
  // was shown over, then ends the step.
  void finishOnLeave();
  // UI thread. Releases the offer library; later calls do nothing.
  void release();

 private:
  OfferStep() = default;
  void postFinished();

  Callbacks callbacks_;
  HWND owner_ = nullptr;  // the window the offer was shown over
  std::atomic<bool> hasOffer_{false};
  std::atomic<bool> ready_{false};
  bool released_ = false;
  const uint32_t postKey_ = 0x4F465201;
};
