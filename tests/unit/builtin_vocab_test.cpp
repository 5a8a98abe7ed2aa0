// The seven shipped vocabularies: exact bytes around the entries, entries that
// list and read as actions, GBK both ways, and writing the missing ones never
// replacing a file.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>

#include "commands/action.h"
#include "support/vocab_samples.h"
#include "vocabulary/builtin_vocab.h"
#include "vocabulary/gbk.h"
#include "vocabulary/vocab_file.h"
#include "vocabulary/vocab_text.h"

namespace quillon {
namespace {

const std::string kHome = "file:///opt/quillon/quillon.htm";
// One shipped file has its rule tag broken over two lines.
const std::string kBrokenRuleHead = std::string(testing::kHead).insert(testing::kHead.find("TOPLEVEL"), "\r\n");

const std::pair<const char*, std::size_t> kShipped[] = {
    {"Windows.xml", 25},
    {"帝国时代2.xml", 31},
    {"封神榜.xml", 17},
    {"PowerPoint幻灯片播放.xml", 13},
    {"输入常用词汇和语句.xml", 14},
    {"点歌台.xml", 4},
    {"IE浏览器.xml", 27},
};

bool names_something(const ActionPlan& plan) {
  if (const auto* command = std::get_if<CommandPlan>(&plan)) return command->bracket_text.has_value();
  const auto& keys = std::get<KeyPlan>(plan);
  if (keys.steps.empty()) return false;
  for (const Step& step : keys.steps) {
    for (const Element& element : step.elements) {
      if (std::holds_alternative<std::monostate>(element.target)) return false;
    }
  }
  return true;
}

TEST(BuiltinVocabularies, ListExactlyTheirEntriesBetweenTheShippedHeaderAndClosing) {
  const std::vector<BuiltinVocabulary> shipped = builtin_vocabularies(kHome);
  ASSERT_EQ(shipped.size(), std::size(kShipped));
  for (std::size_t i = 0; i < shipped.size(); ++i) {
    const BuiltinVocabulary& got = shipped[i];
    SCOPED_TRACE(got.file_name);
    EXPECT_EQ(got.file_name, kShipped[i].first);
    const std::vector<VocabEntry> entries = list_entries(got.text);
    ASSERT_EQ(entries.size(), kShipped[i].second);

    // Rebuilding the text from the listed entries proves nothing else stands between them.
    std::string rebuilt = i == 3 ? kBrokenRuleHead : testing::kHead;
    for (const VocabEntry& e : entries) rebuilt += testing::entry(e.action, e.phrase);
    EXPECT_EQ(got.text, rebuilt + testing::kTail);

    std::vector<std::string> phrases;
    for (const VocabEntry& e : entries) {
      SCOPED_TRACE(e.phrase);
      EXPECT_EQ(e.action.find_first_of("\"<&"), std::string::npos);
      EXPECT_EQ(e.phrase.find_first_of("<&"), std::string::npos);
      const std::size_t open = e.action.find('[');
      if (open != std::string::npos) {
        EXPECT_EQ(e.action.find(']'), e.action.size() - 1);
      }
      EXPECT_TRUE(names_something(read_action(e.action))) << e.action;
      EXPECT_EQ(find_action(got.text, e.phrase), e.action);
      phrases.push_back(e.phrase);
    }
    std::sort(phrases.begin(), phrases.end());
    EXPECT_EQ(std::adjacent_find(phrases.begin(), phrases.end()), phrases.end()) << "duplicate phrase";
  }
}

TEST(BuiltinVocabularies, SurviveGbkBothWays) {
  for (const BuiltinVocabulary& vocabulary : builtin_vocabularies(kHome)) {
    const GbkEncoded encoded = gbk_encode(vocabulary.text);
    ASSERT_TRUE(encoded.ok) << vocabulary.file_name << ": " << encoded.message;
    const GbkDecoded decoded = gbk_decode(encoded.bytes);
    EXPECT_EQ(decoded.text, vocabulary.text) << vocabulary.file_name;
    EXPECT_EQ(decoded.bad_bytes, 0u) << vocabulary.file_name;
  }
}

TEST(BuiltinVocabularies, RuleTagOverTwoLinesEditsLikeTheOthers) {
  const std::string text = builtin_vocabularies(kHome)[3].text;
  const std::string added = insert_entry(text, "开始放映", "F5");
  EXPECT_EQ(list_entries(added).size(), 14u);
  EXPECT_EQ(list_entries(added).back().phrase, "开始放映");
  EXPECT_TRUE(added.ends_with("<P VALSTR=\"F5\">+开始放映</P>\r\n" + testing::kTail));
  const std::string removed = remove_entry(added, "下一张");
  EXPECT_EQ(list_entries(removed).front().phrase, "上一张");
  EXPECT_TRUE(removed.starts_with(kBrokenRuleHead + "<P VALSTR=\"P\">+上一张</P>\r\n"));
}

std::string bytes_of(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  const QByteArray b = file.readAll();
  return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

TEST(MissingBuiltinVocabularies, WritesOnlyTheMissingFiles) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  EXPECT_TRUE(write_missing_builtin_vocabularies(folder).empty());
  const std::vector<BuiltinVocabulary> shipped = builtin_vocabularies(local_page_url(folder, LocalPage::home));
  for (const BuiltinVocabulary& vocabulary : shipped) {
    const std::string bytes = bytes_of(dir.filePath(QString::fromStdString(vocabulary.file_name)));
    EXPECT_EQ(bytes, gbk_encode(vocabulary.text + "\r\n").bytes) << vocabulary.file_name;
    EXPECT_TRUE(bytes.ends_with("</GRAMMAR>\r\n\r\n")) << vocabulary.file_name;
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 7);

  // An edited vocabulary stays; a deleted one comes back.
  const QString edited = dir.filePath("帝国时代2.xml");
  ASSERT_EQ(write_vocab_file(edited.toStdString(), insert_entry(shipped[1].text, "投降", "Alt+F4")), std::nullopt);
  const std::string edited_bytes = bytes_of(edited);
  ASSERT_TRUE(QFile::remove(dir.filePath("点歌台.xml")));
  EXPECT_TRUE(write_missing_builtin_vocabularies(folder).empty());
  EXPECT_EQ(bytes_of(edited), edited_bytes);
  EXPECT_EQ(bytes_of(dir.filePath("点歌台.xml")), gbk_encode(shipped[5].text + "\r\n").bytes);
}

TEST(MissingBuiltinVocabularies, ReportsEachFileItCannotWrite) {
  QTemporaryDir dir;
  QFile blocker(dir.filePath("not-a-folder"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const std::vector<std::string> failures = write_missing_builtin_vocabularies(blocker.fileName().toStdString());
  ASSERT_EQ(failures.size(), 7u);
  EXPECT_NE(failures[0].find("Windows.xml"), std::string::npos);
  EXPECT_NE(failures[6].find("IE浏览器.xml"), std::string::npos);
}

TEST(LocalPages, AreWrittenWhenMissingAndNamedBySafeFileUrls) {
  QTemporaryDir dir;
  const QString odd = dir.filePath("带 \"引号\" 的[文件夹]&<x>");
  ASSERT_TRUE(QDir().mkpath(odd));
  const std::string folder = odd.toStdString();
  QFile kept(QString::fromStdString(local_page_path(folder, LocalPage::ad)));
  ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
  kept.write("mine");
  kept.close();

  EXPECT_TRUE(ensure_local_pages(folder).empty());
  EXPECT_EQ(bytes_of(kept.fileName()), "mine");
  for (const LocalPage page : {LocalPage::home, LocalPage::banner}) {
    const std::string html = bytes_of(QString::fromStdString(local_page_path(folder, page)));
    EXPECT_NE(html.find("Quillon"), std::string::npos);
    EXPECT_NE(html.find("charset=\"utf-8\""), std::string::npos);
  }
  EXPECT_EQ(local_page_path(folder, LocalPage::ad), folder + "/ad1.htm");

  for (const LocalPage page : {LocalPage::home, LocalPage::banner, LocalPage::ad}) {
    const std::string url = local_page_url(folder, page);
    EXPECT_TRUE(url.starts_with("file:///")) << url;
    EXPECT_EQ(url.find_first_of("\"]<>& "), std::string::npos) << url;
    EXPECT_EQ(QUrl(QString::fromStdString(url)).toLocalFile().toStdString(), local_page_path(folder, page));
  }
  // The address typed by "网址" is the one the pages are at.
  const std::string home = local_page_url(folder, LocalPage::home);
  EXPECT_EQ(find_action(builtin_vocabularies(home)[4].text, "网址"), "Write[" + home + "]");
}

}  // namespace
}  // namespace quillon
