// The Measurement Protocol's wire format for one event: a compact JSON body and
// the collection address with the property's keys. Plain functions over values.
#pragma once
#include <string>

// {"client_id":<id>,"events":[{"name":<name>,"params":{"event_category":"5.21",
// "event_label":<label>}}]} without white space. Texts in the ANSI code page
// (`clientId` already is); the post re-encodes the body to UTF-8.
std::string buildAnalyticsBody(const std::string& clientId, const std::wstring& eventName,
                               const std::wstring& label);

// `endpoint` + "?measurement_id=" + id + "&api_secret=" + secret. Nothing is
// percent-encoded: both keys consist of URL-safe characters.
std::wstring analyticsUrl(const std::wstring& endpoint, const std::wstring& measurementId,
                          const std::wstring& apiSecret);
