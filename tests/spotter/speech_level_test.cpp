// Where speech ends, by its level, on made-up signals.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "speech/spotter/speech_level.h"

namespace quillon {
namespace {

std::vector<float> tone(double seconds, double amplitude) {
  std::vector<float> s(static_cast<std::size_t>(seconds * 16000));
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<float>(amplitude * std::sin(0.2 * double(i)));
  return s;
}

void feed(SpeechLevel& level, const std::vector<float>& s) { level.accept(s.data(), s.size()); }

TEST(SpeechLevel, QuietAfterSpeechIsMeasuredFromItsLastLoudFrame) {
  const struct {
    const char* name;
    double noise;     // amplitude of the background
    double tail;      // amplitude after the word
    bool tail_quiet;  // does the tail count as the end of speech?
  } rows[] = {
      {"silence after", 0.0, 0.0, true},
      {"room noise after", 0.001, 0.001, true},
      {"an echo 30 dB down", 0.0005, 0.01, true},
      {"speech 6 dB down goes on", 0.0005, 0.15, false},
  };
  for (const auto& row : rows) {
    SpeechLevel level;
    feed(level, tone(1.0, row.noise));
    level.begin_utterance(0.0);
    feed(level, tone(0.5, 0.3));
    EXPECT_LT(level.quiet_for(), 0.011) << row.name;
    feed(level, tone(0.2, row.tail));
    if (row.tail_quiet) {
      EXPECT_NEAR(level.quiet_for(), 0.2, 0.011) << row.name;
    } else {
      EXPECT_LT(level.quiet_for(), 0.011) << row.name;
    }
  }
}

TEST(SpeechLevel, CountsLoudTimeFromWhereTheUtteranceBegan) {
  SpeechLevel level;
  feed(level, tone(1.0, 0.0));
  feed(level, tone(0.25, 0.3));  // speech the detector has not yet noticed
  level.begin_utterance(0.3);
  EXPECT_NEAR(level.loud_seconds(), 0.25, 0.011);
  feed(level, tone(0.1, 0.3));
  EXPECT_NEAR(level.loud_seconds(), 0.35, 0.011);
  level.begin_utterance(0.0);
  EXPECT_EQ(level.loud_seconds(), 0.0);
}

TEST(SpeechLevel, ANewUtteranceIsJudgedByItsOwnLoudness) {
  SpeechLevel level;
  feed(level, tone(0.5, 0.8));  // a loud word
  feed(level, tone(0.5, 0.0));
  level.begin_utterance(0.0);
  feed(level, tone(0.3, 0.01));  // then one 38 dB quieter, far from the microphone
  EXPECT_LT(level.quiet_for(), 0.011);
  EXPECT_NEAR(level.last_frame_db(), 20 * std::log10(0.01 / std::sqrt(2.0)), 0.5);
}

}  // namespace
}  // namespace quillon
