#pragma once

// A key or mouse button that the user holds or presses to control listening,
// named as action strings name keys ("F9", "CapsLock"), or "MB8"/"MB9" for the
// mouse's side buttons.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

struct Hotkey {
  enum class Device { keyboard, mouse };
  Device device = Device::keyboard;
  // A Windows virtual-key code, or a mouse button numbered as X numbers them
  // (8 back, 9 forward: XBUTTON1 and XBUTTON2 on Windows).
  std::uint8_t code = 0;

  bool operator==(const Hotkey&) const = default;
};

// The hotkey of a key name or "MB8"/"MB9", compared without regard to case;
// nothing for any other text.
std::optional<Hotkey> read_hotkey(std::string_view name);

// The name read_hotkey() reads back: "F9", "CapsLock", "MB8".
std::string hotkey_name(Hotkey hotkey);

}  // namespace quillon
