#include "offer/sdk_wrapper.h"

#include "offer/guarded_invoke.h"
#include "skin/un7z.h"
#include "utility/system_library.h"
#include "utility/ufile.h"

namespace {

constexpr int kLibraryResource = 134;
constexpr wchar_t kArchiveType[] = L"ZIPRES";

}  // namespace

SDKWrapper& SDKWrapper::instance() {
  static SDKWrapper* wrapper = new SDKWrapper();  // lives until the process ends
  return *wrapper;
}

std::wstring SDKWrapper::tempFolder() { return utility::ufile::localTempFolder(); }

SDKWrapper::SDKWrapper(std::wstring (*tempRoot)(), utility::PrivateFolder::FactsHook hook)
    : folder_(kFolderPrefix, hook), tempRoot_(tempRoot) {}

int SDKWrapper::init(const std::wstring& locale, const std::wstring& channel) {
  try {
    int loaded = 0;
    int ready = 0;
    if (!loadLibrary() || !call(offer::kLoad, offer::loadArgument(locale, channel), 1, &loaded) ||
        loaded == 0 || !call(offer::kIsReady, offer::kBlockingArgument, 1, &ready)) {
      failureStage_ = 1;
      return kInitFailed;
    }
    return kInitLoaded;
  } catch (...) {
    fault(1);
    return kInitFailed;
  }
}

bool SDKWrapper::loadLibrary() {
  std::wstring root = tempRoot_ ? tempRoot_() : std::wstring();
  if (root.empty() || !folder_.create(root)) return false;
  if (extractLibrary(folder_.path())) {
    libraryPath_ = folder_.path() + offer::kLibraryFile;
    module_ = utility::loadLibraryFromFolder(libraryPath_);
  }
  if (module_) {
    invoke_ = reinterpret_cast<offer::InvokeW>(
        reinterpret_cast<void*>(GetProcAddress(module_, offer::kInvokeExport)));
  }
  if (invoke_) return true;
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
  folder_.remove();
  return false;
}

bool SDKWrapper::extractLibrary(const std::wstring& folder) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(kLibraryResource), kArchiveType);
  HGLOBAL loaded = found ? LoadResource(self, found) : nullptr;
  DWORD size = found ? SizeofResource(self, found) : 0;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return false;
  std::vector<std::wstring> written;
  int result = utility::un7z::extractToFolder(data, size, folder, &written);
  // What was written is removed with the folder, whatever came of it.
  for (const std::wstring& name : written) folder_.noteFile(name);
  return result == utility::un7z::kOk;
}

// Every call goes through the guard (offer/guarded_invoke.h): an exception
// raised inside the library ends the call there. A C++ exception of this
// program's own runtime (a library built as it is, on 64-bit Windows) passes
// the guard and is caught here. Either way the wrapper is at `stage`. Our own
// exceptions of building an argument are caught by the callers.
bool SDKWrapper::call(offer::Function function, const std::wstring& argument, int stage,
                      int* answer) {
  try {
    if (offer::invokeGuarded(invoke_, function, argument.c_str(), answer)) return true;
  } catch (...) {
  }
  fault(stage);
  return false;
}

void SDKWrapper::fault(int stage) {
  failureStage_ = stage;
  faulted_ = true;
}

int SDKWrapper::callOrStage(offer::Function function, int stage) {
  if (failureStage_ != 0 || !invoke_) return 0;
  int answer = 0;
  return call(function, L"", stage, &answer) ? answer : 0;
}

void SDKWrapper::setWindow(HWND container, int x, int y, int width, int height) {
  if (failureStage_ != 0 || !invoke_) return;
  try {
    int ignored = 0;
    call(offer::kSetWindow, offer::setWindowArgument(container, x, y, width, height), 3, &ignored);
  } catch (...) {
    fault(3);
  }
}

int SDKWrapper::display(HWND accept, HWND decline) {
  if (failureStage_ != 0 || !invoke_) return 0;
  try {
    int shown = 0;
    return call(offer::kDisplay, offer::displayArgument(accept, decline), 4, &shown) ? shown : 0;
  } catch (...) {
    fault(4);
    return 0;
  }
}

int SDKWrapper::accept() { return callOrStage(offer::kAccept, 5); }

int SDKWrapper::decline() { return callOrStage(offer::kDecline, 6); }

int SDKWrapper::install() {
  if (failureStage_ != 0) return 1;
  int installed = 0;
  if (invoke_ && !call(offer::kInstall, L"", 7, &installed)) return 0;
  if (!invoke_ || installed == 0) failureStage_ = 7;
  return 1;
}

void SDKWrapper::markClosed() {
  int expected = 0;
  failureStage_.compare_exchange_strong(expected, kClosedByUser);
}

bool SDKWrapper::release() {
  offer::UnloadPlan plan = offer::unloadPlan(failureStage_, faulted_);
  try {
    int ignored = 0;
    if (invoke_ && plan.argument && !call(offer::kUnload, plan.argument, 9, &ignored))
      plan.free = false;
  } catch (...) {
    fault(9);
    plan.free = false;
  }
  invoke_ = nullptr;
  if (plan.free && module_) FreeLibrary(module_);
  module_ = nullptr;
  // A library left mapped keeps its file: that is deleted at the next restart.
  folder_.remove();
  return failureStage_ != 9;
}
