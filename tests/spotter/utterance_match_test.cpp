// Whether an utterance was a command: what the recogniser read for the whole
// utterance against what the spotter heard in it.

#include <gtest/gtest.h>

#include <sstream>

#include "speech/spotter/take_hearing.h"
#include "speech/spotter/utterance_match.h"

namespace quillon {
namespace {

Tokens tokens(const std::string& text) {
  std::istringstream in(text);
  Tokens out;
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

class UtteranceMatch : public ::testing::Test {
 protected:
  void SetUp() override {
    matcher_.set_phrases({
        {"城堡", {tokens("ch éng b ǎo")}},
        {"北京", {tokens("b ěi j īng")}},
        {"背景", {tokens("b èi j ǐng")}},
        {"攻击", {tokens("g ōng j ī")}},
        {"一号部队", {tokens("y ī h ào b ù d uì")}},
        {"一号部队过来", {tokens("y ī h ào b ù d uì g uò l ái")}},
        {"除", {tokens("ch ú")}},
        {"地图", {tokens("d ì t ú"), tokens("d e t ú")}},
        {"商行", {tokens("sh āng x íng"), tokens("sh āng h áng")}},
        {"上海", {tokens("sh àng h ǎi")}},
    });
  }

  // The phrase texts matched, joined by "+", or "" for none.
  std::vector<std::size_t> indices_of(const std::vector<std::string>& texts) const {
    std::vector<std::size_t> indices;
    for (const auto& s : texts)
      for (std::size_t i = 0; i < matcher_.size(); ++i)
        if (matcher_.phrase(i).text == s) indices.push_back(i);
    return indices;
  }

  std::string match(const std::string& heard, const std::vector<std::string>& spotted) const {
    std::string out;
    for (const auto index : matcher_.match(tokens(heard), indices_of(spotted)))
      out += (out.empty() ? "" : "+") + matcher_.phrase(index).text;
    return out;
  }

  UtteranceMatcher matcher_;
};

TEST_F(UtteranceMatch, ACommandActsOnlyWhenTheUtteranceHoldsLittleElse) {
  const struct {
    const char* heard;
    std::vector<std::string> spotted;
    const char* expected;
  } rows[] = {
      {"ch éng b ǎo", {"城堡"}, "城堡"},
      {"ch èng b ǎo", {"城堡"}, "城堡"},     // a misheard tone
      {"ch éng", {"城堡"}, "城堡"},          // half heard, but spotted
      {"ēn ch éng b ǎo", {"城堡"}, "城堡"},  // a filler before
      {"ch éng b ǎo a", {"城堡"}, "城堡"},   // and after
      {"w ǒ ch éng b ǎo", {"城堡"}, ""},     // the phrase inside longer talk
      {"ch éng b ǎo z ài n ǎ l ǐ", {"城堡"}, ""},
      {"ch éng b ǎo", {}, "城堡"},  // the reading alone is exact enough
      {"ch éng b ào", {}, "城堡"},
      {"", {"城堡"}, ""},  // the recogniser heard nothing
      {"ēn", {"城堡"}, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(match(row.heard, row.spotted), row.expected) << row.heard;
}

TEST_F(UtteranceMatch, CloseSoundingPhrasesGoToTheNearestReading) {
  const struct {
    const char* heard;
    std::vector<std::string> spotted;
    const char* expected;
  } rows[] = {
      {"b ěi j īng", {"北京", "背景"}, "北京"},
      {"b èi j ǐng", {"北京", "背景"}, "背景"},
      {"b èi j īng", {"北京", "背景"}, ""},  // as near to both, tones too: a guess
      {"b èi j īng", {"背景", "北京"}, ""},
      // Without the spotter, a reading that fits both equally is a guess,
      // unless the tones, of any reading, tell them apart.
      {"b ei j ing", {}, ""},
      {"b ěi j īng", {}, "北京"},
      {"sh āng h uáng", {}, "商行"},
      {"sh àng h uǎi", {}, "上海"},
      // The spotter heard only the neighbour of the phrase read: a reading
      // that is exactly one phrase's own names it; one only near it does not,
      // unless what the spotter heard has little in common with the reading.
      {"sh āng h áng", {"上海"}, "商行"},
      {"sh āng h ang", {"上海"}, "商行"},
      {"sh āng h uáng", {"上海"}, "上海"},  // one sound from 商行, and from 上海 too
      {"g ōng q ī", {"城堡"}, "攻击"},      // nothing of 城堡 in it
      {"b ei j ing", {"城堡"}, "城堡"},     // as exactly 北京 as 背景: no telling which
  };
  for (const auto& row : rows) EXPECT_EQ(match(row.heard, row.spotted), row.expected) << row.heard;
}

TEST_F(UtteranceMatch, ShortReadingsMustBeExactWithoutTheSpotter) {
  EXPECT_EQ(match("ch ú", {}), "除");
  EXPECT_EQ(match("b ù", {}), "");  // one sound away from 除: music or talk, not a command
  EXPECT_EQ(match("b ù", {"除"}), "除");
  EXPECT_EQ(match("g ōng j ì", {}), "攻击");  // a tone may be misheard
  EXPECT_EQ(match("g ōng q ī", {}), "攻击");  // and one sound in four
  EXPECT_EQ(match("g ōng q ì", {}), "攻击");
  EXPECT_EQ(match("k ōng q ī", {}), "");
}

TEST_F(UtteranceMatch, SeveralPhrasesInARowActInOrder) {
  EXPECT_EQ(match("y ī h ào b ù d uì g ōng j ī", {"一号部队", "攻击"}), "一号部队+攻击");
  EXPECT_EQ(match("g ōng j ī ch éng b ǎo", {"攻击", "城堡"}), "攻击+城堡");
  // The longer phrase that holds the shorter one wins over the pair.
  EXPECT_EQ(match("y ī h ào b ù d uì g uò l ái", {"一号部队", "一号部队过来"}), "一号部队过来");
  EXPECT_EQ(match("y ī h ào b ù d uì", {"一号部队", "一号部队过来"}), "一号部队");
}

TEST_F(UtteranceMatch, EveryReadingOfAPolyphoneCounts) {
  EXPECT_EQ(match("d e t ú", {}), "地图");
  EXPECT_EQ(match("d ì t ú", {"地图"}), "地图");
}

TEST_F(UtteranceMatch, KnowsWhichPhrasesBeginLongerOnes) {
  std::vector<std::string> beginning;
  for (std::size_t i = 0; i < matcher_.size(); ++i)
    if (matcher_.begins_longer_phrase(i)) beginning.push_back(matcher_.phrase(i).text);
  EXPECT_EQ(beginning, std::vector<std::string>{"一号部队"});
  EXPECT_EQ(matcher_.syllable_count(4), 4u);
  EXPECT_EQ(matcher_.syllable_count(6), 1u);
}

TEST_F(UtteranceMatch, ToldApartOnlyByMisheardTonesIsInDoubt) {
  const struct {
    const char* heard;
    std::vector<std::string> spotted;
    bool in_doubt;
  } rows[] = {
      {"b ěi j īng", {}, false},
      {"b èi j ǐng", {}, false},
      {"b ěi j ìng", {}, true},          // nearer 北京 by one misheard tone
      {"ch èng b ǎo", {"城堡"}, false},  // a misheard tone, but no twin to take it for
  };
  for (const auto& row : rows) {
    const auto indices = indices_of(row.spotted);
    bool in_doubt = !row.in_doubt;
    EXPECT_FALSE(matcher_.match(tokens(row.heard), indices, &in_doubt).empty()) << row.heard;
    EXPECT_EQ(in_doubt, row.in_doubt) << row.heard;
  }
}

// Decoding stops once an utterance cannot be a command any more, so a wrong
// "no" here loses a command while it is still being said.
TEST_F(UtteranceMatch, TellsWhenAnUtteranceCanNoLongerBeACommand) {
  const struct {
    const char* heard;
    std::vector<std::string> spotted;
    bool may;
  } rows[] = {
      {"", {}, true},
      {"w ǒ m en", {}, true},                // too few syllables to judge
      {"y ī h ào b ù d uì g uò", {}, true},  // the beginning of the longest phrase
      {"y ī h ào b ù d uì g uò l ái", {"一号部队过来"}, true},
      {"y ī h ào b ù d uì g uò l ái a", {"一号部队过来"}, true},  // a filler may end it
      {"w ǒ m en q ù ch ī f àn", {}, false},                      // near no phrase that long
      {"w ǒ m en q ù ch ī f àn b a h ǎo m a", {}, false},
      {"ch éng b ǎo z ài n ǎ l ǐ y a n ǐ sh uō", {"城堡"}, false},            // longer than any phrase
      {"g ōng j ī ch éng b ǎo ch éng b ǎo", {"攻击", "城堡", "城堡"}, true},  // phrases in a row
  };
  for (const auto& row : rows) {
    const auto indices = indices_of(row.spotted);
    EXPECT_EQ(matcher_.may_become_command(tokens(row.heard), indices), row.may) << row.heard;
  }
}

TEST(TokenSyllables, PairsInitialsWithFinals) {
  const struct {
    const char* tokens;
    std::size_t syllables;
  } rows[] = {{"zh ōng g uó", 2}, {"ér", 1}, {"y ī ēn", 2}, {"P K zh èn", 3}, {"zh", 1}, {"", 0}};
  for (const auto& row : rows) EXPECT_EQ(token_syllables(tokens(row.tokens)).size(), row.syllables) << row.tokens;
}

TEST(Toneless, DropsToneMarksButKeepsTheUmlaut) {
  const struct {
    const char* in;
    const char* out;
  } rows[] = {{"ǎng", "ang"}, {"ǚ", "ü"}, {"üè", "üe"}, {"uō", "uo"}, {"ń", "n"}, {"zh", "zh"}, {"P", "P"}};
  for (const auto& row : rows) EXPECT_EQ(toneless(row.in), row.out);
}

// A take is kept only when what was read cannot become another phrase or a
// word of talk: judged before anything is taught.
TEST(TakeJudgement, KeepsOnlyReadingsSafeToListenFor) {
  const PhraseReadingsList others = {
      {"上海", {tokens("sh àng h ǎi")}},
      {"北京", {tokens("b ěi j īng")}},
      {"出", {tokens("ch ū")}},
      {"攻击", {tokens("g ōng j ī"), tokens("g ōng q ī")}},  // the second one taught
  };
  const struct {
    const char* phrase_reading;
    const char* take;
    TakeVerdict verdict;
    const char* other;
  } rows[] = {
      {"sh āng h áng", "sh āng h áng", TakeVerdict::kept, ""},  // as it is said
      {"sh āng h áng", "s ān h áng", TakeVerdict::kept, ""},    // two sounds off: this speaker's way
      {"sh āng h áng", "sh àng h ǎi", TakeVerdict::too_close, "上海"},
      {"sh āng h áng", "sh àng h ái", TakeVerdict::too_close, "上海"},
      {"b èi j ǐng", "b èi j ǐng", TakeVerdict::kept, ""},  // its tone twin is no matter when read right
      {"b èi j ǐng", "b èi j īng", TakeVerdict::too_close, "北京"},
      {"sh í b ié", "x iè x iè", TakeVerdict::kept_by_sound, ""},  // 谢谢: its reading would let talk act
      {"ch ú", "ch ú", TakeVerdict::kept, ""},
      {"ch ú", "d uì", TakeVerdict::unlike, ""},  // one syllable: any other is a word of talk
      {"ch ú", "ch ù", TakeVerdict::too_close, "出"},
      {"k ōng q ì", "g ōng q ī", TakeVerdict::too_close, "攻击"},  // what another phrase was taught
      {"sh āng h áng", "", TakeVerdict::unclear, ""},
  };
  for (const auto& row : rows) {
    const ReadingJudgement j = judge_take_reading(tokens(row.take), {tokens(row.phrase_reading)}, others);
    EXPECT_EQ(j.verdict, row.verdict) << row.take;
    EXPECT_EQ(j.other, row.other) << row.take;
  }
}

TEST(SettleDisagreement, TheSoundDecidesOnlyBetweenTwoTaughtPhrases) {
  using Match = std::vector<std::size_t>;
  const auto taught = [](std::size_t phrase) { return phrase != 3; };  // phrase 3 was never taught
  const struct {
    Match one, other;
    std::optional<std::size_t> sounded;
    Match settled;
  } rows[] = {
      {{1}, {2}, std::nullopt, {}},  // the sound says nothing clearly
      {{1}, {2}, 1, {1}},
      {{1}, {2}, 2, {2}},
      {{1}, {2}, 4, {}},  // it sounds like neither
      {{3}, {2}, 2, {}},  // how the untaught one sounds is not known
      {{2}, {3}, 2, {}},
      {{1, 2}, {2}, 2, {}},  // phrases in a row against one
  };
  for (const auto& row : rows)
    EXPECT_EQ(settle_disagreement(row.one, row.other, row.sounded, taught), row.settled)
        << row.one.front() << " / " << row.other.front();
}

}  // namespace
}  // namespace quillon
