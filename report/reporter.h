// Sends the installer's usage events to the maker's collection endpoint. Any
// thread queues events; one worker wakes every cycle (or on notify), takes
// everything queued and posts it as one signed batch. The queue lives in memory
// only: what is not posted before the process ends is lost, and a batch whose
// post (and its one retry) fails is not queued again.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "report/report_batch.h"
#include "utility/tthread.h"

struct ReporterOptions {
  // Full address of the collection endpoint (ANSI code page).
  std::string url = defaultUrl();
  // Longest wait between two passes of the worker.
  DWORD cycleMs = 20000;

  static std::string defaultUrl();
};

// Waits for `wake` to be signalled or `cycleMs` to pass. Without an event the
// whole cycle is waited all the same, in short steps that end once `quit` is set.
void waitForReportCycle(HANDLE wake, DWORD cycleMs, const std::atomic<bool>& quit);

class CReporter {
 public:
  static constexpr DWORD kRetryDelayMs = 100;
  static constexpr DWORD kShutdownLimitMs = 8000;

  // The reporter of the process, created on first use and never destroyed. Its
  // worker posts to the product's endpoint every 20 seconds.
  static CReporter& instance();

  explicit CReporter(ReporterOptions options = {});
  // Stops a worker that shutdown() did not stop, with the same limit.
  ~CReporter();
  CReporter(const CReporter&) = delete;
  CReporter& operator=(const CReporter&) = delete;

  // Events are dropped while `dropEvents` says so (the product: while variant
  // 4.0 is selected); without a rule every event is kept. Once, at start, on
  // the UI thread, before any event and before the worker runs.
  void setDropRule(std::function<bool()> dropEvents) { dropEvents_ = std::move(dropEvents); }
  // Keeps who reports and starts the worker. Once, on the UI thread.
  void init(const std::wstring& openid, const std::wstring& deviceId, const std::wstring& language);
  // Queues one event; `fill` (may be empty) adds its own properties when the
  // batch is built. Any thread, also before init; never waits for the worker.
  // While the drop rule holds the event is dropped and `fill` never runs.
  void addEvent(const wchar_t* eventName, ReportFill fill = {});
  // Makes the worker post what is queued now rather than at the end of its wait.
  void notify();
  // Lets the worker post its last batch and waits for it at most 8000 ms, then
  // ends it by force. UI thread; events queued afterwards are never sent.
  void shutdown();

 private:
  void _threadReport();
  // Empties the queue into a batch body; `count` gets the number of events.
  std::string _takeBatch(int& count);
  // Posts the batch, once more after 100 ms if that fails; the response of
  // the attempt that got through, or empty.
  std::string _postBatch(const std::string& body, const std::vector<std::string>& headers);

  const ReporterOptions options_;
  std::function<bool()> dropEvents_;
  std::list<ReportEvent> events_;
  TThread worker_;
  CRITICAL_SECTION lock_;
  HANDLE wakeEvent_ = nullptr;
  ReportIdentity identity_;  // written by init before the worker starts
  std::atomic<bool> quit_{false};
};
