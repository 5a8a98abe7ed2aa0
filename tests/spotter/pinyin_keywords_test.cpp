// Phrases to the spotter's tokens with the system's Unihan data and the
// model's real token list.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "model_location.h"
#include "speech/latin_readings.h"
#include "speech/spotter/pinyin_keywords.h"
#include "support/readings.h"

namespace quillon {
namespace {

using testing::join;

const TokenSet& model_tokens() {
  static const TokenSet tokens = [] {
    std::ifstream in(testing::models_folder() + "/" + kKwsModelName + "/tokens.txt");
    return TokenSet::parse({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
  }();
  return tokens;
}

TEST(PinyinKeywords, PhrasesBecomeValidatedTokenLines) {
  ASSERT_FALSE(model_tokens().empty()) << "model not found beside the checkout";
  const auto& readings = testing::system_readings()->get();
  ASSERT_GT(readings.size(), 20000u) << "Unihan readings (package unicode-data) missing";

  const struct {
    const char* phrase;
    const char* first;        // the usual reading; empty: unsupported
    const char* alternative;  // another line that must be offered, if any
  } rows[] = {
      {"城堡", "ch éng b ǎo", nullptr},
      {"三号部队过来", "s ān h ào b ù d uì g uò l ái", nullptr},
      {"兵营", "b īng y íng", nullptr},
      {"女儿", "n ǚ ér", nullptr},
      {"2002年", "èr l íng l íng èr n ián", nullptr},
      {"12号", "sh í èr h ào", nullptr},
      {"三号，部队", "s ān h ào b ù d uì", nullptr},  // punctuation and spaces are not spoken
      {"地图右移", "d e t ú y òu y í", "d ì t ú y òu y í"},
      {"长城", "zh ǎng ch éng", "ch áng ch éng"},
      {"音乐", "y īn l è", "y īn y uè"},
      {"切换PK阵营", "q iè h uàn p ī k ēi zh èn y íng", "q iē h uàn p ī k ēi zh èn y íng"},
      {"一键AOE", "y ī j iàn ēi ōu y ī", "y ī j iàn ēi ōu y ì"},  // a run said alone ends falling
      {"3D", "s ān d ī", "s ān D"},                               // the model's own letter tokens, last
      {"按Ｆ", "àn āi f u", "àn ài f u"},                         // full-width letters as ASCII
      {"Qq", "k iū k iū", "q iū k iū"},                           // case alike; Q's other name
      {"打boss", "d ǎ b ō s i", nullptr},                         // a word said as a word
      {"C++", "x ī", "s ēi"},                                     // symbols between letters are not said
      {"☆键", "", nullptr},                                       // no reading at all
      {"あ", "", nullptr},                                        // no Mandarin reading
      {"﹏﹏", "", nullptr},                                      // nothing to say at all
  };
  for (const auto& row : rows) {
    const auto k = phrase_keywords(row.phrase, readings, model_tokens());
    if (!*row.first) {
      EXPECT_FALSE(k.supported()) << row.phrase;
      EXPECT_FALSE(k.unsupported_reason.empty()) << row.phrase;
      continue;
    }
    ASSERT_TRUE(k.supported()) << row.phrase << ": " << k.unsupported_reason;
    EXPECT_EQ(join(k.lines.front()), row.first) << row.phrase;
    if (row.alternative) {
      bool offered = false;
      for (const auto& line : k.lines) offered = offered || join(line) == row.alternative;
      EXPECT_TRUE(offered) << row.phrase << " lacks " << row.alternative;
    }
    for (const auto& line : k.lines)
      for (const auto& token : line) EXPECT_TRUE(model_tokens().contains(token)) << row.phrase << ": " << token;
  }
}

TEST(PinyinKeywords, EveryLetterAndWordKeepsAllItsReadings) {
  // A reading with a token the model lacks would be dropped without a word.
  ASSERT_FALSE(model_tokens().empty()) << "model not found beside the checkout";
  std::vector<std::string> runs = {"boss", "buff"};
  for (char c = 'A'; c <= 'Z'; ++c) runs.emplace_back(1, c);
  for (const auto& run : runs) {
    const auto k = phrase_keywords(run, testing::system_readings()->get(), model_tokens());
    EXPECT_EQ(k.lines.size(), latin_readings(run).size() + 1) << run;  // and the letter tokens
  }
}

TEST(PinyinKeywords, PolyphoneCombinationsAreCapped) {
  // Every character here has several modern readings.
  const auto k = phrase_keywords("长行重乐了地", testing::system_readings()->get(), model_tokens());
  ASSERT_TRUE(k.supported());
  EXPECT_EQ(k.lines.size(), kMaxKeywordLines);
  EXPECT_EQ(keyword_line(k.lines.front(), "7").substr(0, 3), "zh ");
  EXPECT_EQ(keyword_line({"n", "ǚ", "ér"}, "3"), "n ǚ ér @3");
}

}  // namespace
}  // namespace quillon
