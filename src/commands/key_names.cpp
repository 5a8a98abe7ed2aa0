#include "commands/key_names.h"
#include "vocabulary/ascii_case.h"

#include <array>
#include <cstdio>

namespace quillon {
namespace {

struct NamedKey {
  std::string_view name;
  std::uint8_t code;
  std::string_view display;
};

// Tested in this order after the digits, letters and function keys.
constexpr std::array<NamedKey, 38> kNamedKeys{{
    {"ctrl", 0x11, "Ctrl"},
    {"alt", 0x12, "Alt"},
    {"shift", 0x10, "Shift"},
    {"backspace", 0x08, "Backspace"},
    {"space", 0x20, "Space"},
    {"tab", 0x09, "Tab"},
    {"capslock", 0x14, "CapsLock"},
    {"insert", 0x2D, "Insert"},
    {"pageup", 0x21, "PageUp"},
    {"pagedown", 0x22, "PageDown"},
    {"up", 0x26, "Up"},
    {"down", 0x28, "Down"},
    {"left", 0x25, "Left"},
    {"right", 0x27, "Right"},
    {"esc", 0x1B, "Esc"},
    {"printscreen", 0x2A, "PrintScreen"},
    {"delete", 0x2E, "Delete"},
    {"home", 0x24, "Home"},
    {"end", 0x23, "End"},
    {"enter", 0x0D, "Enter"},
    {"scrolllock", 0x91, "ScrollLock"},
    {"pause", 0x13, "Pause"},
    {"numlock", 0x90, "NumLock"},
    {".", 0xBE, "."},
    {",", 0xBC, ","},
    {";", 0xBA, ";"},
    {"'", 0xDE, "'"},
    {"/", 0xBF, "/"},
    {"\\", 0xDC, "\\"},
    {"=", 0xBB, "="},
    {"-", 0xBD, "-"},
    {"lwindows", 0x5B, "LWindows"},
    {"rwindows", 0x5C, "RWindows"},
    {"popmenu", 0x5D, "PopMenu"},
    {"add", 0x6B, "Add"},
    {"sub", 0x6D, "Sub"},
    {"mul", 0x6A, "Mul"},
    {"div", 0x6F, "Div"},
}};

struct NamedMouse {
  std::string_view name;
  MouseAction action;
};

constexpr std::uint32_t kLeftClick = 0x02 | 0x04;
constexpr std::uint32_t kRightClick = 0x08 | 0x10;
constexpr std::uint32_t kMove = 0x01;

constexpr std::array<NamedMouse, 12> kMouseActions{{
    {"mlbc", {kLeftClick, 0, 0, 1}},
    {"mrbc", {kRightClick, 0, 0, 1}},
    {"mlbdc", {kLeftClick, 0, 0, 2}},
    {"mrbdc", {kRightClick, 0, 0, 2}},
    {"mleftm", {kMove, -10, 0, 1}},
    {"mrightm", {kMove, 10, 0, 1}},
    {"mupm", {kMove, 0, -10, 1}},
    {"mdownm", {kMove, 0, 10, 1}},
    {"mleftbm", {kMove, -100, 0, 1}},
    {"mrightbm", {kMove, 100, 0, 1}},
    {"mupbm", {kMove, 0, -100, 1}},
    {"mdownbm", {kMove, 0, 100, 1}},
}};

std::optional<std::uint8_t> function_key(std::string_view lower) {
  if (lower.size() < 2 || lower.size() > 3 || lower[0] != 'f') return std::nullopt;
  for (int n = 1; n <= 12; ++n) {
    if (lower.substr(1) == std::to_string(n)) return static_cast<std::uint8_t>(0x6F + n);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::uint8_t> key_code(std::string_view name) {
  const std::string lower = ascii_lower(name);
  if (lower.size() == 1 && lower[0] >= '0' && lower[0] <= '9') {
    return static_cast<std::uint8_t>(0x30 + (lower[0] - '0'));
  }
  if (lower.size() == 1 && lower[0] >= 'a' && lower[0] <= 'z') {
    return static_cast<std::uint8_t>(0x41 + (lower[0] - 'a'));
  }
  if (auto f = function_key(lower)) return f;
  for (const NamedKey& key : kNamedKeys) {
    if (key.name == lower) return key.code;
  }
  return std::nullopt;
}

std::optional<MouseAction> mouse_action(std::string_view name) {
  const std::string lower = ascii_lower(name);
  for (const NamedMouse& mouse : kMouseActions) {
    if (mouse.name == lower) return mouse.action;
  }
  return std::nullopt;
}

std::string key_display_name(std::uint8_t vk) {
  if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A)) return std::string(1, static_cast<char>(vk));
  if (vk >= 0x70 && vk <= 0x7B) return "F" + std::to_string(vk - 0x6F);
  for (const NamedKey& key : kNamedKeys) {
    if (key.code == vk) return std::string(key.display);
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(vk));
  return hex;
}

std::string mouse_display_name(std::uint32_t flags, int dx, int dy) {
  if (flags == kLeftClick && dx == 0 && dy == 0) return "left click";
  if (flags == kRightClick && dx == 0 && dy == 0) return "right click";
  char text[64];
  std::snprintf(text, sizeof text, "mouse 0x%02X %d %d", static_cast<unsigned>(flags), dx, dy);
  if (flags == kMove) std::snprintf(text, sizeof text, "move %d %d", dx, dy);
  return text;
}

}  // namespace quillon
