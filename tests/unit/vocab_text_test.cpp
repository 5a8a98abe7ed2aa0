// Text operations on vocabulary files: the entry scan, look-up, insertion and
// removal, on well-formed and broken texts.

#include <gtest/gtest.h>

#include "support/vocab_samples.h"
#include "vocabulary/vocab_text.h"

namespace quillon {
namespace {

using testing::entry;
using testing::kHead;
using testing::kTail;

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries listed(const std::string& text) {
  Entries out;
  for (const VocabEntry& e : list_entries(text)) out.emplace_back(e.phrase, e.action);
  return out;
}

TEST(ListEntries, ReadsEveryEntryInFileOrder) {
  struct Row {
    const char* what;
    std::string text;
    Entries expected;
  };
  const Row rows[] = {
      {"empty vocabulary", kHead + kTail, {}},
      {"plus inside the action",
       kHead + entry("Ctrl+V", "城堡") + entry("A+B+C", "三") + kTail,
       {{"城堡", "Ctrl+V"}, {"三", "A+B+C"}}},
      {"duplicate phrases", kHead + entry("A", "攻击") + entry("B", "攻击") + kTail, {{"攻击", "A"}, {"攻击", "B"}}},
      {"rule tag over two lines",
       "<RULE NAME=\"Game1\" ID=\"RID_Game1\" \r\nTOPLEVEL=\"ACTIVE\">\r\n" + entry("N", "下一张") + kTail,
       {{"下一张", "N"}}},
      {"empty phrase and action", kHead + entry("", "") + kTail, {{"", ""}}},
      {"missing closing quote ends the scan",
       kHead + entry("A", "一") + "<P VALSTR=\"B>+二</P>\r\n" + kTail,
       {{"一", "A"}}},
      {"no quotes at all", "<P VALSTR=>+x</P>", {}},
      {"missing plus", "<P VALSTR=\"A\">x</P>", {}},
      {"missing less-than", "<P VALSTR=\"A\">+x", {}},
      {"start tag alone", "<P VALSTR=", {}},
      {"lower-case tag is not an entry", "<p valstr=\"A\">+x</p>", {}},
  };
  for (const Row& row : rows) EXPECT_EQ(listed(row.text), row.expected) << row.what;
}

TEST(FindAction, TakesTheQuotesBeforeTheFirstExactPhrase) {
  const std::string text = kHead + entry("3", "三号部队") + entry("3*MRBC", "三号部队过来") + entry("A", "攻击") +
                           entry("B", "攻击") + entry("X", "Abc") + kTail;
  struct Row {
    const char* phrase;
    std::optional<std::string> action;
  };
  const Row rows[] = {
      {"三号部队", "3"}, {"三号部队过来", "3*MRBC"}, {"攻击", "A"}, {"号部队", std::nullopt}, {"abc", std::nullopt},
      {"Abc", "X"},      {"", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(find_action(text, row.phrase), row.action) << row.phrase;
  EXPECT_EQ(find_action("+x<", "x"), std::nullopt);
  EXPECT_EQ(find_action("\"+x<", "x"), std::nullopt);
  EXPECT_EQ(find_action("\"\"+x<", "x"), "");
}

TEST(InsertEntry, GoesBeforeEveryListEnd) {
  EXPECT_EQ(insert_entry(kHead + kTail, "城堡", "Ctrl+V"), kHead + entry("Ctrl+V", "城堡") + kTail);
  EXPECT_EQ(insert_entry("</L>\r\n</L>\r\n", "a", "b"), entry("b", "a") + "</L>\r\n" + entry("b", "a") + "</L>\r\n");
  EXPECT_EQ(insert_entry("no list end", "a", "b"), "no list end");
  EXPECT_EQ(insert_entry("</L></L>", "p", "</L>"),
            "<P VALSTR=\"</L>\">+p</P>\r\n</L><P VALSTR=\"</L>\">+p</P>\r\n</L>");
}

TEST(RemoveEntry, CutsTheLineAndTheLineEndBeforeIt) {
  const std::string text = kHead + entry("A", "攻击") + entry("B", "攻击") + entry("Y", "Yes") + kTail;
  EXPECT_EQ(remove_entry(text, "攻击"), kHead + entry("B", "攻击") + entry("Y", "Yes") + kTail);
  EXPECT_EQ(remove_entry(text, "Yes"), kHead + entry("A", "攻击") + entry("B", "攻击") + kTail);
  EXPECT_EQ(remove_entry(text, "yes"), text);
  EXPECT_EQ(remove_entry("<P VALSTR=\"A\">+x</P>\r\nrest", "x"), "\r\nrest");
  EXPECT_EQ(remove_entry("a\r\n<P VALSTR=\"A\">+x</P>", "x"), "a");
}

TEST(ListItem, RoundTripsUpToTheFirstParenthesis) {
  EXPECT_EQ(list_item({"关闭程序", "Alt+F4"}), "关闭程序(Alt+F4)");
  struct Row {
    const char* item;
    const char* phrase;
    const char* action;
  };
  const Row rows[] = {
      {"关闭程序(Alt+F4)", "关闭程序", "Alt+F4"},
      {"说(Write[a)b])", "说", "Write[a"},
      {"a(b)(c)", "a", "b"},
      {"noparen", "noparen", ""},
      {"x)y(z", "x)y", ""},
  };
  for (const Row& row : rows) {
    const VocabEntry e = parse_list_item(row.item);
    EXPECT_EQ(e.phrase, row.phrase) << row.item;
    EXPECT_EQ(e.action, row.action) << row.item;
  }
}

}  // namespace
}  // namespace quillon
