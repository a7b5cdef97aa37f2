// The product configuration: the selected variant and site language, and every
// answer that depends on them (folders, package addresses, registry key, web
// pages, analytics identifiers). The model sets variant and language on the UI
// thread during start-up; afterwards everything only reads, except the two
// download flags, which the download worker writes.
#pragma once
#include <atomic>
#include <string>

// The four product variants, in the order the flags are tested.
enum class PlayerVariant { k40, k64, k9, k30 };

// Names that do not depend on the variant.
inline constexpr wchar_t kPlayerExeName[] = L"vdplayer.exe";
// The emulator's processes, ended before the package installs.
inline constexpr const wchar_t* kPlayerProcessNames[] = {L"vdplayer.exe", L"vdmultiplayer.exe",
                                                         L"vdmultiplayerex.exe", L"vdreport.exe"};

class ConfigImp {
 public:
  // The one configuration of the process, created on first call and never
  // destroyed. Any thread.
  static ConfigImp& instance();

  // A configuration with the initial values (variant 9, language "en"). The
  // program uses instance(); tests make their own.
  ConfigImp() = default;
  ConfigImp(const ConfigImp&) = delete;
  ConfigImp& operator=(const ConfigImp&) = delete;

  // Variant selection; UI thread, before any worker starts. 4.0 and 64 log.
  void setPlayer4();
  void setPlayer64();
  void setPlayer9();
  void setPlayer3();
  // isPlayer4, then isPlayer64, then isPlayer9 decide; none set means 3.0.
  PlayerVariant variant() const;

  // Per-variant answers.
  std::wstring playerFolderName() const;       // "Vorlane9\"
  std::wstring defaultInstallSubPath() const;  // "Vorlane\Vorlane9\"
  std::wstring packageUrl() const;             // primary host + package path
  std::wstring sparePackageUrl() const;        // spare host + the same path
  std::wstring registryKey() const;            // under HKEY_CURRENT_USER

  // Per-language answers: `language` matched exactly, else the default row.
  std::wstring homePageUrl() const;
  std::wstring communityPageUrl() const;
  std::wstring afterInstallPageUrl() const;
  std::wstring gaMeasurementId() const;
  std::wstring gaApiSecret() const;

  // Fixed answers.
  std::wstring productName() const { return L"Vorlane"; }
  std::wstring manualDownloadUrl() const;
  // The licence page on the maker's site: site host + "/other/protocol.html".
  std::wstring licencePageUrl() const;
  // `folder` + "\Vorlane.exe"; the folder is used as given.
  std::wstring packagePath(const std::wstring& folder) const;

  // Two-letter site and analytics language code ("cn" is valid here too).
  std::wstring language = L"en";
  bool isPlayer4 = false;
  bool isPlayer64 = false;
  bool isPlayer9 = true;
  // The partner offer library is used; nothing changes it.
  bool offerEnabled = true;
  // Written by the download worker while the UI thread may read them.
  std::atomic<bool> useSpareUrl{false};
  std::atomic<bool> useIe{true};
};
