// Turns the compiler's decorated function signature into the qualified name the
// log shows ("utility::ufile::makeDir", "wWinMain"), at compile time.
#pragma once
#include <array>
#include <cstddef>

namespace common::detail {

template <std::size_t N>
struct FunctionName {
  std::array<char, N> text{};
  constexpr const char* c_str() const { return text.data(); }
};

// "bool utility::ufile::makeDir(const std::wstring&)" -> "utility::ufile::makeDir".
// The name ends at the first '(' outside template brackets and begins after the
// last blank before it that is outside template brackets.
template <std::size_t N>
constexpr FunctionName<N> qualifiedName(const char (&signature)[N]) {
  std::size_t end = 0;
  int depth = 0;
  for (; end + 1 < N; ++end) {
    char c = signature[end];
    if (c == '<') ++depth;
    else if (c == '>') --depth;
    else if (c == '(' && depth == 0) break;
  }
  std::size_t begin = 0;
  depth = 0;
  for (std::size_t i = end; i > 0; --i) {
    char c = signature[i - 1];
    if (c == '>') ++depth;
    else if (c == '<') --depth;
    else if ((c == ' ' || c == '*' || c == '&') && depth == 0) {
      begin = i;
      break;
    }
  }
  FunctionName<N> name;
  for (std::size_t i = begin; i < end; ++i) name.text[i - begin] = signature[i];
  return name;
}

}  // namespace common::detail
