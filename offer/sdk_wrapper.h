// Loads the offer library and drives it through its numbered functions
// (offer_protocol.h). The library travels inside the executable as a 7z
// archive, resource "ZIPRES" 134; it is unpacked into a folder of its own
// (utility/private_folder.h), loaded, and at shut-down unloaded with its folder.
//
// Nothing here is logged or shown: every failure ends in failureStage(), and
// from then on the library is not called again, except function 9 at release
// (offer::unloadPlan: after a normal end, the user's closing or a failed
// install). Every call goes through one guard (offer/guarded_invoke.h):
// whatever the library raises, and our own exceptions of building a call, end
// in the call's stage, and the library is then neither called nor freed again.
//
// init() runs on a worker thread; everything else on the UI thread, only
// after init() has returned (the host's ready flag orders the two).
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "offer/offer_protocol.h"
#include "utility/private_folder.h"

class SDKWrapper {
 public:
  // What failureStage() holds: 0 while nothing failed, the number of the
  // step that failed, or kClosedByUser.
  static constexpr int kClosedByUser = offer::kStageClosed;
  static constexpr int kInitLoaded = 1;
  static constexpr int kInitFailed = 8;
  // What the library folders' names begin with (followed by a GUID).
  static constexpr wchar_t kFolderPrefix[] = L"Setup_";

  // The process's wrapper, created on first use and never destroyed.
  static SDKWrapper& instance();
  // The user's local application-data folder + "Temp\", or empty.
  static std::wstring tempFolder();

  // `tempRoot` gives the folder the library's own folder is made in; `hook`
  // lets a test change what that folder's checks see.
  explicit SDKWrapper(std::wstring (*tempRoot)() = &SDKWrapper::tempFolder,
                      utility::PrivateFolder::FactsHook hook = nullptr);
  SDKWrapper(const SDKWrapper&) = delete;
  SDKWrapper& operator=(const SDKWrapper&) = delete;

  // Loads the library and calls functions 1 and 2: kInitLoaded, or
  // kInitFailed with failureStage() 1.
  virtual int init(const std::wstring& locale, const std::wstring& channel);
  // Lets the library go as offer::unloadPlan says (function 9, FreeLibrary)
  // and removes its folder; what a library left mapped holds is deleted at the
  // next restart. False when function 9 ended in an exception (stage 9).
  virtual bool release();
  // Unpacks the library into a new private folder (utility/private_folder.h)
  // and loads it from there; on failure nothing of it is left.
  virtual bool loadLibrary();
  // Unpacks resource 134 into `folder`, the wrapper's private folder; true
  // only when it unpacked whole. The files it wrote are removed at release.
  virtual bool extractLibrary(const std::wstring& folder);

  // Functions 3 to 7, called only while failureStage() is 0 and the library
  // is loaded.
  void setWindow(HWND container, int x, int y, int width, int height);
  // The library's answer, or 0 when it was not asked.
  int display(HWND accept, HWND decline);
  int accept();
  int decline();
  // 0 only when an exception ended the call; the library's own 0 sets stage 7.
  int install();

  // The user closed the offer window: release says so to the library. Only a
  // wrapper that has not failed takes it.
  void markClosed();
  int failureStage() const { return failureStage_.load(); }
  bool loaded() const { return invoke_ != nullptr; }
  // The folder the library was unpacked into, empty when none was made.
  const std::wstring& folder() const { return folder_.path(); }

 private:
  // Calls the library through its guard; false, with the wrapper at `stage`,
  // when an exception ended the call.
  bool call(offer::Function function, const std::wstring& argument, int stage, int* answer);
  int callOrStage(offer::Function function, int stage);
  // An exception ended a call, or the building of one: the wrapper is at
  // `stage` and the library is neither called nor freed again.
  void fault(int stage);

  HMODULE module_ = nullptr;
  offer::InvokeW invoke_ = nullptr;
  utility::PrivateFolder folder_;
  std::wstring libraryPath_;
  std::atomic<int> failureStage_{0};
  std::atomic<bool> faulted_{false};  // a call ended in an exception
  std::wstring (*tempRoot_)();
};
