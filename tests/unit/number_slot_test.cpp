// Phrases with a number slot: what counts as a slot, how each number is said,
// which texts engines are given, and which entry a heard text runs.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "support/vocab_samples.h"
#include "vocabulary/number_slot.h"

namespace quillon {
namespace {

using testing::entry;
using testing::vocabulary;
using Texts = std::vector<std::string>;

TEST(NumberSlot, OnlyOneWellFormedRangeIsASlot) {
  struct Row {
    const char* phrase;
    std::optional<std::pair<int, int>> range;
    bool bracket;
  };
  const Row rows[] = {
      {"[1-9]号部队过来", std::pair{1, 9}, true},
      {"第[1-99]张", std::pair{1, 99}, true},
      {"选择[0-1]", std::pair{0, 1}, true},
      {"三号部队", std::nullopt, false},
      {"[5-5]号", std::nullopt, true},
      {"[9-1]号", std::nullopt, true},
      {"[1-100]号", std::nullopt, true},
      {"[-1-9]号", std::nullopt, true},
      {"[1 - 9]号", std::nullopt, true},
      {"[1-9][1-9]号", std::nullopt, true},
      {"[1-9号", std::nullopt, true},
      {"]1-9[号", std::nullopt, true},
      {"[一-九]号", std::nullopt, true},
  };
  for (const Row& row : rows) {
    const auto slot = number_slot(row.phrase);
    EXPECT_EQ(slot ? std::optional(std::pair{slot->first, slot->last}) : std::nullopt, row.range) << row.phrase;
    EXPECT_EQ(has_bracket(row.phrase), row.bracket) << row.phrase;
  }
}

TEST(NumberSlot, NumbersAreSaidTheChineseWay) {
  const std::pair<int, const char*> said[] = {{0, "零"},    {2, "二"},    {10, "十"},     {11, "十一"},
                                              {19, "十九"}, {20, "二十"}, {35, "三十五"}, {99, "九十九"}};
  for (const auto& [n, text] : said) EXPECT_EQ(chinese_number(n), text) << n;

  // The engines read digits this way too (spell_digits); full-width digits count.
  const std::pair<const char*, const char*> phrases[] = {
      {"3号部队", "三号部队"}, {"第12张", "第十二张"}, {"３D", "三D"}, {"05号", "零五号"}, {"没有数字", "没有数字"}};
  for (const auto& [written, spoken] : phrases) EXPECT_EQ(said_with_numbers(written), spoken) << written;
}

// Every number of the widest range is said one way (two for 2), and each
// saying leads back to its number and to no other.
TEST(NumberSlot, EveryExpansionLeadsBackToItsNumber) {
  const std::string phrase = "第[0-99]张";
  const NumberSlot slot = *number_slot(phrase);
  const std::vector<SaidNumber> expansions = slot_expansions(phrase, slot);
  ASSERT_EQ(expansions.size(), 101u);
  std::set<std::string> texts;
  for (const SaidNumber& said : expansions) {
    texts.insert(said.text);
    EXPECT_EQ(number_said(phrase, slot, said.text), said.number) << said.text;
  }
  EXPECT_EQ(texts.size(), expansions.size());
  EXPECT_EQ(expansions[2].text, "第二张");
  EXPECT_EQ(expansions[3].text, "第两张");
  EXPECT_EQ(expansions[3].number, 2);
}

TEST(NumberSlot, TextsOutsideTheRangeOrThePhraseSayNoNumber) {
  struct Row {
    const char* phrase;
    const char* said;
    std::optional<int> number;
  };
  const Row rows[] = {
      {"选择[1-9]号部队", "选择三号部队", 3},
      {"选择[1-9]号部队", "选择十号部队", std::nullopt},
      {"选择[1-9]号部队", "选择零号部队", std::nullopt},
      {"选择[1-9]号部队", "选择号部队", std::nullopt},
      {"选择[1-9]号部队", "三号部队", std::nullopt},
      {"选择[1-9]号部队", "选择3号部队", std::nullopt},
      {"[2-8]倍速度", "两倍速度", 2},
      {"[3-8]倍速度", "两倍速度", std::nullopt},
      {"第[1-99]张", "第十二张", 12},
      {"第[1-99]张", "第一十二张", std::nullopt},
      {"第[1-99]张", "第两十张", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(number_said(row.phrase, *number_slot(row.phrase), row.said), row.number) << row.said;
  }
}

TEST(NumberSlot, EveryMarkInTheActionBecomesTheNumber) {
  EXPECT_EQ(with_number("{n}*MRBC", 3), "3*MRBC");
  EXPECT_EQ(with_number("Write[{n}{n}]*Enter", 12), "Write[1212]*Enter");
  EXPECT_EQ(with_number("Ctrl+N", 5), "Ctrl+N");
  EXPECT_EQ(with_number("{N}{n", 5), "{N}{n");
}

TEST(PhrasesToHear, PlainPhrasesAndEarlierSlotsKeepWhatTheySay) {
  struct Row {
    const char* what;
    Texts phrases;
    Texts said;
    std::vector<std::size_t> written;
    Texts unsayable;
  };
  const Row rows[] = {
      {"plain phrases as written", {"城堡", "3D"}, {"城堡", "3D"}, {0, 1}, {}},
      {"a slot expanded in place",
       {"城堡", "[1-3]号", "兵营"},
       {"城堡", "一号", "二号", "两号", "三号", "兵营"},
       {0, 1, 1, 1, 1, 2},
       {}},
      {"a plain phrase after the slot still wins",
       {"[1-3]号", "二号", "3号"},
       {"一号", "两号", "二号", "3号"},
       {0, 0, 1, 2},
       {}},
      {"the earlier slot wins", {"[1-2]号", "[2-3]号"}, {"一号", "二号", "两号", "三号"}, {0, 0, 0, 1}, {}},
      {"brackets that are no slot", {"[1-100]号", "城堡"}, {"城堡"}, {1}, {"[1-100]号"}},
  };
  for (const Row& row : rows) {
    const HeardPhrases heard = phrases_to_hear(row.phrases);
    Texts acting;
    std::vector<std::size_t> written;
    for (std::size_t k = 0; k < heard.said.size(); ++k) {
      if (!heard.acts[k]) continue;
      acting.push_back(heard.said[k]);
      written.push_back(heard.written[k]);
    }
    EXPECT_EQ(acting, row.said) << row.what;
    EXPECT_EQ(written, row.written) << row.what;
    EXPECT_EQ(heard.unsayable, row.unsayable) << row.what;
  }
}

// Engines also hear the numbers outside a slot's range that could be taken for
// one in it (a syllable more or less), so that 十 is not heard as the nearest
// number in range; those come last and do nothing.
TEST(PhrasesToHear, NumbersNearTheRangeAreHeardAndDoNothing) {
  const auto silent = [](const Texts& phrases) {
    const HeardPhrases heard = phrases_to_hear(phrases);
    Texts texts;
    for (std::size_t k = 0; k < heard.said.size(); ++k) {
      if (!heard.acts[k]) texts.push_back(heard.said[k]);
    }
    // After every text that acts.
    EXPECT_TRUE(std::is_partitioned(heard.acts.begin(), heard.acts.end(), [](bool acts) { return acts; }));
    return texts;
  };
  // 一 … 九 act through the second slot and 十倍 is a plain phrase; three
  // syllables (二十一) are too far from one.
  const Texts near_one = silent({"[3-8]倍", "十倍", "[1-9]倍"});
  ASSERT_EQ(near_one.size(), 18u);
  EXPECT_EQ(near_one.front(), "零倍");
  EXPECT_EQ(near_one[1], "十一倍");
  EXPECT_EQ(near_one.back(), "九十倍");

  const Texts near_three = silent({"[21-29]号"});
  EXPECT_EQ(std::count(near_three.begin(), near_three.end(), "一号"), 0);
  EXPECT_EQ(std::count(near_three.begin(), near_three.end(), "二十号"), 1);
  EXPECT_EQ(std::count(near_three.begin(), near_three.end(), "九十九号"), 1);
  EXPECT_EQ(silent({"第[0-99]张"}), Texts{});
}

TEST(EntryHeard, FindsThePlainPhraseThenTheSlotWithItsNumber) {
  const std::string text =
      vocabulary(entry("{n}*MRBC", "[1-9]号部队过来") + entry("Q", "3号部队过来") + entry("Ctrl+{n}", "[2-8]倍速度") +
                 entry("X", "五倍速度") + entry("{n}", "[1-20]号") + entry("Y", "[5-9]号"));
  struct Row {
    const char* heard;
    std::optional<std::string> phrase;
    std::string action;
    std::optional<int> number;
  };
  const Row rows[] = {
      {"一号部队过来", "[1-9]号部队过来", "{n}*MRBC", 1},
      {"三号部队过来", "3号部队过来", "Q", std::nullopt},
      {"3号部队过来", "3号部队过来", "Q", std::nullopt},
      {"十号部队过来", std::nullopt, "", std::nullopt},
      {"两倍速度", "[2-8]倍速度", "Ctrl+{n}", 2},
      {"五倍速度", "五倍速度", "X", std::nullopt},
      {"七号", "[1-20]号", "{n}", 7},
      {"[1-9]号部队过来", std::nullopt, "", std::nullopt},
      {"号部队过来", std::nullopt, "", std::nullopt},
  };
  for (const Row& row : rows) {
    const std::optional<HeardEntry> found = entry_heard(text, row.heard);
    ASSERT_EQ(found.has_value(), row.phrase.has_value()) << row.heard;
    if (!found) continue;
    EXPECT_EQ(found->phrase, *row.phrase) << row.heard;
    EXPECT_EQ(found->action, row.action) << row.heard;
    EXPECT_EQ(found->number, row.number) << row.heard;
  }
}

TEST(Overlaps, TheEditorLearnsWhatOtherPhrasesAlreadySay) {
  const Texts earlier = {"三号部队", "[1-2]号部队", "城堡"};
  EXPECT_EQ(expansions_said_before("[1-4]号部队", earlier), (Texts{"一号部队", "二号部队", "两号部队", "三号部队"}));
  EXPECT_EQ(expansions_said_before("[5-9]号部队", earlier), Texts{});
  EXPECT_EQ(expansions_said_before("城堡", earlier), Texts{});

  const Texts phrases = {"[1-2]号部队", "[1-9]号部队", "第[1-99]张", "城堡"};
  EXPECT_EQ(slots_saying("两号部队", phrases), (Texts{"[1-2]号部队", "[1-9]号部队"}));
  EXPECT_EQ(slots_saying("第12张", phrases), Texts{"第[1-99]张"});
  EXPECT_EQ(slots_saying("十号部队", phrases), Texts{});
}

// The Windows speech platform reads the file itself: it is given a copy in
// which each slot entry is one entry per text to hear, in the file's form.
TEST(VocabularyAsSaid, SlotEntriesBecomeAnEntryPerTextToHear) {
  struct Row {
    const char* what;
    std::string entries;
    std::optional<std::string> said;
    Texts unsayable;
  };
  const Row rows[] = {
      {"no brackets: the file as it is", entry("A", "城堡") + entry("3", "3号"), std::nullopt, {}},
      {"a slot between plain entries; what a plain entry says stays with it; a repeated slot says nothing",
       entry("A", "城堡") + entry("X", "第2张") + entry("{n}*Enter", "第[0-99]张") + entry("Y", "第[0-99]张") +
           entry("B", "兵营"),
       [] {
         std::string said = entry("A", "城堡") + entry("X", "第2张");
         for (int n = 0; n <= 99; ++n) said += entry("{n}*Enter", "第" + (n == 2 ? "两" : chinese_number(n)) + "张");
         return said + "\r\n" + entry("B", "兵营");
       }(),
       {}},
      {"brackets that are no slot are left out",
       entry("A", "[1-100]号") + entry("B", "城堡"),
       "\r\n" + entry("B", "城堡"),
       {"[1-100]号"}},
  };
  for (const Row& row : rows) {
    const std::optional<SaidVocabulary> said = vocabulary_as_said(vocabulary(row.entries));
    ASSERT_EQ(said.has_value(), row.said.has_value()) << row.what;
    if (!said) continue;
    EXPECT_EQ(said->text, vocabulary(*row.said)) << row.what;
    EXPECT_EQ(said->unsayable, row.unsayable) << row.what;
  }
}

}  // namespace
}  // namespace quillon
