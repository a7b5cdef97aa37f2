#include "app/start_parameters.h"

#include <vector>

namespace {

std::wstring trimmed(const std::wstring& text) {
  size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  size_t last = text.find_last_not_of(L' ');
  return text.substr(first, last - first + 1);
}

std::vector<std::wstring> splitParts(const std::wstring& name) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    size_t underscore = name.find(L'_', start);
    parts.push_back(trimmed(name.substr(start, underscore - start)));
    if (underscore == std::wstring::npos) break;
    start = underscore + 1;
  }
  return parts;
}

bool allDigits(const std::wstring& text) {
  for (wchar_t c : text)
    if (c < L'0' || c > L'9') return false;
  return true;
}

bool isLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

bool allLetters(const std::wstring& text) {
  for (wchar_t c : text)
    if (!isLetter(c)) return false;
  return true;
}

}  // namespace

bool isSwitchSafe(const std::wstring& text) {
  for (wchar_t c : text)
    if (!isLetter(c) && !(c >= L'0' && c <= L'9') && c != L'_' && c != L'-') return false;
  return true;
}

StartParameters parseStartParameters(const std::wstring& fileNameWithoutExtension) {
  StartParameters parameters;
  std::vector<std::wstring> parts = splitParts(fileNameWithoutExtension);
  if (parts.size() < 4) return parameters;
  parameters.present = true;
  parameters.type = parts[0];
  parameters.language = parts[1];
  if (parts.size() == 4 || allDigits(parts[2])) {
    parameters.id = parts[2];
  } else {
    parameters.package = parts[2];
    parameters.id = parts[3];
  }
  if (!allLetters(parameters.language)) parameters.language.clear();
  if (!isSwitchSafe(parameters.package)) parameters.package.clear();
  if (!isSwitchSafe(parameters.id)) parameters.id.clear();
  return parameters;
}
