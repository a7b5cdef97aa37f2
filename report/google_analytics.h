// The analytics channel (Measurement Protocol) and the owner of the PC id.
// Events are queued by any thread and posted one at a time, in order, by a
// worker that starts with the first event; one event may instead be posted at
// once on the calling thread. A failed post is not retried.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "report/pc_id.h"

struct AnalyticsOptions {
  // Scheme, host and path of the collection endpoint, without the query.
  std::wstring endpoint = defaultEndpoint();
  // Where the PC id is read from and saved to.
  PcidStore store;

  static std::wstring defaultEndpoint();
};

class GoogleAnalytics {
 public:
  // Events waiting beyond this many are dropped without a log line.
  static constexpr size_t kMaxWaitingTasks = 100;

  explicit GoogleAnalytics(AnalyticsOptions options = {});
  // Stops the worker and waits for it, unless it is in the middle of a post:
  // then it is left to end by itself after that post.
  ~GoogleAnalytics();
  GoogleAnalytics(const GoogleAnalytics&) = delete;
  GoogleAnalytics& operator=(const GoogleAnalytics&) = delete;

  // Keeps the property's measurement id ("G-" + 10) and API secret (22). Once,
  // on the UI thread, before any event.
  void init(const std::wstring& measurementId, const std::wstring& apiSecret);
  // Works the PC id out when it is not known yet and returns it.
  std::wstring pcid();
  // Fills the PC id when it is empty: registry value, data file, MAC addresses,
  // a new GUID, in that order; an id not read from the registry is saved there.
  void calcPCID();
  // Queues the event with the label; nothing once closed.
  void sendEvent(std::wstring eventName, std::wstring label);
  // Posts the event on the calling thread and returns after the post; nothing
  // once closed. Uses the PC id as it stands.
  void sendEventNow(std::wstring eventName, std::wstring label);

  // Set by the application's end: from then on both send operations return at
  // once (events already queued are still posted). Any thread.
  std::atomic<bool> closed{false};

 private:
  struct Shared;  // everything the worker uses; it holds its own reference
  struct Task;

  void enqueue(const std::wstring& category, const std::wstring& eventName,
               const std::wstring& label);
  static void workerLoop(std::shared_ptr<Shared> shared);
  static void calcPCID(Shared& shared);
  static void postEvent(Shared& shared, const std::wstring& category, const std::wstring& eventName,
                        const std::wstring& label);

  std::shared_ptr<Shared> shared_;
  std::thread worker_;  // started with the first event, under the queue's mutex
};
