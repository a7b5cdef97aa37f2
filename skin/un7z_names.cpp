#include "skin/un7z_names.h"

#include <cwctype>

namespace utility::un7z {
namespace {

bool isSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool onlyDotsAndBlanks(std::wstring_view part) {
  return part.find_first_not_of(L". ") == std::wstring_view::npos;
}

// Windows opens a device for these names whatever the folder or extension.
bool isDeviceName(std::wstring_view part) {
  std::wstring base(part.substr(0, part.find(L'.')));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = (wchar_t)towupper(c);
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* device : kDevices)
    if (base == device) return true;
  bool numbered = base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT"));
  return numbered && base[3] >= L'1' && base[3] <= L'9';
}

}  // namespace

bool isSafeEntryName(std::wstring_view name) {
  if (name.empty() || isSeparator(name[0]) || name.find(L':') != std::wstring_view::npos)
    return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !isSeparator(name[end])) end++;
    std::wstring_view part = name.substr(start, end - start);
    if (!part.empty() && (onlyDotsAndBlanks(part) || isDeviceName(part))) return false;
    start = end + 1;
  }
  return true;
}

std::wstring targetPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (!path.empty() && !isSeparator(path.back())) path += L'\\';
  path += name;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring parentPath(std::wstring_view path) {
  size_t last = path.find_last_of(L"\\/");
  return last == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, last));
}

}  // namespace utility::un7z
