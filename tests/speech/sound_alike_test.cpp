// Phrases that sound too much alike for a recogniser, on the system's pinyin
// table: real pairs, among them those the engines were heard to confuse.

#include <gtest/gtest.h>

#include "speech/sound_alike.h"
#include "support/readings.h"

namespace quillon {
namespace {

class SoundAlike : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::system_readings()->get().size() == 0) GTEST_SKIP() << "no Unihan readings (package unicode-data)";
  }
  static bool alike(const char* a, const char* b) {
    const auto& readings = testing::system_readings()->get();
    return sound_alike(phrase_readings(a, readings), phrase_readings(b, readings));
  }
};

TEST_F(SoundAlike, PairsTheEnginesMixUpAreFlaggedAndOthersAreNot) {
  const struct {
    const char* a;
    const char* b;
    bool alike;
  } rows[] = {
      {"北京", "背景", true},  // only the tones differ
      {"攻击", "公鸡", true},
      {"上海", "商行", true},          // 行 also reads háng; ai and ang share their vowel
      {"数字", "树枝", true},          // z and zh, merged by many speakers
      {"二号部队", "三号部队", true},  // one syllable of four
      {"三号部队", "3号部队", true},   // digits are said as numbers
      {"PK", "pk", true},              // letters in either case
      {"加", "家", true},
      {"加", "减", false},      // a lone syllable keeps its tone and its ending
      {"语音", "语言", false},  // different vowels
      {"船坞", "城堡", false},
      {"复旦", "饭店", false},
      {"QQ", "GG", false},
      {"一号部队", "一号部队过来", false},  // lengths differ: the longer one is heard out
      {"地址", "☆", false},                 // no reading: nothing to compare
  };
  for (const auto& row : rows) {
    EXPECT_EQ(alike(row.a, row.b), row.alike) << row.a << " / " << row.b;
    EXPECT_EQ(alike(row.b, row.a), row.alike) << row.b << " / " << row.a;
  }
}

TEST_F(SoundAlike, ListsTheOthersInOrderButNeverThePhraseItself) {
  const std::vector<std::string> vocabulary = {"城堡", "背景", "兵营", "北京 ", "☆", "北京"};
  EXPECT_EQ(phrases_sounding_like("北京", vocabulary, testing::system_readings()->get()),
            (std::vector<std::string>{"背景", "北京 "}));
  EXPECT_TRUE(phrases_sounding_like("☆", vocabulary, testing::system_readings()->get()).empty());
}

}  // namespace
}  // namespace quillon
