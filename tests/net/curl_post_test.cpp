#include <gtest/gtest.h>

#include "net/curl_downloader.h"
#include "tests/net/net_test_support.h"
#include "utility/text.h"

using net_test::LogCapture;

namespace {

const char kPostFunction[] = "CCurlDownloader::postRequest";

// The echo server's account of a request (see tests/servers/package_server.py).
// The echo server's account of a post (see tests/servers/package_server.py): the
// content-type line comes first, then the caller's lines.
std::string echoOf(const std::string& path, const std::vector<std::string>& headers,
                   const std::string& body) {
  std::string text =
      "METHOD POST\nPATH " + path + "\nHEADER Content-Type: application/json;charset=UTF-8\n";
  for (const auto& h : headers) text += "HEADER " + h + "\n";
  return text + "BODY " + std::to_string(body.size()) + "\n" + body;
}

}  // namespace

TEST(CurlPost, SendsUtf8JsonWithContentTypeFirstAndHandsBackTheBody) {
  // The callers build their JSON in the ANSI code page; the wire carries UTF-8.
  const std::wstring text = L"{\"name\":\"caf\u00e9 cr\u00e8me\"}";
  const std::string ansiBody = utility::wideToAnsi(text);
  const std::string utf8Body = utility::wideToUtf8(text);
  ASSERT_NE(ansiBody, utf8Body);
  struct Case {
    std::string path;
    std::string body;
    CurlHeaderList headers;
    std::string response;
  } cases[] = {
      {"/echo", ansiBody, {}, echoOf("/echo", {}, utf8Body)},
      {"/echo", "", {}, echoOf("/echo", {}, "")},
      {"/echo",
       "[1]",
       {"X-Sign: abc", "X-Count: 2"},
       echoOf("/echo", {"X-Sign: abc", "X-Count: 2"}, "[1]")},
      // An error status is no failure here: its body comes back.
      {"/echo?status=500", "[]", {}, echoOf("/echo?status=500", {}, "[]")},
      // Any number of redirects; 307 keeps it a post.
      {"/redirect/9/echo?code=307", "[2]", {}, echoOf("/echo?code=307", {}, "[2]")},
      // A large answer arrives in many pieces and is handed back whole.
      {"/package/3000000", "{}", {}, net_test::packageBytes(3000000)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    LogCapture log;
    std::string response = "previous";
    EXPECT_TRUE(CCurlDownloader::postRequest(net_test::url(c.path), c.body, c.headers, response));
    EXPECT_TRUE(response == c.response) << response.substr(0, 300);
    EXPECT_EQ(log.messagesOf(kPostFunction),
              (std::vector<std::wstring>{
                  L"post start", L"download sucess " + std::to_wstring(c.response.size())}));
  }
}

TEST(CurlPost, FailureLeavesTheResponseUntouched) {
  struct Case {
    std::string url;
    std::wstring error;
  } cases[] = {
      {net_test::closedUrl("/echo"), L"Couldn't connect to server"},
      // Part of the answer arrived before the connection dropped: still nothing is handed back.
      {net_test::url("/package/100000?cut=50000"), L"Transferred a partial file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    LogCapture log;
    std::string response = "untouched";
    EXPECT_FALSE(CCurlDownloader::postRequest(c.url, "{}", {"X-A: 1"}, response));
    EXPECT_EQ(response, "untouched");
    EXPECT_EQ(log.messagesOf(kPostFunction),
              (std::vector<std::wstring>{L"post start", L"download error " + c.error}));
  }
}

TEST(CurlPost, HandleFormTakesAPreparedHandle) {
  LogCapture log;
  std::string response;
  CURL* handle = curl_easy_init();
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(
      CCurlDownloader::postRequest("[3]", response, net_test::url("/echo"), {"X-B: b"}, handle));
  EXPECT_EQ(response, echoOf("/echo", {"X-B: b"}, "[3]"));
  // Only the first form writes the start line.
  EXPECT_EQ(log.messagesOf(kPostFunction),
            (std::vector<std::wstring>{L"download sucess " + std::to_wstring(response.size())}));
}

// A server that takes the connection and never completes the TLS handshake:
// the post gives up at its 8000 ms connect time-out.
TEST(CurlPost, HandshakeThatNeverEndsGivesUpAfterTheConnectTimeout) {
  LogCapture log;
  std::string response = "previous";
  DWORD start = GetTickCount();
  EXPECT_FALSE(CCurlDownloader::postRequest(net_test::silentTlsUrl("/echo"), "{}", {}, response));
  DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 7800u);
  EXPECT_LT(took, 12000u);
  EXPECT_EQ(response, "previous");
  EXPECT_EQ(log.messagesOf(kPostFunction),
            (std::vector<std::wstring>{L"post start", L"download error Timeout was reached"}));
}
