// GBK through the Windows code page 936 conversions; no Qt here.

#include <windows.h>

#include "vocabulary/gbk.h"
#include "vocabulary/win32_text_win.h"

namespace quillon::gbk_platform {
namespace {

constexpr UINT kGbk = 936;

}  // namespace

bool decode_strict(std::string_view gbk, std::string& utf8) {
  std::wstring wide;
  if (!win32::to_utf16(kGbk, gbk, wide, true)) return false;
  // GBK has no U+FFFD, so one in the result means a byte was not understood.
  if (wide.find(L'\xFFFD') != std::wstring::npos) return false;
  return win32::from_utf16(CP_UTF8, wide, utf8, false);
}

bool encode_strict(std::string_view utf8, std::string& gbk) {
  std::wstring wide;
  if (!win32::to_utf16(CP_UTF8, utf8, wide, true)) return false;
  return win32::from_utf16(kGbk, wide, gbk, true);
}

}  // namespace quillon::gbk_platform
