#pragma once

// The action composer: menu items that append tokens to the action box, the
// web-page template and the action for a chosen file.

#include <span>
#include <string>
#include <string_view>

namespace quillon {

struct ComposerItem {
  std::string_view name;     // the menu item's object name
  std::string_view caption;  // what the menu shows
  std::string_view token;    // appended to the action box; empty: shows the key-name note
};

std::span<const ComposerItem> mouse_menu_items();  // pop
std::span<const ComposerItem> key_menu_items();    // pop2

inline constexpr const char* kWebTemplate = "OpenIE[http://]";

inline constexpr const char* kKeyNameNote =
    "键盘上的四个方向键，分别用“Up”“Down”“Left”“Right”代替；键盘上的空格\r\n"
    "键，用“Space”代替；键盘上的“←”键，用“Backspace”代替；小键盘的“+”，\r\n"
    "“-”，“*”，“/”分别用“Add”，“Sub”，“Mul”，“Div”代替；键盘上的\r\n"
    "Windows开始键左边的用LWindows代替，右边的用RWindows代替；Windows开始键旁边的\r\n"
    "弹出菜单键用PopMenu代替；其余的键按照键盘上的写法写。";

// "OpenProgram[path]" for a program (a name ending in ".exe" in any case, or a
// file the platform marks executable), else "OpenFile[path]".
std::string action_for_file(const std::string& path, bool executable);

}  // namespace quillon
