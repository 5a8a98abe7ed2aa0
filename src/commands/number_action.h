#pragma once

// Actions with "{n}": whether the number said makes keys of them. Digits are
// key names only from 0 to 9, so "Ctrl+{n}" said with 10 names no key.

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The first name that a "{n}" of the key action turns into, with `number` put
// in, that names no key or mouse action; nothing when every one names
// something. The text of a command (Write[{n}]) takes any number.
std::optional<std::string> unknown_name_with_number(std::string_view action, int number);

// The first number of first..last for which the action names nothing.
std::optional<int> first_number_without_key(std::string_view action, int first, int last);

}  // namespace quillon
