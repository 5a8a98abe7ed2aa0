// The taught-voice file: what is written reads back the same, and a file
// that was damaged is refused whole, with the line that is wrong.

#include "speech/taught_voice.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

// Values the file keeps exactly (it stores tenths).
const VoiceFrame kFrame = {1.0f, -2.5f, 0.5f, 0, 0, 0, 0, 0, 0, 0, 0, 12.5f};
// Unit frames along one axis, which the file keeps exactly.
const EncodedFrames kEncoded = {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}};

TEST(TaughtVoice, WhatIsWrittenReadsBackTheSame) {
  const TaughtVoice voice = {
      {"攻击", {{{"g", "ōng", "q", "ī"}, 0.62, {}}, {{"k", "ōng", "j", "ī"}, 0.5, VoiceTemplate(30, kFrame)}}},
      {"三号部队过来", {{{"s", "ān", "h", "ào", "b", "ù", "d", "uì", "g", "uò", "l", "ái"}, 1.25}}},
  };
  const TaughtVoiceRead read = parse_taught_voice(format_taught_voice(voice));
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.voice, voice);
}

TEST(TaughtVoice, WhatCouldNotBeReadBackIsNotWritten) {
  const TaughtVoice voice = {
      {"a\tb", {{{"ā"}, 0.5}}}, {"#x", {{{"ā"}, 0.5}}}, {"好", {{{}, 0.5}, {{"h", "ǎo"}, 0}, {{"h", "ǎo"}, 0.4}}}};
  const TaughtVoiceRead read = parse_taught_voice(format_taught_voice(voice));
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.voice, (TaughtVoice{{"好", {{{"h", "ǎo"}, 0.4}}}}));
}

TEST(TaughtVoice, ReadsCommentsBlankLinesAndWindowsLineEnds) {
  const TaughtVoiceRead read = parse_taught_voice("# mine\r\n\r\n攻击\tg ōng  q ī\t0.6\r\n攻击\tg ōng j ī\t1\n");
  ASSERT_TRUE(read.ok) << read.error;
  ASSERT_EQ(read.voice.at("攻击").size(), 2u);
  EXPECT_EQ(read.voice.at("攻击")[0].reading, (std::vector<std::string>{"g", "ōng", "q", "ī"}));
}

TEST(TaughtVoice, ADamagedFileIsRefusedWhole) {
  const struct {
    const char* text;
    const char* error;
  } rows[] = {
      {"攻击\tg ōng\t0.5\n城堡 ch éng b ǎo 0.5\n", "line 2: expected"},
      {"攻击\tg ōng\t0.5\tAAAA\t3:AAAA\textra\n", "line 1: expected"},
      {"攻击\tg ōng\t0.5\tAAAAAAAAAAAAAAAA\tAAAA\n", "line 1: the encoder's sound is damaged"},
      {"攻击\tg ōng\t0.5\t\n", "line 1: the sound is damaged"},
      {"攻击\tg ōng\t0.5\textra\n", "line 1: the sound is damaged"},
      {"攻击\tg ōng\t0.5\tAAA=\n", "line 1: the sound is damaged"},  // not whole frames
      {"\tg ōng\t0.5\n", "line 1: no phrase"},
      {"攻击\t  \t0.5\n", "line 1: no reading"},
      {"攻击\tg ōng\tnan\n", "line 1: seconds"},
      {"攻击\tg ōng\t-1\n", "line 1: seconds"},
      {"攻击\tg ōng\t1e9\n", "line 1: seconds"},
      {"攻击\tg ōng\t0.5s\n", "line 1: seconds"},
  };
  for (const auto& row : rows) {
    const TaughtVoiceRead read = parse_taught_voice(row.text);
    EXPECT_FALSE(read.ok) << row.text;
    EXPECT_TRUE(read.voice.empty()) << row.text;
    EXPECT_EQ(read.error.rfind(row.error, 0), 0u) << read.error;
  }
}

}  // namespace
}  // namespace quillon
