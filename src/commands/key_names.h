#pragma once

// The names that action strings use for keys and mouse actions, and the Windows
// virtual-key codes and mouse events they stand for.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

struct MouseAction {
  std::uint32_t flags;  // MOUSEEVENTF_* bits
  int dx;
  int dy;
  int repeat;  // 2 for a double click: the same event twice, back to back
};

// The virtual-key code of a key name, compared without regard to case.
std::optional<std::uint8_t> key_code(std::string_view name);

// The mouse action of a mouse action name, compared without regard to case.
std::optional<MouseAction> mouse_action(std::string_view name);

// A readable name for a virtual-key code ("Ctrl", "A", "F5", "0x2A"): how a
// hotkey is shown, and how test transcripts name keys.
std::string key_display_name(std::uint8_t vk);

// A readable name for a mouse event ("left click", "move -10 0"), as test
// transcripts name them.
std::string mouse_display_name(std::uint32_t flags, int dx, int dy);

}  // namespace quillon
