#include "report/google_analytics.h"

#include <condition_variable>
#include <list>
#include <mutex>
#include <system_error>

#include "net/curl_downloader.h"
#include "report/analytics_request.h"
#include "utility/log.h"
#include "utility/text.h"
#include "utility/usystem.h"
#include "vorlane_hosts.h"

struct GoogleAnalytics::Task {
  std::wstring category;  // accepted and not sent
  std::wstring eventName;
  std::wstring label;
};

// Shared by the client and its worker, so that a worker still posting when
// the client goes never touches freed memory.
struct GoogleAnalytics::Shared {
  explicit Shared(AnalyticsOptions options) : options(std::move(options)) {}

  const AnalyticsOptions options;
  std::condition_variable wake;
  std::mutex mutex;  // guards every field below
  std::list<Task> tasks;
  bool stop = false;
  bool busy = false;  // a post is running on the worker
  std::string pcid;   // ANSI code page; empty until worked out
  std::wstring measurementId;
  std::wstring apiSecret;
};

std::wstring AnalyticsOptions::defaultEndpoint() {
  return std::wstring(hosts::kAnalytics) + L"/mp/collect";
}

GoogleAnalytics::GoogleAnalytics(AnalyticsOptions options)
    : shared_(std::make_shared<Shared>(std::move(options))) {}

GoogleAnalytics::~GoogleAnalytics() {
  bool postRunning;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->stop = true;  // a busy worker ends after its post instead of waiting forever
    postRunning = shared_->busy;
  }
  shared_->wake.notify_all();
  if (!worker_.joinable()) return;
  if (postRunning)
    worker_.detach();
  else
    worker_.join();
}

void GoogleAnalytics::init(const std::wstring& measurementId, const std::wstring& apiSecret) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->measurementId = measurementId;
  shared_->apiSecret = apiSecret;
}

std::wstring GoogleAnalytics::pcid() {
  calcPCID();
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return utility::ansiToWide(shared_->pcid);
}

void GoogleAnalytics::calcPCID() { calcPCID(*shared_); }

void GoogleAnalytics::calcPCID(Shared& shared) {
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    if (!shared.pcid.empty()) return;
  }
  const PcidStore& store = shared.options.store;
  std::string id = readRegistryPcid(store.registryKey);
  if (!id.empty()) {
    LOG(L"read pcmac from pc %s", utility::ansiToWide(id).c_str());
  } else {
    std::wstring fromFile = readDataFilePcid(store.dataFilePath());
    LOG(L"read from nuvaro %s", fromFile.c_str());
    id = utility::wideToAnsi(fromFile);
    if (id.empty()) {
      id = macIdFromAddresses(adapterMacAddresses());
      if (id.empty()) id = utility::wideToAnsi(utility::usystem::newGuidString());
      LOG(L"create pcmac %s", utility::ansiToWide(id).c_str());
      if (id.empty()) return;  // the next call tries again
    }
    LONG status = saveRegistryPcid(store.registryKey, id);
    // The registry returns its error as the status rather than through GetLastError.
    if (status != ERROR_SUCCESS) LOG(L"save rcmac error %d", (int)status);
  }
  std::lock_guard<std::mutex> lock(shared.mutex);
  shared.pcid = id;
}

void GoogleAnalytics::sendEvent(std::wstring eventName, std::wstring label) {
  if (closed) return;
  enqueue(L"ui", eventName, label);
}

void GoogleAnalytics::sendEventNow(std::wstring eventName, std::wstring label) {
  if (closed) return;
  postEvent(*shared_, L"ui", eventName, label);
}

void GoogleAnalytics::enqueue(const std::wstring& category, const std::wstring& eventName,
                              const std::wstring& label) {
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->tasks.size() >= kMaxWaitingTasks) return;
    shared_->tasks.push_back({category, eventName, label});
    // Started here, under the lock, so two first events never start two workers.
    if (!worker_.joinable()) {
      try {
        worker_ = std::thread(&GoogleAnalytics::workerLoop, shared_);
      } catch (const std::system_error&) {
        // No thread now: the task waits and the next event tries again.
      }
    }
  }
  shared_->wake.notify_one();
}

void GoogleAnalytics::workerLoop(std::shared_ptr<Shared> shared) {
  for (;;) {
    calcPCID(*shared);  // nothing to do once the id is known
    Task task;
    {
      std::unique_lock<std::mutex> lock(shared->mutex);
      shared->wake.wait(lock, [&] { return shared->stop || !shared->tasks.empty(); });
      if (shared->stop) return;
      task = std::move(shared->tasks.front());
      shared->tasks.pop_front();
      shared->busy = true;
    }
    postEvent(*shared, task.category, task.eventName, task.label);
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->busy = false;
  }
}

void GoogleAnalytics::postEvent(Shared& shared, const std::wstring&, const std::wstring& eventName,
                                const std::wstring& label) {
  std::string clientId;
  std::wstring url;
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    clientId = shared.pcid;
    url = analyticsUrl(shared.options.endpoint, shared.measurementId, shared.apiSecret);
  }
  std::string response;  // neither the response nor the result matters
  CCurlDownloader::postRequest(utility::wideToAnsi(url),
                               buildAnalyticsBody(clientId, eventName, label), {}, response);
}
