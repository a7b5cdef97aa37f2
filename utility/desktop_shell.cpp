#include "utility/desktop_shell.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

#include "utility/log.h"

namespace utility::desktop_shell {
namespace {

// Releases a COM pointer when it goes out of scope.
template <typename T>
class Held {
 public:
  Held() = default;
  ~Held() {
    if (p_) p_->Release();
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  T** put() { return &p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// The desktop's folder view asks its application object: the shell that
// runs the desktop, in the logged-on user's own process.
HRESULT desktopShell(IShellDispatch2** result) {
  Held<IShellWindows> windows;
  HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                IID_PPV_ARGS(windows.put()));
  if (FAILED(hr)) return hr;
  VARIANT none;
  VariantInit(&none);
  long window = 0;
  Held<IDispatch> desktop;
  hr = windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.put());
  if (hr != S_OK || !desktop) return FAILED(hr) ? hr : E_FAIL;
  Held<IServiceProvider> services;
  Held<IShellBrowser> browser;
  Held<IShellView> view;
  Held<IDispatch> background;
  Held<IShellFolderViewDual> folderView;
  Held<IDispatch> application;
  if (FAILED(hr = desktop->QueryInterface(IID_PPV_ARGS(services.put()))) ||
      FAILED(hr = services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(browser.put()))) ||
      FAILED(hr = browser->QueryActiveShellView(view.put())) ||
      FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(background.put()))) ||
      FAILED(hr = background->QueryInterface(IID_PPV_ARGS(folderView.put()))) ||
      FAILED(hr = folderView->get_Application(application.put())))
    return hr;
  return application->QueryInterface(IID_PPV_ARGS(result));
}

VARIANT textVariant(const std::wstring& text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return value;
}

// The call itself, in an apartment of the calling thread.
bool openIn(const std::wstring& file, const std::wstring& parameters) {
  Held<IShellDispatch2> shell;
  HRESULT hr = desktopShell(shell.put());
  if (SUCCEEDED(hr)) {
    BSTR what = SysAllocStringLen(file.data(), static_cast<UINT>(file.size()));
    VARIANT arguments = textVariant(parameters);
    VARIANT folder, verb, show;
    VariantInit(&folder);
    VariantInit(&verb);
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    hr = shell->ShellExecute(what, arguments, folder, verb, show);
    VariantClear(&arguments);
    SysFreeString(what);
  }
  if (FAILED(hr)) LOG(L"desktop shell cannot open %s, hr = 0x%08X", file.c_str(), (unsigned)hr);
  return SUCCEEDED(hr);
}

}  // namespace

bool open(const std::wstring& file, const std::wstring& parameters) {
  // A thread that has not joined an apartment joins one for the call; one of
  // another kind can make the call as it is.
  HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = openIn(file, parameters);
  if (SUCCEEDED(joined)) CoUninitialize();
  return ok;
}

}  // namespace utility::desktop_shell
