// The product's tables: per-variant names and paths, and the per-language web
// pages and analytics identifiers. The values live in site_tables.cpp.
#pragma once
#include <string>

#include "app/config_imp.h"

struct VariantNames {
  const wchar_t* folderName;      // subfolder of a chosen installation folder
  const wchar_t* defaultSubPath;  // under the best drive's root
  const wchar_t* packagePath;     // on both package hosts
  const wchar_t* registryKey;     // under HKEY_CURRENT_USER
};

struct SitePages {
  const wchar_t* code;
  const wchar_t* home;
  const wchar_t* community;
  const wchar_t* afterInstall;
};

struct AnalyticsIds {
  const wchar_t* code;
  const wchar_t* measurementId;  // "G-" and 10 upper-case letters or digits
  const wchar_t* apiSecret;      // 22 letters, digits, "-" or "_"
};

const VariantNames& variantNames(PlayerVariant variant);
// The row of `code` (exact, case-sensitive), or the default row.
const SitePages& sitePagesFor(const std::wstring& code);
const AnalyticsIds& analyticsIdsFor(const std::wstring& code);

extern const wchar_t kManualDownloadUrl[];
