#pragma once

// A key or mouse button that the user holds or presses to control listening.
// Only the value lives here, so that the watchers need nothing above them;
// reading and naming it from text is the commands' business (commands/hotkey.h).

#include <cstdint>

namespace quillon {

struct Hotkey {
  enum class Device { keyboard, mouse };
  Device device = Device::keyboard;
  // A Windows virtual-key code, or a mouse button numbered as X numbers them
  // (8 back, 9 forward: XBUTTON1 and XBUTTON2 on Windows).
  std::uint8_t code = 0;

  bool operator==(const Hotkey&) const = default;
};

}  // namespace quillon
