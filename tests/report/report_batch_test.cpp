#include "report/report_batch.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// The body with every event id and event time replaced by a marker, so the
// rest can be compared byte for byte.
std::string withoutIdsAndTimes(const std::string& body) {
  std::string text =
      std::regex_replace(body, std::regex(R"("eventId": "[^"]*")"), R"("eventId": "<id>")");
  return std::regex_replace(text, std::regex(R"("timestamp": \d+)"), R"("timestamp": <ms>)");
}

const ReportIdentity kIdentity{L"100", L"2-95a423162502a2679fca05f9c84a6dbb", L"en"};

}  // namespace

TEST(ReportBatch, EventsBecomeOnePrettyArrayOldestFirst) {
  std::list<ReportEvent> events;
  events.push_back({L"ad_download_duration", 1700000000000,
                    reportProperties({{"duration", 5321}, {"ext_field", L"aws_curl"}})});
  events.push_back({L"ad_run_downloader", 1700000001000, {}});
  const std::string body = buildReportBody(events, kIdentity);

  EXPECT_EQ(withoutIdsAndTimes(body),
            "[\n"
            "    {\n"
            "        \"appId\": 1,\n"
            "        \"eventId\": \"<id>\",\n"
            "        \"eventKey\": \"ad_download_duration\",\n"
            "        \"timestamp\": <ms>,\n"
            "        \"properties\": {\n"
            "            \"mnq_version\": \"5.21\",\n"
            "            \"mnq_mac\": \"2-95a423162502a2679fca05f9c84a6dbb\",\n"
            "            \"device_id\": \"2-95a423162502a2679fca05f9c84a6dbb\",\n"
            "            \"openid\": \"100\",\n"
            "            \"language\": \"en\",\n"
            "            \"downloader_package\": 1,\n"
            "            \"duration\": 5321,\n"
            "            \"ext_field\": \"aws_curl\"\n"
            "        }\n"
            "    },\n"
            "    {\n"
            "        \"appId\": 1,\n"
            "        \"eventId\": \"<id>\",\n"
            "        \"eventKey\": \"ad_run_downloader\",\n"
            "        \"timestamp\": <ms>,\n"
            "        \"properties\": {\n"
            "            \"mnq_version\": \"5.21\",\n"
            "            \"mnq_mac\": \"2-95a423162502a2679fca05f9c84a6dbb\",\n"
            "            \"device_id\": \"2-95a423162502a2679fca05f9c84a6dbb\",\n"
            "            \"openid\": \"100\",\n"
            "            \"language\": \"en\",\n"
            "            \"downloader_package\": 1\n"
            "        }\n"
            "    }\n"
            "]");
  // Event times as given; a new event id for each event.
  EXPECT_NE(body.find("\"timestamp\": 1700000000000,"), std::string::npos);
  EXPECT_NE(body.find("\"timestamp\": 1700000001000,"), std::string::npos);
  std::smatch first, second;
  const std::regex id(
      R"re("eventId": "([0-9A-F]{8}_[0-9A-F]{4}_[0-9a-f]{4}_[0-9A-F]{4}_[0-9A-F]{12})")re");
  ASSERT_TRUE(std::regex_search(body, first, id));
  std::string rest = first.suffix();
  ASSERT_TRUE(std::regex_search(rest, second, id));
  EXPECT_NE(first[1], second[1]);
}

TEST(ReportBatch, NoEventsGiveTheEmptyArray) { EXPECT_EQ(buildReportBody({}, kIdentity), "[]"); }

TEST(ReportBatch, SignatureCoversRequestTimeAndBatchSize) {
  // Digests of "quandrel*timestamp=<ms><count x 1024>", worked out independently.
  struct Case {
    int64_t requestTimeMs;
    int count;
    const char* signature;
  } cases[] = {
      {1700000000123, 2, "3c389683"},  // ...17000000001232048
      {1700000000999, 1, "5553ef3b"},  // ...17000000009991024
      {1733812345000, 5, "a0fa1c31"},  // ...17338123450005120
  };
  for (const auto& c : cases) {
    std::vector<std::string> headers;
    ASSERT_TRUE(signReportBatch(c.requestTimeMs, c.count, headers));
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[0], "timestamp: " + std::to_string(c.requestTimeMs));
    EXPECT_EQ(headers[1], std::string("signature: ") + c.signature);
  }
}

TEST(ReportBatch, EventTimesAreWholeSecondsRequestTimesCarryMilliseconds) {
  int64_t before = reportEventTimeMs();
  int64_t request = reportRequestTimeMs();
  int64_t after = reportEventTimeMs();
  EXPECT_EQ(before % 1000, 0);
  EXPECT_GE(request, before);
  EXPECT_LT(request, after + 1000);
  EXPECT_GT(before, 1700000000000);  // a calendar time, not a tick count
}
