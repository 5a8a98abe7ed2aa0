#pragma once

// The program folder: where the vocabulary files, "ad1.htm" and the shipped
// home page live, and the games found there. Paths and names are UTF-8; paths
// use "/" (Qt accepts it on every platform).

#include <string>
#include <vector>

namespace quillon {

// `chosen` when not empty (--program-folder; created if missing); else
// `executable_folder` when a file can be made in it and it is not the bin
// folder of an installation; else user_data_folder(), created.
std::string resolve_program_folder(const std::string& chosen, const std::string& executable_folder);

// The user's own folder for Quillon's data: $XDG_DATA_HOME/quillon, by default
// ~/.local/share/quillon. It may not exist.
std::string user_data_folder();

// share/quillon of the installation whose bin folder is `executable_folder`;
// it exists only when the program runs from an installation.
std::string installation_data_folder(const std::string& executable_folder);

// The games of `folder`: every file whose name ends in ".xml" in any letter
// case, less those four characters, sorted by name ignoring the case of ASCII
// letters, then by code point, each name once. A file named only ".xml" has
// no name and is left out.
std::vector<std::string> list_games(const std::string& folder);

// The vocabulary file of game `name`: the existing file whose extension is
// ".xml" in any case, else folder + "/" + name + ".xml".
std::string game_file_path(const std::string& folder, const std::string& name);

}  // namespace quillon
