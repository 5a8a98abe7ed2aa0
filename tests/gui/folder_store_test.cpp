// The window logic over a real program folder: what editing leaves in the
// files, byte for byte, and real message boxes answered by the test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "core/main_controller.h"
#include "core/texts.h"
#include "input/messages_qt.h"
#include "support/fake_window.h"
#include "vocabulary/folder_store.h"

namespace quillon {
namespace {

QByteArray file_bytes(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// Answers the next modal message box with `button` and remembers its text.
void answer_next_box(QMessageBox::StandardButton button, QString* text, int tries = 200) {
  QTimer::singleShot(10, [button, text, tries] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->button(button)) {
      if (tries > 0) answer_next_box(button, text, tries - 1);
      return;
    }
    if (text) *text = box->text();
    box->button(button)->click();
  });
}

struct Folder {
  QTemporaryDir dir;
  testing::RecordingPlatform desktop;
  testing::FakeView view{desktop.log};
  testing::FakeRecognizer recognizer{desktop.log};
  FolderStore store{dir.path().toStdString()};
  QtMessages messages;
  Platform platform{desktop, desktop, desktop, desktop, desktop, messages, desktop};
  MainController controller{view, &recognizer, store, platform};

  Folder() { controller.start_up(false); }
  void choose(const std::string& game) {
    for (int i = 0; i < view.game_count(); ++i) {
      if (view.game_at(i) == game) view.game_row = i;
    }
    controller.choose_game(*view.game_row);
  }
  QString path(const QString& game) const { return dir.path() + "/" + game + ".xml"; }
};

TEST(FolderEditing, StartUpWritesTheShippedGamesAndLocalPages) {
  Folder f;
  EXPECT_EQ(f.view.games_list.size(), 7u);
  EXPECT_TRUE(QFile::exists(f.dir.path() + "/ad1.htm"));
  EXPECT_EQ(f.view.page, (f.dir.path() + "/ad1.htm").toStdString());
}

TEST(FolderEditing, AddedChinesePhraseReachesTheFileInGbkAndGoesAgain) {
  Folder f;
  f.view.game_name = "新游戏";
  f.controller.add_game();
  const QByteArray empty = file_bytes(f.path("新游戏"));
  f.view.phrase = "测试复制";
  f.view.action = "Ctrl+C";
  f.controller.add_phrase();
  const QByteArray entry = QByteArray("<P VALSTR=\"Ctrl+C\">+") + QByteArray("\xB2\xE2\xCA\xD4\xB8\xB4\xD6\xC6") +
                           QByteArray("</P>\r\n</L>");
  const QByteArray after_add = file_bytes(f.path("新游戏"));
  EXPECT_TRUE(after_add.contains(entry));
  EXPECT_TRUE(after_add.endsWith("</GRAMMAR>\r\n\r\n"));
  EXPECT_EQ(f.view.phrase_list, std::vector<std::string>{"测试复制(Ctrl+C)"});

  f.view.phrase_row = 0;
  f.controller.delete_phrase();
  EXPECT_EQ(file_bytes(f.path("新游戏")), empty + "\r\n");
  EXPECT_TRUE(f.view.phrase_list.empty());
}

TEST(FolderEditing, DeletingAGameAsksAndTheAnswerDecides) {
  Folder f;
  f.choose("Windows");
  QString question;
  answer_next_box(QMessageBox::No, &question);
  f.controller.delete_game();
  EXPECT_EQ(question.toStdString(), text::kConfirmDeleteGame);
  EXPECT_TRUE(QFile::exists(f.path("Windows")));

  answer_next_box(QMessageBox::Yes, nullptr);
  f.controller.delete_game();
  EXPECT_FALSE(QFile::exists(f.path("Windows")));
  EXPECT_EQ(f.view.games_list.size(), 6u);
  EXPECT_TRUE(f.controller.state().vocab_text.empty());
}

TEST(FolderEditing, ANameThatCannotBeAFileIsRefusedWithAMessage) {
  Folder f;
  QString message;
  answer_next_box(QMessageBox::Ok, &message);
  f.view.game_name = "a/b";
  f.controller.add_game();
  EXPECT_FALSE(message.isEmpty());
  EXPECT_EQ(f.view.games_list.size(), 7u);
}

}  // namespace
}  // namespace quillon
