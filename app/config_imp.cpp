#include "app/config_imp.h"

#include "app/site_tables.h"
#include "utility/log.h"
#include "vorlane_hosts.h"

ConfigImp& ConfigImp::instance() {
  static ConfigImp* config = new ConfigImp();  // never destroyed: workers may read it at exit
  return *config;
}

void ConfigImp::setPlayer4() {
  LOG(L"version 4");
  isPlayer4 = true;
  isPlayer64 = false;
  isPlayer9 = false;
}

void ConfigImp::setPlayer64() {
  LOG(L"version 64");
  isPlayer4 = false;
  isPlayer64 = true;
  isPlayer9 = false;
}

void ConfigImp::setPlayer9() {
  isPlayer4 = false;
  isPlayer64 = false;
  isPlayer9 = true;
}

void ConfigImp::setPlayer3() {
  isPlayer4 = false;
  isPlayer64 = false;
  isPlayer9 = false;
}

PlayerVariant ConfigImp::variant() const {
  if (isPlayer4) return PlayerVariant::k40;
  if (isPlayer64) return PlayerVariant::k64;
  if (isPlayer9) return PlayerVariant::k9;
  return PlayerVariant::k30;
}

std::wstring ConfigImp::playerFolderName() const { return variantNames(variant()).folderName; }

std::wstring ConfigImp::defaultInstallSubPath() const {
  return variantNames(variant()).defaultSubPath;
}

std::wstring ConfigImp::packageUrl() const {
  return std::wstring(hosts::kPrimary) + variantNames(variant()).packagePath;
}

std::wstring ConfigImp::sparePackageUrl() const {
  return std::wstring(hosts::kSpare) + variantNames(variant()).packagePath;
}

std::wstring ConfigImp::registryKey() const { return variantNames(variant()).registryKey; }

std::wstring ConfigImp::homePageUrl() const { return sitePagesFor(language).home; }

std::wstring ConfigImp::communityPageUrl() const { return sitePagesFor(language).community; }

std::wstring ConfigImp::afterInstallPageUrl() const { return sitePagesFor(language).afterInstall; }

std::wstring ConfigImp::gaMeasurementId() const { return analyticsIdsFor(language).measurementId; }

std::wstring ConfigImp::gaApiSecret() const { return analyticsIdsFor(language).apiSecret; }

std::wstring ConfigImp::manualDownloadUrl() const { return kManualDownloadUrl; }

std::wstring ConfigImp::licencePageUrl() const {
  return std::wstring(hosts::kSite) + L"/other/protocol.html";
}

std::wstring ConfigImp::packagePath(const std::wstring& folder) const {
  return folder + L"\\Vorlane.exe";
}
