// GBK through the Windows code page 936 conversions; no Qt here.

#include <windows.h>

#include "vocabulary/gbk.h"

namespace quillon::gbk_platform {
namespace {

constexpr UINT kGbk = 936;

bool to_wide(UINT code_page, std::string_view in, std::wstring& out) {
  out.clear();
  if (in.empty()) return true;
  const int size = static_cast<int>(in.size());
  const int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, in.data(), size, out.data(), n) == n;
}

// `strict` refuses a character that falls back to the default character
// (the flag is only allowed for code pages other than UTF-8).
bool from_wide(UINT code_page, const std::wstring& in, std::string& out, bool strict) {
  out.clear();
  if (in.empty()) return true;
  const int size = static_cast<int>(in.size());
  const DWORD flags = strict ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL used_default = FALSE;
  BOOL* used = strict ? &used_default : nullptr;
  const int n = WideCharToMultiByte(code_page, flags, in.data(), size, nullptr, 0, nullptr, used);
  if (n <= 0 || used_default) return false;
  out.resize(static_cast<std::size_t>(n));
  return WideCharToMultiByte(code_page, flags, in.data(), size, out.data(), n, nullptr, used) == n && !used_default;
}

}  // namespace

bool decode_strict(std::string_view gbk, std::string& utf8) {
  std::wstring wide;
  if (!to_wide(kGbk, gbk, wide)) return false;
  // GBK has no U+FFFD, so one in the result means a byte was not understood.
  if (wide.find(L'\xFFFD') != std::wstring::npos) return false;
  return from_wide(CP_UTF8, wide, utf8, false);
}

bool encode_strict(std::string_view utf8, std::string& gbk) {
  std::wstring wide;
  if (!to_wide(CP_UTF8, utf8, wide)) return false;
  return from_wide(kGbk, wide, gbk, true);
}

}  // namespace quillon::gbk_platform
