// A model wired to loopback servers: the two package hosts of
// tests/servers/package_hosts.py and the telemetry endpoints, with its own
// configuration, reporter and installation folder.
#pragma once
#include <rapidjson/document.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_impl.h"
#include "app/app_model.h"
#include "app/config_imp.h"
#include "app/window_ipc.h"
#include "report/reporter.h"
#include "tests/support/telemetry_endpoint.h"
#include "tests/support/test_support.h"

namespace model_testing {

// Replaces both hosts' scripts; each step is a JSON object text.
void scriptHosts(const std::vector<std::string>& primary, const std::vector<std::string>& spare);
// {"file": "<path>"} for a stand-in package copy, with further members of the
// step (tests/servers/package_hosts.py) such as "\"cut\":4000000".
std::string serveFile(const std::wstring& path, const std::string& modifiers = {});
// The hosts ("primary"/"spare") of the requests so far, oldest first, and
// whether each answer went out whole.
struct HostRequest {
  std::string host;
  bool done;
};
std::vector<HostRequest> hostRequests();
std::vector<std::string> requestedHosts();

// The reporter events that reached the collection endpoint, in order, each as
// its name followed by its own properties in order and with their types:
// "ad_download_duration duration=<int> ext_field=aws_ie".
std::vector<std::string> reportedEvents(const rapidjson::Document& received);
// The analytics event names and labels: "name:label".
std::vector<std::string> analyticsEvents(const rapidjson::Document& received);

// One progress report as the window got it; received and total are -1 for the
// percentage-only reports of libcurl.
struct ProgressReport {
  int percent;
  int received;
  int total;
  DWORD tick;  // when it reached the UI thread
};

// The fixture's waits: before a source's first retry (doubled before each
// later one, up to the cap), how long a source goes without progress (twice
// a stall limit shorter than the product's), and the wait for the network.
inline constexpr DWORD kTestResumeBackoffMs = 50;
inline constexpr DWORD kTestMaxBackoffMs = 400;
inline constexpr DWORD kTestNoProgressMs = 3000;
inline constexpr DWORD kTestNetworkWaitMs = 1500;
// The product's rules with those waits and `stallLimitMs`.
DownloadLimits testLimits(DWORD stallLimitMs = kDownloadStallLimitMs);

class ModelFixture {
 public:
  explicit ModelFixture(DWORD packageWaitMs = 600000,
                        DWORD stallLimitMs = kDownloadStallLimitMs);
  // With the download's own limits, and the kept download in `keptParent`
  // (empty: a folder of the fixture's own).
  ModelFixture(DWORD packageWaitMs, const DownloadLimits& limits,
               const std::wstring& keptParent = L"");
  ~ModelFixture();
  // The kept download's folder (with a closing back-slash) and its record.
  std::wstring keptFolder() const { return keptParent_ + CAppModel::kKeptDownloadFolder + L"\\"; }

  CAppModel& model() { return *model_; }
  ConfigImp& config() { return config_; }
  CReporter& reporter() { return *reporter_; }
  const testing_support::TempDir& dir() const { return dir_; }
  testing_support::TelemetryEndpoint& collection() { return collection_; }
  testing_support::TelemetryEndpoint& analytics() { return analytics_; }

  // Outcomes the callbacks reported.
  int downloadsDone = 0;
  int downloadsFailed = 0;
  int installsFinished = 0;
  bool installOk = false;
  std::vector<ProgressReport> progress;
  int reconnects = 0;  // the download said it waits for the connection
  // Where in `progress` each later source begins (a source failed before it).
  std::vector<size_t> sourceStarts;

 private:
  testing_support::TempDir dir_;
  std::wstring keptParent_;
  testing_support::TelemetryEndpoint collection_{"REPORT"};
  testing_support::TelemetryEndpoint analytics_{"ANALYTICS"};
  ConfigImp config_;
  std::unique_ptr<CReporter> reporter_;
  std::unique_ptr<CAppModel> model_;
};

// What a whole package download did: its outcome, how long it took, the hosts
// asked in order, and the events of both channels.
struct DownloadRun {
  bool ok;
  DWORD elapsedMs;
  std::vector<std::string> hosts;
  std::vector<std::string> reported;
  std::vector<std::string> analytics;
};
// Points the model's package addresses at the two hosts (or at `primaryHost`
// in place of the primary one).
void useTestHosts(ModelFixture& f, const std::wstring& primaryHost = L"");
// Downloads with the model from the two hosts (or from `primaryHost` in place
// of the primary one) and waits for the outcome and its events.
DownloadRun download(ModelFixture& f, const std::wstring& primaryHost = L"");
// The same from two whole addresses.
DownloadRun downloadFrom(ModelFixture& f, const std::wstring& primaryUrl,
                         const std::wstring& spareUrl);

// The installer's IPC window, handing the package's messages to the model as
// the application object does.
class InstallerWindow : public utility::IWindowIPCHandle {
 public:
  explicit InstallerWindow(CAppModel& model) : model_(model) {
    endpoint_.open(kInstanceGuid, this);
  }
  int onHandleWindowIPC(UINT message, WPARAM wParam, LPARAM) override {
    bool result = message == CAppImpl::kInstallError || message == CAppImpl::kInstallSuccess;
    if (!result || !model_.takePackageResult()) return 0;
    if (message == CAppImpl::kInstallError) model_.onInstallError((int)wParam);
    if (message == CAppImpl::kInstallSuccess) model_.onInstallSuccess();
    return 0;
  }
  HWND window() const { return endpoint_.window(); }

 private:
  CAppModel& model_;
  utility::WindowIPC endpoint_;
};

// What the installation reported on both channels, after the download's events.
struct Installed {
  std::vector<std::string> reported;
  std::string firstAnalytics;
};

// Runs the install task, with the package stand-in told `behaviour` (null:
// succeed), and waits for it and for `events` reporter events, which the
// reporter then sends at once.
Installed install(ModelFixture& f, const wchar_t* behaviour, size_t events);

}  // namespace model_testing
