#pragma once

// The program folder as the window sees it: the games' vocabulary files, the
// shipped vocabularies and the local pages.

#include <string>
#include <vector>

namespace quillon {

struct StoreResult {
  bool ok = true;
  std::string error;  // a sentence for the user, naming the file
};

struct VocabularyRead {
  bool ok = true;
  std::string text;     // UTF-8
  std::string warning;  // said once when the game is chosen: bytes the encoding could not read
  std::string error;
};

enum class GameCreation { Created, Exists, Refused };

struct CreateGameResult {
  GameCreation outcome = GameCreation::Created;
  std::string error;  // for Refused: why, for the user
};

class VocabularyStore {
 public:
  virtual ~VocabularyStore() = default;
  virtual std::string path_of(const std::string& game) const = 0;
  // Every "*.xml" file of the folder, without its last four characters.
  virtual std::vector<std::string> list_games() const = 0;
  // Writes those shipped vocabularies and local pages that are missing.
  virtual StoreResult write_builtins() = 0;
  virtual std::string home_page_address() const = 0;
  virtual std::string second_page_address() const = 0;
  virtual std::string ad_page_path() const = 0;
  virtual VocabularyRead read(const std::string& game) const = 0;
  // Replaces the game's file atomically with `text` plus one line end. Refuses
  // text the file's encoding cannot hold, before anything is written.
  virtual StoreResult write(const std::string& game, const std::string& text) = 0;
  // A character of `text` the file's encoding cannot hold, or empty.
  virtual std::string first_unencodable(const std::string& text) const = 0;
  virtual CreateGameResult create_game(const std::string& name) = 0;
  virtual StoreResult delete_game(const std::string& game) = 0;
};

}  // namespace quillon
