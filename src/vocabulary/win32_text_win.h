#pragma once

// Text between our UTF-8 strings and the Windows API's UTF-16 and code pages,
// for every layer's Windows files. Header-only: no Qt, no library to link.

#include <windows.h>

#include <climits>
#include <string>
#include <string_view>

namespace quillon::win32 {

// `text`, in `code_page`, as UTF-16 in `wide`. Strict: false, and `wide`
// empty, when some bytes are not valid in the code page; else such bytes
// become U+FFFD. False also for text too long for the API.
inline bool to_utf16(UINT code_page, std::string_view text, std::wstring& wide, bool strict) {
  wide.clear();
  if (text.empty()) return true;
  if (text.size() > INT_MAX) return false;
  const int size = static_cast<int>(text.size());
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int n = MultiByteToWideChar(code_page, flags, text.data(), size, nullptr, 0);
  if (n <= 0) return false;
  wide.resize(static_cast<std::size_t>(n));
  if (MultiByteToWideChar(code_page, flags, text.data(), size, wide.data(), n) == n) return true;
  wide.clear();
  return false;
}

// `wide` in `code_page`, into `text`. Strict: false, and `text` empty, when a
// character has no exact counterpart in the code page (never asked of UTF-8,
// which has them all); else it becomes the code page's default character.
inline bool from_utf16(UINT code_page, std::wstring_view wide, std::string& text, bool strict) {
  text.clear();
  if (wide.empty()) return true;
  if (wide.size() > INT_MAX) return false;
  const int size = static_cast<int>(wide.size());
  const DWORD flags = strict ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL used_default = FALSE;
  BOOL* used = strict ? &used_default : nullptr;
  const int n = WideCharToMultiByte(code_page, flags, wide.data(), size, nullptr, 0, nullptr, used);
  if (n <= 0 || used_default) return false;
  text.resize(static_cast<std::size_t>(n));
  if (WideCharToMultiByte(code_page, flags, wide.data(), size, text.data(), n, nullptr, used) == n && !used_default) {
    return true;
  }
  text.clear();
  return false;
}

// UTF-8 to UTF-16; invalid sequences become U+FFFD. Empty for empty input or
// input too long for the API.
inline std::wstring widen(std::string_view utf8) {
  std::wstring wide;
  to_utf16(CP_UTF8, utf8, wide, false);
  return wide;
}

// UTF-16 to the given code page (CP_UTF8 or CP_ACP); characters the code page
// lacks become its default character.
inline std::string narrow(std::wstring_view wide, UINT code_page) {
  std::string text;
  from_utf16(code_page, wide, text, false);
  return text;
}

}  // namespace quillon::win32
