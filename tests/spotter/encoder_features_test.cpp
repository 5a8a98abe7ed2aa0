// The keyword model's filterbank, checked against what follows from its
// definition: how many frames a clip gives, where a tone lands, and that the
// bands together hold the tone's power at the level the model was trained on.

#include "speech/spotter/encoder_features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <vector>

namespace quillon {
namespace {

std::vector<float> tone(double hz, double amplitude, std::size_t n) {
  std::vector<float> s(n);
  for (std::size_t i = 0; i < n; ++i)
    s[i] = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / 16000));
  return s;
}

double mel(double hz) { return 1127 * std::log(1 + hz / 700); }

TEST(LogMelFrames, OneFramePerStepRoundedToTheNearest) {
  const struct {
    std::size_t samples, frames;
  } cases[] = {{0, 0}, {79, 0}, {80, 1}, {239, 1}, {240, 2}, {16000, 100}, {16080, 101}};
  for (const auto& c : cases) {
    const std::vector<float> s(c.samples, 0.1f);
    EXPECT_EQ(log_mel_frames(s.data(), s.size()).size(), c.frames) << c.samples << " samples";
  }
}

TEST(LogMelFrames, SilenceAndSteadyOffsetGiveTheFloor) {
  // A constant is taken off each frame before anything else, so a DC offset is silence.
  for (const float level : {0.0f, 0.3f}) {
    const std::vector<float> s(1600, level);
    for (const auto& frame : log_mel_frames(s.data(), s.size()))
      for (const float v : frame) EXPECT_NEAR(v, std::log(FLT_EPSILON), 1e-3) << level;
  }
}

TEST(LogMelFrames, ATonePeaksInItsBandAndTheBandsHoldItsPower) {
  // Power of the tone in the positive half of a 512-point spectrum, by Parseval:
  // 256 · Σ (g A w_n sin)² ≈ 128 g² A² Σ w_n², with g the pre-emphasis gain.
  double window_power = 0;
  for (int i = 0; i < 400; ++i) window_power += std::pow(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / 399.0), 1.7);
  const double low = mel(20), step = (mel(7600) - low) / 81;
  for (const double hz : {300.0, 1000.0, 3000.0, 6000.0}) {
    for (const double amplitude : {0.5, 0.01}) {
      const std::vector<float> s = tone(hz, amplitude, 8000);
      const auto frames = log_mel_frames(s.data(), s.size());
      ASSERT_EQ(frames.size(), 50u);
      const MelFrame& f = frames[25];
      const auto peak = static_cast<std::size_t>(std::max_element(f.begin(), f.end()) - f.begin());
      const double nearest_centre = std::round((mel(hz) - low) / step) - 1;
      EXPECT_NEAR(static_cast<double>(peak), nearest_centre, 1.0) << hz << " Hz";
      const double w = 2 * std::numbers::pi * hz / 16000;
      const double gain2 = 1 + 0.97 * 0.97 - 2 * 0.97 * std::cos(w);
      const double expected = std::log(128 * gain2 * amplitude * amplitude * window_power);
      double total = 0;
      for (const float v : f) total += std::exp(double(v));
      EXPECT_NEAR(std::log(total), expected, 0.1) << hz << " Hz at " << amplitude;
    }
  }
}

}  // namespace
}  // namespace quillon
