#include "vocabulary/folder_store.h"

#include <QFile>

#include "vocabulary/builtin_vocab.h"
#include "vocabulary/game_file.h"
#include "vocabulary/gbk.h"
#include "vocabulary/program_folder.h"
#include "vocabulary/vocab_file.h"

namespace quillon {
namespace {

StoreResult from_messages(const std::vector<std::string>& messages) {
  StoreResult result;
  for (const std::string& message : messages) {
    result.ok = false;
    result.error += (result.error.empty() ? "" : "\r\n") + message;
  }
  return result;
}

}  // namespace

std::string FolderStore::path_of(const std::string& game) const { return game_file_path(folder_, game); }

std::vector<std::string> FolderStore::list_games() const { return quillon::list_games(folder_); }

StoreResult FolderStore::write_builtins() {
  std::vector<std::string> problems = ensure_local_pages(folder_);
  for (std::string& message : write_missing_builtin_vocabularies(folder_)) problems.push_back(std::move(message));
  return from_messages(problems);
}

std::string FolderStore::home_page_address() const { return local_page_url(folder_, LocalPage::home); }

std::string FolderStore::second_page_address() const { return local_page_url(folder_, LocalPage::banner); }

std::string FolderStore::ad_page_path() const { return local_page_path(folder_, LocalPage::ad); }

VocabularyRead FolderStore::read(const std::string& game) const {
  const std::string path = path_of(game);
  const VocabRead read = read_vocab_file(path);
  return {read.ok, read.text, read.bad_bytes > 0 ? bad_bytes_warning(path) : "", read.error};
}

StoreResult FolderStore::write(const std::string& game, const std::string& text) {
  if (const std::optional<std::string> error = write_vocab_file(path_of(game), text)) return {false, *error};
  return {};
}

std::string FolderStore::first_unencodable(const std::string& text) const {
  const GbkEncoded encoded = gbk_encode(text);
  if (encoded.ok) return {};
  return QString::fromUcs4(&encoded.refused, 1).toStdString();
}

CreateGameResult FolderStore::create_game(const std::string& name) {
  const NewGameResult made = make_game_file(folder_, name);
  switch (made.outcome) {
    case NewGame::made:
      return {GameCreation::Created, ""};
    case NewGame::exists:
      return {GameCreation::Exists, ""};
    case NewGame::refused:
    case NewGame::failed:
      break;
  }
  return {GameCreation::Refused, made.message};
}

StoreResult FolderStore::delete_game(const std::string& game) {
  const QString path = QString::fromStdString(path_of(game));
  QFile file(path);
  if (file.remove()) return {};
  return {false, "不能删除词汇文件" + path.toStdString() + "：" + file.errorString().toStdString()};
}

}  // namespace quillon
