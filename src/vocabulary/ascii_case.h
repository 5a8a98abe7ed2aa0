#pragma once

// The case of ASCII letters only: key names, file extensions and window
// classes compare this way, and every other byte (UTF-8 included) stays as it
// is, so that an unknown name stays unknown.

#include <string>
#include <string_view>

namespace quillon {

constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ascii_lower(c);
  return out;
}

inline std::string ascii_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ascii_upper(c);
  return out;
}

}  // namespace quillon
