// Starts a real model under whatever file name this program was given and
// writes what it learnt to "<own path>.txt", one "key=value" line each.
#include <windows.h>

#include <curl/curl.h>

#include <sstream>

#include "app/app_model.h"
#include "app/config_imp.h"
#include "report/reporter.h"
#include "tests/app/helpers/quiet_services.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

namespace {

const char* variantName(PlayerVariant variant) {
  switch (variant) {
    case PlayerVariant::k40: return "4.0";
    case PlayerVariant::k64: return "64";
    case PlayerVariant::k9: return "9";
    case PlayerVariant::k30: return "3.0";
  }
  return "?";
}

}  // namespace

int wmain() {
  curl_global_init(CURL_GLOBAL_ALL);
  utility::UiDispatcher::create();
  QuietServices services;
  ConfigImp& config = services.config;
  CAppModel model(services.options());
  model.init(nullptr, GetModuleHandleW(nullptr));

  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::ostringstream out;
  auto line = [&out](const char* key, const std::wstring& value) {
    out << key << '=' << utility::wideToUtf8(value) << '\n';
  };
  out << "variant=" << variantName(config.variant()) << '\n';
  line("site_language", config.language);
  line("language", model.m_language);
  line("locale", model.m_locale);
  line("openid", model.m_openId);
  line("package", model.m_package);
  testing_support::writeFile(std::wstring(self) + L".txt", out.str());
  services.reporter.shutdown();
  return 0;
}
