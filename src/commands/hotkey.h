#pragma once

// Hotkeys (input/hotkey.h) read from and named by text: keys as action
// strings name them ("F9", "CapsLock"), "MB8"/"MB9" for the mouse's side
// buttons.

#include <optional>
#include <string>
#include <string_view>

#include "input/hotkey.h"

namespace quillon {

// The hotkey of a key name or "MB8"/"MB9", compared without regard to case;
// nothing for any other text.
std::optional<Hotkey> read_hotkey(std::string_view name);

// The name read_hotkey() reads back: "F9", "CapsLock", "MB8".
std::string hotkey_name(Hotkey hotkey);

}  // namespace quillon
