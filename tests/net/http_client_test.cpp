#include "net/http_client.h"

#include <gtest/gtest.h>

#include "tests/net/net_test_support.h"
#include "utility/text.h"

using utility::CHttpClient;

namespace {

// Writes each event as a short text; keeps the body.
class RecordingSink : public CHttpClient::IHttpClientSink {
 public:
  void onHttpError(int step, int error) override {
    events.push_back("error " + std::to_string(step) + " " + std::to_string(error));
  }
  bool onHttpRecvHeader(int contentLength, int status) override {
    events.push_back("header " + std::to_string(contentLength) + " " + std::to_string(status));
    return readBody;
  }
  bool onHttpRecvData(const char* data, int count) override {
    largestPiece = std::max(largestPiece, count);
    body.append(data, count);
    return true;
  }
  void onHttpComplete() override { events.push_back("complete"); }

  bool readBody = true;
  std::vector<std::string> events;
  std::string body;
  int largestPiece = 0;
};

}  // namespace

TEST(HttpClientOpen, SplitsTheUrlWithoutTouchingTheNetwork) {
  struct Case {
    std::wstring url;
    std::wstring host;
    INTERNET_PORT port;
    std::wstring path;
    bool secure;
  } cases[] = {
      {L"http://127.0.0.1:8080/a/b.exe?x=1&y=two", L"127.0.0.1", 8080, L"/a/b.exe?x=1&y=two",
       false},
      {L"https://cdn.example.com/pkg/Vorlane.exe", L"cdn.example.com", 443, L"/pkg/Vorlane.exe",
       true},
      {L"HTTPS://cdn.example.com/p", L"cdn.example.com", 443, L"/p", true},
      {L"hTtPs://cdn.example.com:8443/p", L"cdn.example.com", 8443, L"/p", true},
      {L"http://example.com", L"example.com", 80, L"", false},
  };
  for (const auto& c : cases) {
    CHttpClient client;
    RecordingSink sink;
    ASSERT_TRUE(client.open(c.url, L"", &sink)) << utility::wideToUtf8(c.url);
    EXPECT_EQ(client.host(), c.host);
    EXPECT_EQ(client.port(), c.port);
    EXPECT_EQ(client.path(), c.path);
    EXPECT_EQ(client.secure(), c.secure);
    EXPECT_TRUE(sink.events.empty());
  }
}

TEST(HttpClientRequest, EventsPerResponse) {
  const std::string body = net_test::packageBytes(200000);
  struct Case {
    std::wstring url;
    std::vector<std::string> events;
    std::string body;
  } cases[] = {
      {net_test::wideUrl("/package/200000"), {"header 200000 200", "complete"}, body},
      {net_test::wideUrl("/package/200000?nolength=1"), {"header -1 200", "complete"}, body},
      {net_test::wideUrl("/package/200000?chunked=1"), {"header -1 200", "complete"}, body},
      // The client hands every status on; the sink decides.
      {net_test::wideUrl("/status/404"), {"header 16 404", "complete"}, "status page 404\n"},
      {net_test::wideUrl("/redirect/3/package/200000"), {"header 200000 200", "complete"}, body},
      // Ends early: a broken body, not a complete one.
      {net_test::wideUrl("/package/200000?cut=100000"),
       {"header 200000 200"},
       body.substr(0, 100000)},
      {L"no url at all", {"error 1 12006"}, ""},
      {utility::utf8ToWide(net_test::closedUrl("/package/1")), {"error 6 12029"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utility::wideToUtf8(c.url));
    CHttpClient client;
    RecordingSink sink;
    bool ok = client.open(c.url, L"", &sink) && client.request();
    EXPECT_EQ(ok, c.events.back() == "complete");
    EXPECT_EQ(sink.events, c.events);
    EXPECT_TRUE(sink.body == c.body) << sink.body.size() << " bytes";
    EXPECT_LE(sink.largestPiece, 0x8000);
  }
}

TEST(HttpClientRequest, RefusedHeadEndsWithoutBody) {
  CHttpClient client;
  RecordingSink sink;
  sink.readBody = false;
  ASSERT_TRUE(client.open(net_test::wideUrl("/package/5000"), L"", &sink));
  EXPECT_FALSE(client.request());
  EXPECT_EQ(sink.events, (std::vector<std::string>{"header 5000 200"}));
  EXPECT_TRUE(sink.body.empty());
}

// Wine behaves as Windows here: the flags that accept a wrong host name or date do
// not cover an unknown authority (12045). Test builds accept one, to reach the
// loopback HTTPS host (VORLANE_TEST_TLS_RELAXED); a shipped build never does.
// Either way a scheme in any letter case asks for TLS.
TEST(HttpClientRequest, SelfSignedServerIsRefusedUnlessRelaxedForTests) {
  if (net_test::tlsUrl("").empty()) GTEST_SKIP() << "no TLS port (openssl missing)";
#ifdef VORLANE_TEST_TLS_RELAXED
  const std::vector<std::string> expected = {"header 10 200", "complete"};
#else
  const std::vector<std::string> expected = {"error 6 12045"};
#endif
  for (const char* scheme : {"https", "HTTPS"}) {
    std::wstring url = utility::utf8ToWide(scheme + net_test::tlsUrl("/package/10").substr(5));
    SCOPED_TRACE(utility::wideToUtf8(url));
    CHttpClient client;
    RecordingSink sink;
    ASSERT_TRUE(client.open(url, L"", &sink));
    EXPECT_EQ(client.request(), expected.size() == 2);
    EXPECT_EQ(sink.events, expected);
  }
}

// A handle closed between open and request (as stop() does) fails the connect step.
TEST(HttpClientRequest, ClosedHandleFailsAtTheConnectStep) {
  CHttpClient client;
  RecordingSink sink;
  ASSERT_TRUE(client.open(net_test::wideUrl("/package/10"), L"", &sink));
  client.closeInternet();
  EXPECT_FALSE(client.request());
  ASSERT_EQ(sink.events.size(), 1u);
  EXPECT_EQ(sink.events[0].rfind("error 2 ", 0), 0u) << sink.events[0];
}
