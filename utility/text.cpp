#include "utility/text.h"

#include <windows.h>

namespace utility {
namespace {

std::wstring toWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  int needed = MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), nullptr, 0);
  if (needed <= 0) return {};
  std::wstring out(needed, L'\0');
  int written = MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), out.data(), needed);
  if (written <= 0) return {};
  out.resize(written);
  return out;
}

std::string fromWide(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  int needed = WideCharToMultiByte(codePage, 0, text.data(), (int)text.size(), nullptr, 0,
                                   nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(needed, '\0');
  int written = WideCharToMultiByte(codePage, 0, text.data(), (int)text.size(), out.data(),
                                    needed, nullptr, nullptr);
  if (written <= 0) return {};
  out.resize(written);
  return out;
}

}  // namespace

std::wstring ansiToWide(std::string_view text) { return toWide(CP_ACP, text); }
std::wstring utf8ToWide(std::string_view text) { return toWide(CP_UTF8, text); }
std::string wideToAnsi(std::wstring_view text) { return fromWide(CP_ACP, text); }
std::string wideToUtf8(std::wstring_view text) { return fromWide(CP_UTF8, text); }
std::string ansiToUtf8(std::string_view text) { return wideToUtf8(ansiToWide(text)); }

}  // namespace utility
