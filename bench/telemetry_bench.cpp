// Cost of the telemetry's own work: digests, batch bodies with their
// signature, analytics bodies, and queueing an event. When the telemetry test
// server runs (with_servers.py tests/servers/telemetry_server.py -- ...), also
// the time of one batch post and one analytics post over loopback.
#include <curl/curl.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "net/curl_downloader.h"
#include "report/analytics_request.h"
#include "report/md5.h"
#include "report/report_batch.h"
#include "report/reporter.h"
#include "tests/support/test_support.h"
#include "utility/text.h"

namespace {

using Clock = std::chrono::steady_clock;

double microsecondsPer(int rounds, const std::function<void()>& work) {
  auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) work();
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
}

std::list<ReportEvent> sampleEvents(int count) {
  std::list<ReportEvent> events;
  for (int i = 0; i < count; ++i)
    events.push_back({L"ad_download_duration", reportEventTimeMs(),
                      reportProperties({{"duration", 1000 + i}, {"ext_field", L"aws_curl"}})});
  return events;
}

const ReportIdentity kIdentity{L"100", L"2-95a423162502a2679fca05f9c84a6dbb", L"en"};

void loopbackPosts() {
  int reportPort = testing_support::testServerPort("REPORT");
  int analyticsPort = testing_support::testServerPort("ANALYTICS");
  if (!reportPort || !analyticsPort) {
    printf("loopback posts: skipped (no telemetry server)\n");
    return;
  }
  curl_global_init(CURL_GLOBAL_ALL);
  const std::string reportUrl =
      "http://127.0.0.1:" + std::to_string(reportPort) + "/collection/biz/upload";
  for (int count : {1, 100}) {
    const std::string body = buildReportBody(sampleEvents(count), kIdentity);
    double us = microsecondsPer(20, [&] {
      std::vector<std::string> headers;
      signReportBatch(reportRequestTimeMs(), count, headers);
      std::string response;
      CCurlDownloader::postRequest(reportUrl, body, headers, response);
    });
    printf("batch post, %3d events:        %8.2f ms\n", count, us / 1000);
  }
  const std::string collectUrl = utility::wideToAnsi(
      analyticsUrl(L"http://127.0.0.1:" + std::to_wstring(analyticsPort) + L"/mp/collect",
                   L"G-J50CE9UVW5", L"6ilI8ihN5KXSc7Tvo_hBKq"));
  double us = microsecondsPer(50, [&] {
    std::string response;
    CCurlDownloader::postRequest(collectUrl, buildAnalyticsBody("2-ab", L"ad_run", L"100"), {},
                                 response);
  });
  printf("analytics post:                %8.2f ms (%.0f events/s one by one)\n", us / 1000,
         1e6 / us);
  curl_global_cleanup();
}

}  // namespace

int main() {
  const std::string input = "quandrel*timestamp=17000000001232048";
  std::string digest;
  printf("md5Hex, 36 bytes:              %8.2f us\n",
         microsecondsPer(2000, [&] { md5Hex(input.data(), (int)input.size(), digest); }));

  for (int count : {1, 10, 100}) {
    const auto events = sampleEvents(count);
    size_t bytes = 0;
    double us = microsecondsPer(200, [&] {
      std::string body = buildReportBody(events, kIdentity);
      std::vector<std::string> headers;
      signReportBatch(reportRequestTimeMs(), count, headers);
      bytes = body.size();
    });
    printf("batch body + signature, %3d:   %8.2f us (%zu bytes)\n", count, us, bytes);
  }

  printf("analytics body:                %8.2f us\n", microsecondsPer(5000, [] {
           buildAnalyticsBody("2-95a423162502a2679fca05f9c84a6dbb", L"ad_installError",
                              L"100_errCreateProcess_2");
         }));

  // Queueing only: no worker runs, so the list just grows.
  for (int threads : {1, 4}) {
    CReporter reporter;
    const int perThread = 20000;
    auto start = Clock::now();
    std::vector<std::thread> producers;
    for (int t = 0; t < threads; ++t)
      producers.emplace_back([&] {
        for (int i = 0; i < perThread; ++i)
          reporter.addEvent(L"ad_show", reportProperties({{"ext_field", L"x"}}));
      });
    for (auto& producer : producers) producer.join();
    double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                (threads * (double)perThread);
    printf("addEvent, %d thread(s):         %8.0f ns per event\n", threads, ns);
  }

  loopbackPosts();
  return 0;
}
