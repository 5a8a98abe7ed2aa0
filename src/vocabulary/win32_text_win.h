#pragma once

// Text between our UTF-8 strings and the Windows API's UTF-16 and code pages,
// for every layer's Windows files. Header-only: no Qt, no library to link.

#include <windows.h>

#include <climits>
#include <string>
#include <string_view>

namespace quillon::win32 {

// Runs a conversion of `in_size` units twice, first for the size of the
// result, then into `out`; false, and `out` empty, when either run fails.
// `convert(buffer, size)` is the API call, returning the units it wrote.
template <typename Out, typename Convert>
bool convert_twice(std::size_t in_size, Out& out, Convert convert) {
  out.clear();
  if (in_size == 0) return true;
  if (in_size > INT_MAX) return false;
  const int n = convert(nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  if (convert(out.data(), n) == n) return true;
  out.clear();
  return false;
}

// `text`, in `code_page`, as UTF-16 in `wide`. Strict: false, and `wide`
// empty, when some bytes are not valid in the code page; else such bytes
// become U+FFFD. False also for text too long for the API.
inline bool to_utf16(UINT code_page, std::string_view text, std::wstring& wide, bool strict) {
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  return convert_twice(text.size(), wide, [&](wchar_t* buffer, int size) {
    return MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), buffer, size);
  });
}

// `wide` in `code_page`, into `text`. Strict: false, and `text` empty, when a
// character has no exact counterpart in the code page (never asked of UTF-8,
// which has them all); else it becomes the code page's default character.
inline bool from_utf16(UINT code_page, std::wstring_view wide, std::string& text, bool strict) {
  const DWORD flags = strict ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL used_default = FALSE;
  const bool converted = convert_twice(wide.size(), text, [&](char* buffer, int size) {
    return WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), buffer, size, nullptr,
                               strict ? &used_default : nullptr);
  });
  if (converted && !used_default) return true;
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
