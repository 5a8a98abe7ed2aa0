// How phrases are said: Unihan's fields, digits, and syllables split into
// initial and final.

#include <gtest/gtest.h>

#include "speech/pinyin_readings.h"
#include "support/readings.h"

namespace quillon {
namespace {

using testing::join;

TEST(PinyinReadings, DigitsAreSpokenAsChinese) {
  const struct {
    std::u32string in, out;
  } rows[] = {
      {U"2002年", U"二零零二年"},
      {U"12号", U"十二号"},
      {U"10", U"十"},
      {U"20", U"二十"},
      {U"35", U"三十五"},
      {U"05", U"零五"},
      {U"7", U"七"},
      {U"100", U"一零零"},
      {U"第1和第22", U"第一和第二十二"},
  };
  for (const auto& row : rows) EXPECT_TRUE(spell_digits(row.in) == row.out);
}

TEST(PinyinReadings, SyllablesSplitIntoInitialAndFinal) {
  const struct {
    const char* syllable;
    const char* tokens;
  } rows[] = {{"zhōng", "zh ōng"}, {"chéng", "ch éng"}, {"shì", "sh ì"}, {"yíng", "y íng"}, {"wǔ", "w ǔ"},
              {"lüè", "l üè"},     {"ér", "ér"},        {"ā", "ā"},      {"nǚ", "n ǚ"}};
  for (const auto& row : rows) EXPECT_EQ(join(split_syllable(row.syllable)), row.tokens) << row.syllable;
}

TEST(PinyinReadings, ReadingsComeFromUnihanFields) {
  const auto r = PinyinReadings::parse(
      "# comment\nU+5730\tkHanyuPinyin\t10420.120:dì,de\nU+5730\tkMandarin\tde dì\n"
      "U+5730\tkXHC1983\t0224.030:de 0235.050:dì\nU+957F\tkMandarin\tzhǎng\nU+957F\tkXHC1983\t0121.040:cháng "
      "1456.020:zhǎng\nU+4E00\tkDefinition\tone\n");
  ASSERT_NE(r.find(U'地'), nullptr);
  EXPECT_EQ(*r.find(U'地'), (std::vector<std::string>{"de", "dì"}));
  EXPECT_EQ(*r.find(U'长'), (std::vector<std::string>{"zhǎng", "cháng"}));
  EXPECT_EQ(r.find(U'一'), nullptr);
}

}  // namespace
}  // namespace quillon
