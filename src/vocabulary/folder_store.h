#pragma once

// The program folder behind the window: vocabulary files in GBK, written
// atomically, the shipped vocabularies and the local pages.

#include "vocabulary/vocabulary_store.h"

namespace quillon {

class FolderStore : public VocabularyStore {
 public:
  explicit FolderStore(std::string folder) : folder_(std::move(folder)) {}

  std::string path_of(const std::string& game) const override;
  std::vector<std::string> list_games() const override;
  StoreResult write_builtins() override;
  std::string home_page_address() const override;
  std::string second_page_address() const override;
  std::string ad_page_path() const override;
  VocabularyRead read(const std::string& game) const override;
  StoreResult write(const std::string& game, const std::string& text) override;
  std::string first_unencodable(const std::string& text) const override;
  CreateGameResult create_game(const std::string& name) override;
  StoreResult delete_game(const std::string& game) override;

  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
};

}  // namespace quillon
