#include "commands/hotkey.h"

#include "commands/key_names.h"
#include "vocabulary/ascii_case.h"

namespace quillon {
namespace {

// Only the side buttons: the others click, scroll or tilt in every game.
constexpr std::uint8_t kSideButtons[] = {8, 9};

}  // namespace

std::optional<Hotkey> read_hotkey(std::string_view name) {
  const std::string lower = ascii_lower(name);
  for (const std::uint8_t button : kSideButtons) {
    if (lower == "mb" + std::to_string(button)) return Hotkey{Hotkey::Device::mouse, button};
  }
  if (const auto vk = key_code(name)) return Hotkey{Hotkey::Device::keyboard, *vk};
  return std::nullopt;
}

std::string hotkey_name(Hotkey hotkey) {
  if (hotkey.device == Hotkey::Device::mouse) return "MB" + std::to_string(hotkey.code);
  return key_display_name(hotkey.code);
}

}  // namespace quillon
