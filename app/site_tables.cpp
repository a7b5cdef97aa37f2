// Every per-variant and per-language value of the product in one place.
// Package and report hosts are build settings (vorlane_hosts.h); the pages and
// analytics identifiers below are fixed per market.
#include "app/site_tables.h"

namespace {

// ---- Variants, in PlayerVariant order: 4.0, 64, 9, 3.0 ----------------------

// The 4.0 folder name carries no product word, unlike the other three.
const VariantNames kVariants[] = {
    {L"4.0\\", L"Vorlane\\Vorlane4.0\\", L"/download/package/Vorlane4.0.exe",
     L"Software\\Halvek\\Vorlane"},
    {L"Vorlane64\\", L"Vorlane\\Vorlane64\\", L"/download/package/Vorlane64.exe",
     L"Software\\Halvek\\Vorlane64"},
    {L"Vorlane9\\", L"Vorlane\\Vorlane9\\", L"/download/package/Vorlane9.0.exe",
     L"Software\\Halvek\\Vorlane9"},
    {L"Vorlane3.0\\", L"Vorlane\\Vorlane3.0\\", L"/download/package/Vorlane3.0.exe",
     L"Software\\Tormic\\Vorlane"},
};

// ---- Web pages ---------------------------------------------------------------

// Pages that several rows share.
constexpr wchar_t kHomeMarketHome[] = L"http://www.vorlane.cn/";
constexpr wchar_t kInternationalHome[] = L"https://www.vorlane.com/";
constexpr wchar_t kInternationalCommunity[] = L"https://community.vorlane.com/global";
constexpr wchar_t kChatLinkA[] = L"https://chat.vorlane.com/invite/vorlane-global";
constexpr wchar_t kChatLinkB[] = L"https://chat.vorlane.com/invite/vorlane-es";
constexpr wchar_t kChatLinkC[] = L"https://chat.vorlane.com/invite/vorlane-jp";

// Community pages that are also the after-installation page of their market.
constexpr wchar_t kKrCommunity[] = L"https://community.vorlane.com/kr";
constexpr wchar_t kVnCommunity[] = L"https://community.vorlane.com/vn";
constexpr wchar_t kThCommunity[] = L"https://community.vorlane.com/th";
constexpr wchar_t kRuCommunity[] = L"https://community.vorlane.com/ru";
constexpr wchar_t kPtCommunity[] = L"https://community.vorlane.com/pt";

// The last row is the default for every code not listed.
const SitePages kPages[] = {
    // code, home page, community page, page opened after installation
    {L"cn", kHomeMarketHome, kHomeMarketHome, kChatLinkA},
    // tw: after installation, the community page with a "/" appended.
    {L"tw", L"https://tw.vorlane.com/", L"https://community.vorlane.com/tw",
     L"https://community.vorlane.com/tw/"},
    {L"kr", L"https://kr.vorlane.com/", kKrCommunity, kKrCommunity},
    {L"vn", L"https://vn.vorlane.com/", kVnCommunity, kVnCommunity},
    {L"th", L"https://th.vorlane.com/", kThCommunity, kThCommunity},
    {L"ru", L"https://ru.vorlane.com/", kRuCommunity, kRuCommunity},
    {L"pt", L"https://pt.vorlane.com/", kPtCommunity, kPtCommunity},
    {L"id", L"https://id.vorlane.com/", L"https://community.vorlane.com/id", kChatLinkA},
    {L"es", L"https://es.vorlane.com/", kInternationalCommunity, kChatLinkB},
    {L"fr", L"https://fr.vorlane.com/", L"https://community.vorlane.com/fr", kChatLinkA},
    {L"jp", L"https://jp.vorlane.com/", L"https://community.vorlane.com/jp", kChatLinkC},
    {L"ar", L"https://ar.vorlane.com/", L"https://community.vorlane.com/ar", kChatLinkA},
    {L"fa", L"https://fa.vorlane.com/", L"https://community.vorlane.com/fa", kChatLinkA},
    {L"de", L"https://de.vorlane.com/", L"https://community.vorlane.com/de", kChatLinkA},
    {nullptr, kInternationalHome, kInternationalCommunity, kChatLinkA},
};

// ---- Analytics identifiers ---------------------------------------------------

// cn and tw report to one property; the last row is the default.
const AnalyticsIds kAnalytics[] = {
    {L"kr", L"G-J50CE9UVW5", L"6ilI8ihN5KXSc7Tvo_hBKq"},
    {L"vn", L"G-PZZ5FK2Z9R", L"r3J1TWDtkwtDDb-xHKas1V"},
    {L"th", L"G-UI6D39ZZZZ", L"n9ZhyiA4uoRgnatmUdjAWt"},
    {L"ru", L"G-QWX4HH5344", L"NksnRH9ucAUsdMlHUvTCQC"},
    {L"pt", L"G-MPZOM75WBB", L"J8HyS5SUkCnD8zRA9a9Skp"},
    {L"jp", L"G-YM4L1VFZ3Z", L"kuvqdt7s8Stqcbnr3yBdGB"},
    {L"id", L"G-S6PUQ80IDW", L"61qtc4xatws8phP9nhFyJf"},
    {L"fr", L"G-G629BE2U66", L"zJ59FHz5r1pY4OjE2jBMpt"},
    {L"es", L"G-XJQI3OGZ5K", L"Cu3ZR1zTOlUcR64cXQLioD"},
    {L"de", L"G-GFQRCLRI1Q", L"Zt_PlJhx2jIclHkCiHp6bR"},
    {L"ar", L"G-90RIC7PHKQ", L"gxzNNAL5wIScGebcy8F5n3"},
    {L"fa", L"G-58Z6TNOVMI", L"ZSgqbjG3uhkWKFLf6xuI5a"},
    {L"cn", L"G-T9LGMXG9ED", L"A_2O76UMFxFkM_R5Kjp1vR"},
    {L"tw", L"G-T9LGMXG9ED", L"A_2O76UMFxFkM_R5Kjp1vR"},
    {nullptr, L"G-UJZDE8GXD6", L"Bel31iEl2hpChYgCfrL1sp"},
};

// A table's row for `code`, or its last (default) row.
template <typename Row, size_t N>
const Row& rowFor(const Row (&rows)[N], const std::wstring& code) {
  for (size_t i = 0; i + 1 < N; ++i)
    if (code == rows[i].code) return rows[i];
  return rows[N - 1];
}

}  // namespace

// A file-sharing service's direct-download link, opened in the browser when the
// user must fetch the package by hand.
const wchar_t kManualDownloadUrl[] =
    L"https://drive.google.com/uc?id=1HUQPFeNBTxaQWk8JzFalHlsZfYcMMDkt&export=download";

const VariantNames& variantNames(PlayerVariant variant) {
  return kVariants[static_cast<int>(variant)];
}

const SitePages& sitePagesFor(const std::wstring& code) { return rowFor(kPages, code); }

const AnalyticsIds& analyticsIdsFor(const std::wstring& code) { return rowFor(kAnalytics, code); }
