// Vocabulary files as the speech platform would load them: which files load,
// which are refused (and that the refusal says where), and which phrases a
// loaded file yields.

#include <gtest/gtest.h>

#include <QStringEncoder>
#include <QTemporaryDir>
#include <fstream>

#include "speech/grammar_file.h"

namespace quillon {
namespace {

std::string gbk(const std::string& utf8) {
  QStringEncoder encoder("GBK");
  const QByteArray bytes = encoder.encode(QString::fromStdString(utf8));
  return bytes.toStdString();
}

const std::string kProlog = "<?xml version=\"1.0\" encoding=\"gb2312\" ?> \r\n";
const std::string kHead =
    "<GRAMMAR LANGID=\"804\">\r\n<DEFINE>\r\n<ID NAME=\"RID_Game1\" VAL=\"1001\"/>\r\n</DEFINE>\r\n"
    "<RULE NAME=\"Game1\" ID=\"RID_Game1\" TOPLEVEL=\"ACTIVE\">\r\n<L PROPNAME=\"Game1\" PROPID=\"RID_Game1\">\r\n";
const std::string kTail = "</L>\r\n</RULE>\r\n</GRAMMAR>\r\n\r\n";

std::string entry(const std::string& action, const std::string& phrase) {
  return "<P VALSTR=\"" + action + "\">+" + phrase + "</P>\r\n";
}

// A shipped-style vocabulary in GBK with the given entry lines.
std::string vocabulary(const std::string& entries) { return gbk(kProlog + kHead + entries + kTail); }

using Phrases = std::vector<std::string>;

TEST(GrammarFile, LoadsValidVocabularies) {
  struct Row {
    const char* what;
    std::string bytes;
    Phrases phrases;
  };
  const std::string broken_rule_tag =
      kProlog +
      "<GRAMMAR LANGID=\"804\">\r\n<DEFINE>\r\n<ID NAME=\"RID_Game1\" VAL=\"1001\"/>\r\n</DEFINE>\r\n"
      "<RULE NAME=\"Game1\" ID=\"RID_Game1\" \r\nTOPLEVEL=\"ACTIVE\">\r\n<L PROPNAME=\"Game1\" "
      "PROPID=\"RID_Game1\">\r\n" +
      entry("N", "下一张") + entry("P", "上一张") + kTail;
  const Row rows[] = {
      {"GBK phrases, plus inside the action",
       vocabulary(entry("Ctrl+V", "城堡") + entry("3*MRBC", "三号部队过来")),
       {"城堡", "三号部队过来"}},
      {"rule start tag over two lines", gbk(broken_rule_tag), {"下一张", "上一张"}},
      {"Latin letters and digits",
       vocabulary(entry("Ctrl+P", "切换PK阵营") + entry("Write[x]", "2002年的第一场雪")),
       {"切换PK阵营", "2002年的第一场雪"}},
      {"no entries: a new game loads", vocabulary(""), {}},
      {"escaped ampersand in the action", vocabulary(entry("openIE[http://a.cn/?x=1&amp;y=2]", "百度")), {"百度"}},
      {"declared GBK", gbk("<?xml version=\"1.0\" encoding=\"GBK\"?>" + kHead + entry("A", "攻击") + kTail), {"攻击"}},
      {"declared UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + kHead + entry("A", "攻击") + kTail, {"攻击"}},
      {"no declaration means UTF-8", kHead + entry("A", "攻击") + kTail, {"攻击"}},
      {"UTF-8 byte-order mark",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>" + kHead + entry("A", "攻击") + kTail,
       {"攻击"}},
      {"blanks around the phrase are not part of it", vocabulary("<P VALSTR=\"A\"> +城堡 </P>\r\n"), {"城堡"}},
      {"phrase without plus", vocabulary("<P VALSTR=\"A\">城堡</P>\r\n"), {"城堡"}},
      {"only the first plus is a mark", vocabulary(entry("A", "+加")), {"+加"}},
      {"case of Latin letters is kept", vocabulary(entry("A", "Go") + entry("B", "go")), {"Go", "go"}},
      {"an empty phrase is no phrase", vocabulary(entry("A", "") + entry("B", "兵营")), {"兵营"}},
      {"a repeated phrase is listed once", vocabulary(entry("A", "兵营") + entry("B", "兵营")), {"兵营"}},
      {"phrases of a rule that is not top-level are not listed",
       gbk(kProlog + kHead + entry("A", "城堡") + "</L>\r\n</RULE>\r\n<RULE NAME=\"Sub\">\r\n<L>\r\n" +
           entry("B", "马厩") + kTail),
       {"城堡"}},
  };
  for (const Row& row : rows) {
    const GrammarParse parse = parse_grammar_bytes(row.bytes);
    EXPECT_TRUE(parse.status.ok) << row.what << ": " << parse.status.error;
    EXPECT_EQ(parse.phrases, row.phrases) << row.what;
  }
}

TEST(GrammarFile, RefusesWhatThePlatformWouldRefuse) {
  struct Row {
    const char* what;
    std::string bytes;
    std::string error_part;  // the error names the problem or where it is
  };
  const Row rows[] = {
      {"unescaped ampersand in a phrase", vocabulary(entry("A", "猫&狗")), "line 8"},
      {"unescaped ampersand in the action", vocabulary(entry("openIE[http://a.cn/?x=1&y=2]", "百度")), "line 8"},
      {"less-than in a phrase", vocabulary(entry("A", "a<b")), "line 8"},
      {"quote inside the action", vocabulary(entry("Write[say \"hi\"]", "问候")), "line 8"},
      {"mismatched tags", vocabulary("<P VALSTR=\"A\">+城堡</Q>\r\n"), "line 8"},
      {"truncated file", vocabulary(entry("A", "城堡")).substr(0, 200), "line"},
      {"empty file", "", "line"},
      {"no GRAMMAR root", gbk(kProlog + "<GRAMMAR_X>\r\n<RULE/>\r\n</GRAMMAR_X>\r\n"), "GRAMMAR"},
      {"lower-case root", gbk(kProlog + "<grammar>\r\n<RULE/>\r\n</grammar>\r\n"), "GRAMMAR"},
      {"no RULE", gbk(kProlog + "<GRAMMAR LANGID=\"804\">\r\n<DEFINE/>\r\n</GRAMMAR>\r\n"), "RULE"},
      {"text after the root", vocabulary("") + "<GRAMMAR/>", "line"},
      {"undeclared encoding with GBK bytes", gbk(kHead + entry("A", "城堡") + kTail), "UTF-8"},
      {"unknown encoding", gbk("<?xml version=\"1.0\" encoding=\"koi8-q\"?>" + kHead + kTail), "koi8-q"},
      {"GBK bytes declared UTF-8",
       gbk("<?xml version=\"1.0\" encoding=\"utf-8\"?>" + kHead + entry("A", "城堡") + kTail), "utf-8"},
  };
  for (const Row& row : rows) {
    const GrammarParse parse = parse_grammar_bytes(row.bytes);
    EXPECT_FALSE(parse.status.ok) << row.what;
    EXPECT_NE(parse.status.error.find(row.error_part), std::string::npos) << row.what << ": " << parse.status.error;
    EXPECT_TRUE(parse.phrases.empty()) << row.what;
  }
}

TEST(GrammarFile, ReadsFilesAndNamesTheFileInErrors) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string good = dir.filePath(QStringLiteral("帝国时代2.xml")).toStdString();
  const std::string bad = dir.filePath(QStringLiteral("bad.xml")).toStdString();
  std::ofstream(good, std::ios::binary) << vocabulary(entry("Ctrl+V", "城堡"));
  std::ofstream(bad, std::ios::binary) << vocabulary(entry("A", "猫&狗"));

  const GrammarParse loaded = parse_grammar_file(good);
  EXPECT_TRUE(loaded.status.ok) << loaded.status.error;
  EXPECT_EQ(loaded.phrases, Phrases{"城堡"});

  const GrammarParse refused = parse_grammar_file(bad);
  EXPECT_FALSE(refused.status.ok);
  EXPECT_EQ(refused.status.error.rfind(bad, 0), 0u) << refused.status.error;

  const std::string missing = dir.filePath(QStringLiteral("missing.xml")).toStdString();
  const GrammarParse absent = parse_grammar_file(missing);
  EXPECT_FALSE(absent.status.ok);
  EXPECT_NE(absent.status.error.find("missing.xml"), std::string::npos) << absent.status.error;
}

}  // namespace
}  // namespace quillon
