#include "tests/support/offer_standin.h"

#include <windows.h>

#include <sstream>

namespace testing_support {

OfferStandIn::OfferStandIn() {
  SetEnvironmentVariableW(L"VORLANE_STANDIN_OFFER_RECORD", folder_.file(L"calls.txt").c_str());
  SetEnvironmentVariableW(L"VORLANE_STANDIN_OFFER", nullptr);
}

OfferStandIn::~OfferStandIn() {
  SetEnvironmentVariableW(L"VORLANE_STANDIN_OFFER_RECORD", nullptr);
  SetEnvironmentVariableW(L"VORLANE_STANDIN_OFFER", nullptr);
}

void OfferStandIn::answer(const wchar_t* modes) {
  SetEnvironmentVariableW(L"VORLANE_STANDIN_OFFER", modes);
}

std::vector<std::string> OfferStandIn::lines() const {
  std::istringstream text(readFile(folder_.file(L"calls.txt")));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> OfferStandIn::calls() const {
  std::vector<std::string> calls;
  for (const std::string& line : lines()) {
    if (line.rfind("load ", 0) != 0) calls.push_back(line);
  }
  return calls;
}

std::vector<std::string> OfferStandIn::loads() const {
  std::vector<std::string> loads;
  for (const std::string& line : lines()) {
    if (line.rfind("load ", 0) == 0) loads.push_back(line.substr(5));
  }
  return loads;
}

std::vector<std::string> OfferStandIn::arguments(int function) const {
  std::string prefix = std::to_string(function) + " ";
  std::vector<std::string> found;
  for (const std::string& call : calls()) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call.substr(prefix.size()));
  }
  return found;
}

}  // namespace testing_support
