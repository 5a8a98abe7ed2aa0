// Latin letters as Mandarin speakers say them: letter names with their tone
// patterns, words said as words, and the English phones for the fallback.

#include <gtest/gtest.h>

#include "speech/latin_readings.h"

namespace quillon {
namespace {

std::vector<std::string> joined(const std::vector<std::vector<std::string>>& readings) {
  std::vector<std::string> out;
  for (const auto& reading : readings) {
    std::string s;
    for (const auto& syllable : reading) s += (s.empty() ? "" : " ") + syllable;
    out.push_back(s);
  }
  return out;
}

TEST(LatinReadings, RunsAreSaidLetterByLetterOrAsAKnownWord) {
  const struct {
    const char* run;
    std::vector<std::string> readings;
    const char* english;
  } rows[] = {
      // Level, then the last letter falling, then all falling.
      {"PK", {"pī kēi", "pī kèi", "pì kèi"}, "P IY K EY"},
      {"pk", {"pī kēi", "pī kèi", "pì kèi"}, "P IY K EY"},
      // One letter: level and falling are all there is, then its other name.
      {"Q", {"kiū", "kiù", "qiū"}, "K Y UW"},
      {"W", {"dā bu liū", "dā bu liù", "dá bu liū"}, "D AH B AH L Y UW"},
      // Other names one letter at a time, the rest level.
      {"CS", {"xī āi si", "xī ài si", "xì ài si", "sēi āi si"}, "S IY EH S"},
      {"boss", {"bō si", "bō sī"}, "B AO S"},
      {"Boss", {"bō si", "bō sī"}, "B AO S"},
      {"", {}, ""},
      {"P1", {}, ""},
      {"é", {}, ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(joined(latin_readings(row.run)), row.readings) << row.run;
    EXPECT_EQ(latin_english_phones(row.run), row.english) << row.run;
  }
}

}  // namespace
}  // namespace quillon
