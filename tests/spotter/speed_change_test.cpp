// Reading a stream at another speed, piece by piece.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "speech/spotter/speed_change.h"

namespace quillon {
namespace {

std::vector<float> ramp(std::size_t n) {
  std::vector<float> s(n);
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<float>(i);
  return s;
}

// The changed stream, fed in pieces of `piece` samples.
std::vector<float> changed(double speed, const std::vector<float>& in, std::size_t piece) {
  SpeedChange change(speed);
  std::vector<float> all, out;
  for (std::size_t at = 0; at < in.size(); at += piece) {
    change.process(in.data() + at, std::min(piece, in.size() - at), out);
    all.insert(all.end(), out.begin(), out.end());
  }
  return all;
}

TEST(SpeedChange, ReadsTheStreamAtItsSpeedWhateverThePieces) {
  // On a ramp, output sample k is the input's value at k * speed.
  const auto in = ramp(1000);
  for (const double speed : {0.9, 1.1, 0.5, 2.0}) {
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{512}, std::size_t{1000}}) {
      const auto out = changed(speed, in, piece);
      // Every position up to the last input sample (rounding may add the last one).
      const auto expected = static_cast<std::size_t>(std::ceil(999 / speed));
      EXPECT_TRUE(out.size() == expected || out.size() == expected + 1) << speed << " in " << piece;
      for (std::size_t k = 0; k < out.size(); ++k)
        ASSERT_NEAR(out[k], double(k) * speed, 1e-3) << speed << " in " << piece << " at " << k;
    }
  }
}

TEST(SpeedChange, UnchangedSpeedIsNoChange) {
  EXPECT_FALSE(SpeedChange(1.0).changes());
  EXPECT_TRUE(SpeedChange(1.1).changes());
  std::vector<float> out = {1, 2, 3};
  SpeedChange(0.9).process(nullptr, 0, out);
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace quillon
