#pragma once

// Making a new game: a vocabulary file with the header and closing lines and
// no entry, ready for phrases to be inserted before its "</L>".

#include <optional>
#include <string>

namespace quillon {

// Why `name` (UTF-8, as the window trimmed it) cannot name a game file on
// Linux or Windows, as a Chinese message for "提示"; nothing when it can.
std::optional<std::string> game_name_problem(const std::string& name);

enum class NewGame {
  made,     // the file was written
  exists,   // a game of that name is there already; nothing was written
  refused,  // the name cannot be a file name; `message` says why
  failed,   // the file could not be written; `message` says why
};

struct NewGameResult {
  NewGame outcome;
  std::string message;
};

// Writes the empty vocabulary of game `name` into `folder`, never over an existing one.
NewGameResult make_game_file(const std::string& folder, const std::string& name);

}  // namespace quillon
