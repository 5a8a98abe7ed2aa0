#include "vocabulary/game_file.h"

#include <QFileInfo>
#include <array>
#include <string_view>

#include "vocabulary/ascii_case.h"
#include "vocabulary/program_folder.h"
#include "vocabulary/vocab_file.h"

namespace quillon {
namespace {

constexpr std::size_t kMaxNameBytes = 200;
constexpr std::string_view kForbidden = "\\/:*?\"<>|";

constexpr std::string_view kEmptyVocabulary =
    "<?xml version=\"1.0\" encoding=\"gb2312\" ?> \r\n"
    "<GRAMMAR LANGID=\"804\">\r\n"
    "<DEFINE>\r\n"
    "<ID NAME=\"RID_Game1\" VAL=\"1001\"/>\r\n"
    "</DEFINE>\r\n"
    "<RULE NAME=\"Game1\" ID=\"RID_Game1\" TOPLEVEL=\"ACTIVE\">\r\n"
    "<L PROPNAME=\"Game1\" PROPID=\"RID_Game1\">\r\n"
    "</L>\r\n"
    "</RULE>\r\n"
    "</GRAMMAR>\r\n";

// Windows keeps these device names whatever extension follows them.
bool reserved_on_windows(const std::string& name) {
  std::string_view stem(name);
  stem = stem.substr(0, stem.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  const std::string upper = ascii_upper(stem);
  static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  for (std::string_view device : kDevices) {
    if (upper == device) return true;
  }
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
         upper[3] <= '9';
}

}  // namespace

std::optional<std::string> game_name_problem(const std::string& name) {
  if (name.empty()) return "请填入游戏名字！";
  if (name == "." || name == "..") return "游戏名字不能是“.”或“..”！";
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const auto b = static_cast<unsigned char>(c);
    // C0 controls, DEL, and the C1 controls U+0080..U+009F (C2 80..C2 9F in UTF-8).
    const bool c1 = b == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) <= 0x9F;
    if (b < 0x20 || b == 0x7F || c1) return "游戏名字里不能有控制字符（如换行、制表符）！";
    if (kForbidden.find(c) != std::string_view::npos) {
      return "游戏名字里不能有这些字符：\\ / : * ? \" < > |";
    }
  }
  if (reserved_on_windows(name)) return "“" + name + "”是系统保留的名字，不能用作游戏名字！";
  if (name.size() > kMaxNameBytes) return "游戏名字太长了！请不要超过 66 个汉字或 200 个字母。";
  return std::nullopt;
}

NewGameResult make_game_file(const std::string& folder, const std::string& name) {
  if (auto problem = game_name_problem(name)) return {NewGame::refused, *problem};
  const std::string path = game_file_path(folder, name);
  if (QFileInfo::exists(QString::fromStdString(path))) return {NewGame::exists, "游戏“" + name + "”已经有了。"};
  if (auto error = write_gbk_file(path, kEmptyVocabulary)) return {NewGame::failed, *error};
  return {NewGame::made, {}};
}

}  // namespace quillon
