// Vocabulary files on disk: GBK bytes, the one extra line end of each write,
// and writes that either replace the whole file or leave it as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/vocab_samples.h"
#include "vocabulary/atomic_file.h"
#include "vocabulary/vocab_file.h"
#include "vocabulary/vocab_text.h"

namespace quillon {
namespace {

using testing::kHead;
using testing::kTail;

std::string bytes_of(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  const QByteArray b = file.readAll();
  return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

void put(const std::string& path, const std::string& bytes) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QStringList files_in(const QTemporaryDir& dir) {
  return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

class VocabFile : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string path = (dir.path() + "/游戏.xml").toStdString();
};

TEST_F(VocabFile, WritesGbkWithOneMoreLineEndAndReadsItBack) {
  const std::string text = kHead + "<P VALSTR=\"Ctrl+V\">+城堡</P>\r\n" + kTail;
  ASSERT_EQ(write_vocab_file(path, text), std::nullopt);
  const std::string bytes = bytes_of(path);
  EXPECT_NE(bytes.find("+\xB3\xC7\xB1\xA4<"), std::string::npos);
  EXPECT_TRUE(bytes.ends_with("</GRAMMAR>\r\n\r\n"));
  const VocabRead read = read_vocab_file(path);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.text, text + "\r\n");
  EXPECT_EQ(read.bad_bytes, 0u);
}

TEST_F(VocabFile, EachLoadAndEditAddsExactlyOneLineEnd) {
  ASSERT_EQ(write_gbk_file(path, kHead + kTail), std::nullopt);
  using Edit = std::string (*)(const std::string&);
  const Edit edits[] = {
      [](const std::string& t) { return insert_entry(t, "城堡", "Ctrl+V"); },
      [](const std::string& t) { return insert_entry(t, "攻击", "A"); },
      [](const std::string& t) { return remove_entry(t, "城堡"); },
      [](const std::string& t) { return remove_entry(t, "不在词汇里"); },
  };
  for (Edit edit : edits) {
    const VocabRead read = read_vocab_file(path);
    ASSERT_TRUE(read.ok);
    const std::string edited = edit(read.text);
    ASSERT_EQ(write_vocab_file(path, edited), std::nullopt);
    EXPECT_EQ(read_vocab_file(path).text, edited + "\r\n");
  }
  const std::string final_text = read_vocab_file(path).text;
  EXPECT_TRUE(final_text.ends_with("</GRAMMAR>\r\n\r\n\r\n\r\n\r\n"));
  EXPECT_FALSE(final_text.ends_with("</GRAMMAR>\r\n\r\n\r\n\r\n\r\n\r\n"));
  EXPECT_EQ(list_entries(final_text).size(), 1u);
}

TEST_F(VocabFile, BadBytesReadAsReplacementAndAreWrittenAsQuestionMarks) {
  put(path, kHead + "<P VALSTR=\"A\">+\xB3\xC7\xC4</P>\r\n" + kTail);
  const VocabRead read = read_vocab_file(path);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.bad_bytes, 1u);
  EXPECT_EQ(list_entries(read.text).at(0).phrase, "城\xEF\xBF\xBD");
  EXPECT_NE(bad_bytes_warning(path).find("游戏.xml"), std::string::npos);
  ASSERT_EQ(write_vocab_file(path, read.text), std::nullopt);
  EXPECT_NE(bytes_of(path).find("+\xB3\xC7?</P>"), std::string::npos);
}

TEST_F(VocabFile, RefusedTextLeavesTheFileUntouched) {
  const std::string old = kHead + kTail;
  put(path, old);
  const auto error = write_vocab_file(path, insert_entry(old, "笑脸😀", "A"));
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("😀"), std::string::npos);
  EXPECT_EQ(bytes_of(path), old);
  EXPECT_EQ(files_in(dir), QStringList{"游戏.xml"});
}

TEST_F(VocabFile, FailedReplacementLeavesTheOldBytesAndNoTemporaryFile) {
  put(path, "old bytes");
  const RenameStep failing = [](const std::string&, const std::string&) { return false; };
  EXPECT_TRUE(replace_file(path, "new bytes", failing).has_value());
  EXPECT_EQ(bytes_of(path), "old bytes");
  EXPECT_EQ(files_in(dir), QStringList{"游戏.xml"});
}

TEST_F(VocabFile, ReplacementKeepsTheFileMode) {
  put(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(replace_file(path, "new"), std::nullopt);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(bytes_of(path), "new");
}

TEST_F(VocabFile, ReadOnlyFolderReportsTheFileAndKeepsIt) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  put(path, "old");
  ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0555), 0);
  const auto error = write_vocab_file(path, kHead + kTail);
  ::chmod(dir.path().toLocal8Bit().constData(), 0755);
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("游戏.xml"), std::string::npos);
  EXPECT_EQ(bytes_of(path), "old");
}

TEST_F(VocabFile, UnreachableFilesAreReportedByName) {
  put((dir.path() + "/file").toStdString(), "x");
  const std::string inside_a_file = (dir.path() + "/file/游戏.xml").toStdString();
  const auto write_error = write_vocab_file(inside_a_file, kHead + kTail);
  ASSERT_TRUE(write_error.has_value());
  EXPECT_NE(write_error->find("游戏.xml"), std::string::npos);
  const VocabRead read = read_vocab_file((dir.path() + "/没有.xml").toStdString());
  EXPECT_FALSE(read.ok);
  EXPECT_NE(read.error.find("没有.xml"), std::string::npos);
}

}  // namespace
}  // namespace quillon
