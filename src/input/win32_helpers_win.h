#pragma once

// Small Win32 helpers shared by the Windows adapters and the speech engine:
// text conversion between our UTF-8 strings and the platform's encodings, and
// a COM apartment held for an object's lifetime. Header-only so that any layer
// can use it without linking another.

#include <objbase.h>
#include <windows.h>

#include <climits>
#include <string>

namespace quillon::win32 {

// UTF-8 to UTF-16; invalid sequences become U+FFFD. Empty for empty input or
// input too long for the API.
inline std::wstring widen(const std::string& utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) return {};
  const int in_size = static_cast<int>(utf8.size());
  const int out_size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in_size, nullptr, 0);
  if (out_size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(out_size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in_size, wide.data(), out_size);
  return wide;
}

// UTF-16 to the given code page (CP_UTF8 or CP_ACP); characters the code page
// lacks become its default character.
inline std::string narrow(const std::wstring& wide, UINT code_page) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int in_size = static_cast<int>(wide.size());
  const int out_size = WideCharToMultiByte(code_page, 0, wide.data(), in_size, nullptr, 0, nullptr, nullptr);
  if (out_size <= 0) return {};
  std::string text(static_cast<std::size_t>(out_size), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), in_size, text.data(), out_size, nullptr, nullptr);
  return text;
}

// UTF-8 text of a COM-allocated wide string, which it frees; null gives "".
inline std::string take_co_mem_text(WCHAR* text) {
  if (!text) return {};
  std::string utf8 = narrow(text, CP_UTF8);
  CoTaskMemFree(text);
  return utf8;
}

// Joins the calling thread to a single-threaded apartment for this object's
// lifetime. The GUI thread is usually in one already; then this only counts.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    // A thread already in a multithreaded apartment (RPC_E_CHANGED_MODE) was
    // not initialised by us, so it must not be uninitialised either.
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

}  // namespace quillon::win32
