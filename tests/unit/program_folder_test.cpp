// The program folder, the game list found in it, and making a new game's file.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "vocabulary/game_file.h"
#include "vocabulary/program_folder.h"
#include "vocabulary/vocab_file.h"
#include "vocabulary/vocab_text.h"

namespace quillon {
namespace {

void touch(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(ProgramFolder, ChosenFolderWinsAndIsCreated) {
  QTemporaryDir dir;
  const std::string chosen = (dir.path() + "/a/b").toStdString();
  EXPECT_EQ(resolve_program_folder(chosen, dir.path().toStdString()), chosen);
  EXPECT_TRUE(QDir(QString::fromStdString(chosen)).exists());
}

TEST(ProgramFolder, ExecutableFolderWhenWritableElseTheDataFolder) {
  QTemporaryDir exe;
  EXPECT_EQ(resolve_program_folder("", exe.path().toStdString()), exe.path().toStdString());

  QTemporaryDir data;
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
  // A path below a regular file cannot be written, not even by root.
  touch(exe.filePath("file"));
  const std::string unwritable = resolve_program_folder("", exe.filePath("file/bin").toStdString());
  // The bin folder of an installation belongs to the package manager, even
  // for root, who may write there.
  ASSERT_TRUE(QDir(exe.path()).mkpath("usr/bin") && QDir(exe.path()).mkpath("usr/share/quillon"));
  const std::string installed = resolve_program_folder("", exe.filePath("usr/bin").toStdString());
  if (saved.isNull()) {
    qunsetenv("XDG_DATA_HOME");
  } else {
    qputenv("XDG_DATA_HOME", saved);
  }
  EXPECT_EQ(unwritable, (data.path() + "/quillon").toStdString());
  EXPECT_EQ(installed, (data.path() + "/quillon").toStdString());
  EXPECT_TRUE(QDir(data.path() + "/quillon").exists());
}

TEST(GameList, ListsXmlFilesOfAnyCaseInAStableOrder) {
  QTemporaryDir dir;
  for (const char* name : {"帝国时代2.xml", "Windows.xml", "upper.XML", "mixed.Xml", "apple.xml", ".xml", "notes.txt",
                           "xml", "a.xml.bak", "Zebra.xml", ".hidden.xml", "apple.XML"}) {
    touch(dir.filePath(QString::fromUtf8(name)));
  }
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.xml"));
  const std::vector<std::string> expected = {".hidden", "apple", "mixed", "upper", "Windows", "Zebra", "帝国时代2"};
  EXPECT_EQ(list_games(dir.path().toStdString()), expected);
}

TEST(GameList, FilePathFollowsTheExtensionOnDisk) {
  QTemporaryDir dir;
  touch(dir.filePath("upper.XML"));
  touch(dir.filePath("plain.xml"));
  const std::string folder = dir.path().toStdString();
  EXPECT_EQ(game_file_path(folder, "upper"), folder + "/upper.XML");
  EXPECT_EQ(game_file_path(folder, "plain"), folder + "/plain.xml");
  EXPECT_EQ(game_file_path(folder, "新游戏"), folder + "/新游戏.xml");
}

TEST(GameName, RefusesWhatCannotBeAFileNameOnEitherPlatform) {
  struct Row {
    std::string name;
    bool refused;
  };
  const Row rows[] = {
      {"帝国时代2", false},
      {"Space Pilots II", false},
      {"CON", true},
      {"con", true},
      {"Nul.txt", true},
      {"COM1", true},
      {"lpt9", true},
      {"COM0", false},
      {"COM10", false},
      {"CONSOLE", false},
      {"AUX .x", true},
      {"a/b", true},
      {"a\\b", true},
      {"a:b", true},
      {"a*", true},
      {"a?", true},
      {"\"a\"", true},
      {"<a>", true},
      {"a|b", true},
      {"a\tb", true},
      {"a\nb", true},
      {"a\x7F", true},
      {"a\xC2\x85", true},
      {"a\xC2\xA0"
       "b",
       false},
      {std::string("a\0b", 3), true},
      {".", true},
      {"..", true},
      {"...", false},
      {".hidden", false},
      {std::string(200, 'x'), false},
      {std::string(201, 'x'), true},
      {"", true},
  };
  for (const Row& row : rows) EXPECT_EQ(game_name_problem(row.name).has_value(), row.refused) << row.name;
}

TEST(NewGame, WritesAnEmptyVocabularyReadyForEntries) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const NewGameResult made = make_game_file(folder, "新游戏");
  ASSERT_EQ(made.outcome, NewGame::made) << made.message;
  const std::string path = folder + "/新游戏.xml";
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().toStdString(),
            "<?xml version=\"1.0\" encoding=\"gb2312\" ?> \r\n<GRAMMAR LANGID=\"804\">\r\n<DEFINE>\r\n"
            "<ID NAME=\"RID_Game1\" VAL=\"1001\"/>\r\n</DEFINE>\r\n"
            "<RULE NAME=\"Game1\" ID=\"RID_Game1\" TOPLEVEL=\"ACTIVE\">\r\n"
            "<L PROPNAME=\"Game1\" PROPID=\"RID_Game1\">\r\n</L>\r\n</RULE>\r\n</GRAMMAR>\r\n");
  const VocabRead read = read_vocab_file(path);
  EXPECT_TRUE(list_entries(read.text).empty());
  EXPECT_EQ(list_entries(insert_entry(read.text, "开火", "Ctrl")).size(), 1u);
  EXPECT_EQ(list_games(folder), std::vector<std::string>{"新游戏"});
}

TEST(NewGame, NeverReplacesAnExistingGame) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  for (const char* file : {"旧游戏.xml", "Shouting.XML"}) {
    QFile existing(dir.filePath(QString::fromUtf8(file)));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("mine");
  }
  for (const char* name : {"旧游戏", "Shouting"}) {
    EXPECT_EQ(make_game_file(folder, name).outcome, NewGame::exists) << name;
  }
  QFile existing(dir.filePath("旧游戏.xml"));
  ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
  EXPECT_EQ(existing.readAll(), "mine");
}

TEST(NewGame, RefusedAndFailedCarryAMessage) {
  QTemporaryDir dir;
  const NewGameResult refused = make_game_file(dir.path().toStdString(), "a/b");
  EXPECT_EQ(refused.outcome, NewGame::refused);
  EXPECT_FALSE(refused.message.empty());
  touch(dir.filePath("file"));
  const NewGameResult failed = make_game_file(dir.filePath("file").toStdString(), "游戏");
  EXPECT_EQ(failed.outcome, NewGame::failed);
  EXPECT_NE(failed.message.find("游戏.xml"), std::string::npos);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

}  // namespace
}  // namespace quillon
