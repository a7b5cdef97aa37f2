// The application model: the run's parameters (from the installer's file name,
// the registry and the drives), and the download and installation it drives on
// worker threads. The window learns of progress through callbacks that the
// model always invokes on the UI thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/package_signature.h"
#include "net/http_downloader.h"
#include "net/partial_file.h"
#include "net/resumable_download.h"
#include "report/google_analytics.h"
#include "utility/file_handle.h"
#include "utility/private_folder.h"
#include "utility/tthread.h"
#include "utility/ui_dispatcher.h"

class ConfigImp;
class CReporter;
struct StartParameters;

// What the window is told, always on the UI thread.
struct ModelCallbacks {
  std::function<void(int percent, int received, int total)> progress;
  std::function<void(int percent)> percent;
  std::function<void()> downloadDone;
  std::function<void()> downloadFailed;
  std::function<void(bool success)> installFinished;
  // The download waits for the connection (a source's retry) or the network
  // (every source failed for want of one); the next progress report ends it.
  std::function<void()> reconnecting;
  // The source in use failed (after the whole file, perhaps: it was refused);
  // the next one's progress follows.
  std::function<void()> sourceFailed;
};

// The model's collaborators and limits; the product uses the defaults, tests
// pass their own endpoints, registry places and shorter waits.
struct ModelOptions {
  ConfigImp* config = nullptr;      // null: ConfigImp::instance()
  CReporter* reporter = nullptr;    // null: CReporter::instance()
  AnalyticsOptions analytics;
  utility::PackageSigner packageSigner;  // no name: the product's publisher
  DWORD packageWaitMs = 600000;     // how long the package may run
  DownloadLimits downloadLimits;    // stall limit and waits of both download methods
  // Where the unfinished download is kept for the next run; empty: the
  // user's temp folder, or the system's when that one is refused.
  std::wstring keptDownloadParent;
  UINT retryTickMs = 1000;          // the wait-for-addresses tick
  std::wstring modulePath;          // empty: this program's own file
};

class CAppModel : public utility::CHttpDownloader::IHttpDownloadSink {
 public:
  // The model of the process, created on first use and never destroyed.
  static CAppModel& instance();
  explicit CAppModel(ModelOptions options = {});
  CAppModel(const CAppModel&) = delete;
  CAppModel& operator=(const CAppModel&) = delete;

  // Start-up, UI thread, once: file-name parameters, languages, analytics ids,
  // the installation folder, then the reporter. The command line is not used.
  void init(const wchar_t* commandLine, HINSTANCE instance);
  // True when another copy runs (it has been asked to show itself); otherwise
  // this copy holds the single-instance mutex until it ends.
  bool popupExistPwnd();
  // The installation folder: the registry's "InstallDir", else the best drive.
  void _calcInstallPath();
  // Works folder and addresses out again after the variant changed.
  void reloadPlayerConfig();
  // An analytics event, queued.
  void trackEvent(const std::wstring& eventName, const std::wstring& label);

  // Package download (UI thread): starts the worker, or waits for addresses.
  void startDownloadPlayer();
  // Installation (UI thread): runs the package on a task of its own; false,
  // with nothing run, when no thread can be made.
  friend bool runInstallTask(CAppModel& model);
  // Starts the installed emulator, with the package name when there is one.
  void startPlayer();
  void runPlayer(const std::wstring& parameters);
  // Ends the emulator's processes, and those they started, before the
  // package installs.
  void killPlayerProcesses();
  // Starts the package and waits for it; false when it could not start (an
  // empty path: there is no checked package) or did not end within the wait.
  // The checked package file is let go once the process has been created.
  bool runPackage(const std::wstring& path, const std::wstring& switches);
  // The private folder the package is downloaded into, checked and run from,
  // with a closing back-slash; empty before the download and once the package
  // has ended.
  const std::wstring& packageFolder() const { return packageFolder_.path(); }
  // What the package folders' names begin with (followed by a GUID).
  static constexpr wchar_t kPackageFolderPrefix[] = L"Package_";
  // The folder that keeps an unfinished download for the next run, and its
  // files: the bytes and their record (net/partial_record.h).
  static constexpr wchar_t kKeptDownloadFolder[] = L"PackageDownload";
  static constexpr wchar_t kKeptBytesName[] = L"package.partial";
  static constexpr wchar_t kKeptRecordName[] = L"package.record";
  // The kept folder is removed once a run installs: this many days unused,
  // the leftovers clean-up removes it (app_impl.cpp).
  static constexpr int kKeptDownloadDays = 14;

  // Whether a result message of the package counts (UI thread): only while
  // the package runs, and only its first one; any process may post to the
  // installer's window. True at most once per run of the package.
  bool takePackageResult();
  // The package's result messages, handled on the UI thread once taken: the
  // events of each outcome and an immediate report (the caller logs the message).
  void onInstallError(int code);
  void onInstallSuccess();

  void setCallbacks(ModelCallbacks callbacks) { callbacks_ = std::move(callbacks); }
  const ModelCallbacks& callbacks() const { return callbacks_; }
  std::wstring getOpenId() const { return m_openId; }
  std::wstring getLocale() const { return m_locale; }
  std::wstring getInstallDir() const { return m_installDir; }
  GoogleAnalytics& analytics() { return m_analytics; }

  // WinINet progress, on the download thread; always goes on.
  bool onProgress(const char* data, int count, int received, int total) override;
  // Either method waits for the connection, on the download thread.
  void onReconnecting() override;

  utility::CHttpDownloader m_netDownloader;
  TThread m_downloadThread;
  HANDLE m_mutex = nullptr;
  std::wstring m_installDir;
  bool m_playerExist = false;
  std::wstring m_openId = L"100";
  std::wstring m_url;
  std::wstring m_language;
  std::wstring m_locale;
  std::wstring m_package;
  utility::UiTimer m_retryTimer;
  DWORD m_installStartTick = 0;
  DWORD m_downloadStartTick = 0;
  DWORD m_lastProgressTick = 0;
  int m_percent = 0;
  HINSTANCE m_hInstance = nullptr;
  GoogleAnalytics m_analytics;
  std::wstring m_defaultInstallDir;
  bool m_defaultDriveIsSsd = false;
  std::wstring m_spareUrl;

 private:
  // What one libcurl source gave.
  enum class CurlSource { failed, offline, tooSmall, refused, accepted };

  void _threadDownloadPlayer();
  // The two WinINet sources.
  SourceEnd _downloadByNet(const std::wstring& packagePath, PartialFile& partial);
  // One WinINet source: into the partial file, onto the package name, checked.
  SourceEnd _downloadByNetFrom(const std::wstring& url, PartialFile& partial,
                               const std::wstring& packagePath);
  CurlSource _downloadByCurl(const std::wstring& packagePath, const std::wstring& url,
                             PartialFile& partial);
  // The finished partial file moved onto the package name; false (and
  // nothing under the package name) when it cannot be moved or, with
  // `minBytes`, is not larger than that.
  bool _takeDownloaded(PartialFile& partial, const std::wstring& packagePath, uint64_t minBytes);
  // A source that did not bring the file: what it has is kept (for the
  // sources after it and the next run), and the window told. Bytes a bad
  // answer proved wrong are gone already: a changed file replaced them, a
  // refused one was deleted.
  void _leaveSource(PartialFile& partial);
  // After every source failed for want of a connection: waits until a host
  // answers again (true) or the network wait, counted from `since`, is over.
  bool _waitForNetwork(DWORD since);
  // The file the download writes: kept for the next run where it can be.
  std::unique_ptr<PartialFile> _openPartial(const std::wstring& packagePath);
  // The installation succeeded: the kept download has served (UI thread).
  void _forgetKeptDownload() { keptFolder_.remove(); }
  bool _acceptPackage(const std::wstring& path);
  void _threadInsPlayer();
  // Makes the package's private folder; the package's path in it, or empty.
  std::wstring _makePackageFolder();
  void _applyStartParameters(const StartParameters& parameters);
  void _retryTick();
  void _reportDownloadOutcome(bool ok);
  void _reportInstallFailure(const std::wstring& labelSuffix, const std::wstring& reason);
  // Runs `work` on the UI thread under this model's owner key.
  template <typename F>
  void postToWindow(F work);

  ModelOptions options_;
  ConfigImp* config_;
  CReporter* reporter_;
  ModelCallbacks callbacks_;
  const uint32_t m_postKey;
  // The package's own folder, which only administrators can change, and the
  // package file that passed its check there, held open from the check until
  // the package's process exists, so that nobody can write, rename or delete
  // it in between. Both are used by the download worker, then by the install
  // task, which starts the package by the held file's final path and removes
  // the folder once the package has ended.
  utility::PrivateFolder packageFolder_{kPackageFolderPrefix};
  utility::FileHandle checkedPackage_;
  // The folder that keeps the unfinished download (download worker; removed
  // on the UI thread once the installation succeeded).
  utility::PrivateFolder keptFolder_{L""};
  // The package runs and has not yet posted its result. UI thread only: the
  // install task posts the changes, so they come in order with the package's
  // own messages.
  bool awaitingPackageResult_ = false;
  // The package said it failed during this run of it (UI thread, as above).
  bool packageReportedFailure_ = false;
};

bool runInstallTask(CAppModel& model);

template <typename F>
void CAppModel::postToWindow(F work) {
  Runable* runnable = makeRunable(std::move(work));
  auto* dispatcher = utility::UiDispatcher::instance();
  if (!dispatcher || !dispatcher->post(m_postKey, runnable)) runnable->release();
}
