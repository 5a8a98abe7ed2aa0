// How a take sounded: kept in the taught-voice file as text, compared by
// alignment, so the same sound said slower is still near and another sound far.

#include "speech/voice_template.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "speech/time_warp.h"

namespace quillon {
namespace {

// A vowel-like sound: a few harmonics of `pitch`, with quiet around it.
std::vector<float> voiced(double pitch, double seconds, double formant) {
  std::vector<float> s(4000, 0.0f);
  const auto n = static_cast<std::size_t>(seconds * 16000);
  for (std::size_t i = 0; i < n; ++i) {
    double x = 0;
    for (int h = 1; h <= 12; ++h) {
      const double f = pitch * h;
      x += std::exp(-std::pow((f - formant) / 400, 2)) *
           std::sin(2 * std::numbers::pi * f * static_cast<double>(i) / 16000);
    }
    s.push_back(static_cast<float>(0.3 * x));
  }
  s.resize(s.size() + 4000, 0.0f);
  return s;
}

VoiceTemplate of(const std::vector<float>& s) { return voice_template(s.data(), s.size()); }

TEST(VoiceTemplate, TheSameSoundSaidSlowerIsNearAnotherSoundFar) {
  const VoiceTemplate a = of(voiced(120, 0.4, 700)), slower = of(voiced(120, 0.6, 700)),
                      other = of(voiced(120, 0.4, 2200));
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(template_distance(a, a), 0.0);
  EXPECT_LT(template_distance(a, slower), template_distance(a, other));
  EXPECT_TRUE(std::isinf(template_distance(a, {})));
}

// Sound at the ends of a take that is not the word: the word's template must
// not take it in, or the take is compared with a breath as much as a word.
TEST(VoiceTemplate, NoiseAroundTheWordIsLeftOut) {
  const std::vector<float> word = voiced(120, 0.4, 700);
  const VoiceTemplate alone = of(word), other = of(voiced(120, 0.4, 2200));
  const auto with = [&](std::size_t at, std::size_t length, float level) {
    std::vector<float> s = word;
    unsigned noise = 12345;
    for (std::size_t i = at; i < at + length; ++i) {
      noise = noise * 1103515245u + 12345u;
      s[i] += level * (static_cast<float>(noise >> 16 & 0x7FFF) / 16384.0f - 1.0f);
    }
    return s;
  };
  struct Case {
    const char* what;
    std::vector<float> samples;
  };
  const Case cases[] = {
      {"a click before", with(800, 160, 0.4f)},
      {"a breath before", with(0, 3200, 0.02f)},
      {"a breath after", with(word.size() - 3200, 3200, 0.02f)},
  };
  for (const auto& c : cases) {
    const VoiceTemplate t = of(c.samples);
    EXPECT_NEAR(static_cast<double>(t.size()), static_cast<double>(alone.size()), 3) << c.what;
    EXPECT_LT(template_distance(t, alone), template_distance(alone, other) / 4) << c.what;
  }
}

TEST(VoiceTemplate, SilenceAndTooLittleSoundGiveNone) {
  EXPECT_TRUE(of(std::vector<float>(16000, 0.0f)).empty());
  EXPECT_TRUE(of(std::vector<float>(100, 0.5f)).empty());
  EXPECT_TRUE(of(voiced(120, 0.05, 700)).empty());
}

TEST(VoiceTemplate, SpeechSpanIsTheSoundBetweenTheQuiet) {
  // 4000 quiet samples (25 steps) either side of the sound.
  const struct {
    double seconds;
    std::size_t first, last;
  } cases[] = {{0.3, 25, 55}, {0.8, 25, 105}};
  for (const auto& c : cases) {
    const std::vector<float> s = voiced(120, c.seconds, 700);
    const SpeechSpan span = speech_span(s.data(), s.size());
    EXPECT_NEAR(static_cast<double>(span.first), static_cast<double>(c.first), 3) << c.seconds;
    EXPECT_NEAR(static_cast<double>(span.last), static_cast<double>(c.last), 3) << c.seconds;
  }
  const std::vector<float> quiet(16000, 0.0f);
  const SpeechSpan none = speech_span(quiet.data(), quiet.size());
  EXPECT_EQ(none.first, none.last);
}

TEST(VoiceTemplate, TextReadsBackAsStored) {
  const VoiceTemplate t = of(voiced(150, 0.3, 900));
  const auto back = decode_template(encode_template(t));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), t.size());
  // Stored to a tenth; values beyond ±12.7 are clipped.
  for (std::size_t i = 0; i < t.size(); ++i)
    for (std::size_t k = 0; k < kCepstra; ++k) EXPECT_NEAR((*back)[i][k], std::clamp(t[i][k], -12.7f, 12.7f), 0.051f);
  EXPECT_EQ(encode_template(*back), encode_template(t));
}

TEST(VoiceTemplate, DamagedTextIsRefused) {
  const VoiceFrame frame{};
  const std::string one_frame = encode_template({frame});
  for (const std::string& text : {std::string(), std::string("AAA"), std::string("AA=A"), std::string("A*AA"),
                                  one_frame.substr(0, 12), one_frame + "AAAA", std::string("====")}) {
    EXPECT_FALSE(decode_template(text)) << text;
  }
  EXPECT_TRUE(decode_template(one_frame));
}

// Frames as single numbers, compared by their difference.
double warped(const std::vector<double>& a, const std::vector<double>& b) {
  return warped_mean_cost(a.size(), b.size(), [&](std::size_t i, std::size_t j) { return std::fabs(a[i] - b[j]); });
}

TEST(TimeWarp, AlignsWhateverTheSpeedAndWeighsBothSequencesAlike) {
  const struct {
    std::vector<double> a, b;
    double expected;
  } cases[] = {
      {{1, 2, 3}, {1, 2, 3}, 0},
      {{1, 2, 3}, {1, 1, 2, 2, 3, 3}, 0},  // the same, said slower
      {{0, 0}, {1, 1}, 1},                 // every pair one apart
      {{0}, {1, 1, 1}, 1},                 // one frame against three: still the mean of all frames
      {{}, {1}, std::numeric_limits<double>::infinity()},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(warped(c.a, c.b), c.expected) << c.a.size() << " with " << c.b.size();
    EXPECT_DOUBLE_EQ(warped(c.b, c.a), c.expected) << "either way round";
  }
}

}  // namespace
}  // namespace quillon
