#pragma once

// Small COM helpers shared by the Windows adapters and the speech engine: a
// COM-allocated string read and freed, and a COM apartment held for an
// object's lifetime. Header-only so that any layer can use it without linking
// another.

#include <objbase.h>
#include <windows.h>

#include <string>

#include "vocabulary/win32_text_win.h"

namespace quillon::win32 {

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
