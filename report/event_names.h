// Every event the installer reports, on both channels, and the fixed texts they
// carry. The names are wire vocabulary: the collection endpoint and the
// analytics property count them as they stand, misspellings included, so a
// name here is never changed or reused for another meaning.
//
// Rules that hold across the catalogue:
// - Where one step raises an event on both channels, the analytics event goes
//   first and the reporter event second.
// - A step that ends a stage (installation error, installation success, leaving
//   through the exit box) calls CReporter::notify right after its last reporter
//   event; every other event waits for the reporter's next pass.
// - With variant 4.0 selected the reporter drops every event; analytics events
//   are sent as usual.
// - Own properties follow the six fixed ones, in the order listed
//   ("duration" before "ext_field").
#pragma once

namespace events {

// Reporter channel: CReporter::addEvent. Pairs with the analytics names are noted.
namespace report {

// Start-up finished (after analytics kRun). No own properties.
inline constexpr wchar_t kRunDownloader[] = L"ad_run_downloader";
// The user pressed install and the download started. No own properties.
inline constexpr wchar_t kStartDownloader[] = L"ad_start_downloader";
// Package download succeeded (with analytics kDownloadSucess): ext_field = res | aws.
inline constexpr wchar_t kDownloadSuccess[] = L"ad_download_success";
// Right after kDownloadSuccess: duration, then ext_field = res_ | aws_ + ie | curl.
inline constexpr wchar_t kDownloadDuration[] = L"ad_download_duration";
// Every download attempt failed (with analytics kDownloadError): failure_reason = "0_0".
inline constexpr wchar_t kDownloadFail[] = L"download_fail";
// Installation failed (with analytics kInstallError): failure_reason =
// package_error_<code> | timeout | failed | other | errorcode_<code>.
inline constexpr wchar_t kInstallFail[] = L"ad_install_fail";
// The package reported success (with analytics kInstallSucess). No own properties.
inline constexpr wchar_t kInstallSuccess[] = L"ad_install_success";
// Right after kInstallSuccess: duration since the package was started.
inline constexpr wchar_t kDownloaderFullDuration[] = L"ad_downloader_full_duration";
// The run was cancelled: ext_field = xp | system32 | notDownload (with analytics
// kUseCancel) | the slow-download box's progress text.
inline constexpr wchar_t kCancelDownload[] = L"ad_cancel_download";
// The after-installation web page was opened. No own properties.
inline constexpr wchar_t kJumpToWeb[] = L"jump_to_web";
// Partner offer window shown / accepted / rejected / closed (with analytics
// kIronShow / kIronAccept / kIronReject / kIronClose). No own properties.
inline constexpr wchar_t kAdShow[] = L"ad_show";
inline constexpr wchar_t kAdAccept[] = L"ad_accept";
inline constexpr wchar_t kAdReject[] = L"ad_reject";
inline constexpr wchar_t kBundleAdWithdrawal[] = L"bundle_ad_withdrawal";

}  // namespace report

// Analytics channel: GoogleAnalytics::sendEvent (through CAppModel::trackEvent),
// labelled with the open id unless noted.
namespace analytics {

inline constexpr wchar_t kRun[] = L"ad_run";
// The user pressed Accept / Reject on the main window's offer consent page.
inline constexpr wchar_t kAcceptDo[] = L"ad_accept_do";
inline constexpr wchar_t kRejectDo[] = L"ad_reject_do";
inline constexpr wchar_t kDownloadSucess[] = L"ad_download_sucess";
inline constexpr wchar_t kDownloadError[] = L"ad_download_error";
// Label: openid alone (package reported an error), or openid + "_" + one of the
// install-error label texts below.
inline constexpr wchar_t kInstallError[] = L"ad_installError";
inline constexpr wchar_t kInstallSucess[] = L"ad_installSucess";
// Sent at once on the UI thread (GoogleAnalytics::sendEventNow) from the exit box.
inline constexpr wchar_t kUseCancel[] = L"ad_useCancel";
inline constexpr wchar_t kIronShow[] = L"ad_iron_show";
inline constexpr wchar_t kIronAccept[] = L"ad_iron_accept";
inline constexpr wchar_t kIronReject[] = L"ad_iron_reject";
inline constexpr wchar_t kIronClose[] = L"ad_iron_close";

// Label texts after openid + "_" for kInstallError.
inline constexpr wchar_t kErrCreateProcessPrefix[] = L"errCreateProcess_";  // + unsigned code
inline constexpr wchar_t kErrWaitTimeout[] = L"errWaitTimeout";
inline constexpr wchar_t kErrWaitFailed[] = L"errWaitFailed";
inline constexpr wchar_t kErrUnknown[] = L"errUnknown";

}  // namespace analytics

// Own properties of reporter events (JSON member names) and their fixed texts.
namespace property {

inline constexpr char kExtField[] = "ext_field";
inline constexpr char kFailureReason[] = "failure_reason";
inline constexpr char kDuration[] = "duration";  // milliseconds, JSON integer

// ext_field of kCancelDownload.
inline constexpr wchar_t kCancelXp[] = L"xp";
inline constexpr wchar_t kCancelSystem32[] = L"system32";
inline constexpr wchar_t kCancelNotDownload[] = L"notDownload";
// Slow-download box: progress "_" seconds, then one of each pair.
inline constexpr wchar_t kCancelSpareSuffix[] = L"_res";
inline constexpr wchar_t kCancelPrimarySuffix[] = L"_aws";
inline constexpr wchar_t kCancelIeSuffix[] = L"_IE";
inline constexpr wchar_t kCancelCurlSuffix[] = L"_Curl";

// ext_field of kDownloadSuccess, and the start of kDownloadDuration's.
inline constexpr wchar_t kSourceSpare[] = L"res";
inline constexpr wchar_t kSourcePrimary[] = L"aws";
// End of kDownloadDuration's ext_field, after "res_" or "aws_".
inline constexpr wchar_t kMethodIe[] = L"ie";
inline constexpr wchar_t kMethodCurl[] = L"curl";

// failure_reason of kDownloadFail and kInstallFail.
inline constexpr wchar_t kDownloadFailReason[] = L"0_0";
inline constexpr wchar_t kPackageErrorPrefix[] = L"package_error_";  // + unsigned code
inline constexpr wchar_t kInstallTimeout[] = L"timeout";
inline constexpr wchar_t kInstallWaitFailed[] = L"failed";
inline constexpr wchar_t kInstallOther[] = L"other";
inline constexpr wchar_t kErrorCodePrefix[] = L"errorcode_";  // + signed code

}  // namespace property

}  // namespace events
