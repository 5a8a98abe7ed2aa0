#include "core/composer.h"

#include <array>

#include "vocabulary/ascii_case.h"

namespace quillon {
namespace {

// The mouse menu's items, then the key menu's.
constexpr std::size_t kMouseItems = 12;
constexpr std::array<ComposerItem, kMouseItems + 15> kItems{{
    {"MLBC", "鼠标左键单击", "MLBC"},
    {"MRBC", "鼠标右键单击", "MRBC"},
    {"MLBDC", "鼠标左键双击", "MLBDC"},
    {"MRBDC", "鼠标右键双击", "MRBDC"},
    {"MLeftM", "鼠标左移", "MLeftM"},
    {"MLeftBM", "鼠标大步左移", "MLeftBM"},
    {"MRightM", "鼠标右移", "MRightM"},
    {"MRightBM", "鼠标大步右移", "MRightBM"},
    {"MUpM", "鼠标上移", "MUpM"},
    {"MUpBM", "鼠标大步上移", "MUpBM"},
    {"MDownM", "鼠标下移", "MDownM"},
    {"MDownBM", "鼠标大步下移", "MDownBM"},
    {"Key03", "文字输入（Write）", "Write[你要输入的文字]"},
    {"Key01", "同时（+）", "+"},
    {"Key02", "之后（*）", "*"},
    {"Key1", "空格键", "Space"},
    {"Key2", "←键", "Backspace"},
    {"Key3", "Windows开始键", "LWindows"},
    {"Key4", "弹出菜单键", "PopMenu"},
    {"Key5", "回车键", "Enter"},
    {"Key6", "抓屏键", "Print Screen"},
    {"Key7", "方向键：向上键", "Up"},
    {"Key8", "方向键：向下键", "Down"},
    {"Key9", "方向键：向左键", "Left"},
    {"Key10", "方向键：向右键", "Right"},
    {"Key11", "其他键", ""},
    // The number said, for a phrase with a number slot such as "[1-9]号部队".
    {"Key12", "说出的数字（{n}）", "{n}"},
}};

}  // namespace

std::span<const ComposerItem> mouse_menu_items() { return std::span(kItems).first(kMouseItems); }
std::span<const ComposerItem> key_menu_items() { return std::span(kItems).subspan(kMouseItems); }

std::string action_for_file(const std::string& path, bool executable) {
  const bool exe = path.size() >= 4 && ascii_lower(path.substr(path.size() - 4)) == ".exe";
  return (exe || executable ? "OpenProgram[" : "OpenFile[") + path + "]";
}

}  // namespace quillon
