#include "input/injector_win.h"

#include <windows.h>

namespace quillon {

void Win32InputInjector::key_down(std::uint8_t vk) { keybd_event(vk, 0, 0, 0); }

void Win32InputInjector::key_up(std::uint8_t vk) { keybd_event(vk, 0, KEYEVENTF_KEYUP, 0); }

void Win32InputInjector::mouse(std::uint32_t flags, int dx, int dy) {
  // Relative motion is signed; the API takes it in DWORDs as two's complement.
  mouse_event(flags, static_cast<DWORD>(dx), static_cast<DWORD>(dy), 0, 0);
}

}  // namespace quillon
