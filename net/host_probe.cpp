#include "net/host_probe.h"

#include "net/http_client.h"

namespace {

// Notes that a head came, and reads no body.
class HeadSink : public utility::CHttpClient::IHttpClientSink {
 public:
  void onHttpError(int, int) override {}
  bool onHttpRecvHeader(int, int) override {
    answered = true;
    return false;
  }
  bool onHttpRecvData(const char*, int) override { return false; }
  void onHttpComplete() override {}
  bool answered = false;
};

}  // namespace

bool hostAnswers(const std::wstring& url, DWORD timeoutMs) {
  HeadSink sink;
  utility::CHttpClient client;
  client.setTimeouts(timeoutMs);
  if (client.open(url, L"Range: bytes=0-0", &sink)) client.request();
  client.closeInternet();
  return sink.answered;
}
