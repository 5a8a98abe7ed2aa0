// The encoder frames of a take: unit length, compared by cosine along the
// best alignment, and their text in the taught-voice file reads back as the
// same directions.

#include "speech/encoded_sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace quillon {
namespace {

EncodedFrames unit(EncodedFrames frames) {
  unit_frames(frames);
  return frames;
}

TEST(EncodedSound, CosineAlongTheBestAlignment) {
  const EncodedFrames a = unit({{1, 0, 0}, {0, 1, 0}}), slower = unit({{2, 0, 0}, {3, 0, 0}, {0, 5, 0}});
  const EncodedFrames other = unit({{0, 0, 1}, {0, 0, 2}}), opposite = unit({{-1, 0, 0}, {-2, 0, 0}});
  const EncodedFrames first = unit({{1, 0, 0}}), none;
  const struct {
    const EncodedFrames& x;
    const EncodedFrames& y;
    double distance;
  } rows[] = {
      {a, a, 0},           {a, slower, 0},      {slower, a, 0}, {a, other, 1}, {first, opposite, 2},
      {a, none, INFINITY}, {none, a, INFINITY},
  };
  for (const auto& row : rows) {
    if (std::isinf(row.distance))
      EXPECT_TRUE(std::isinf(encoded_distance(row.x, row.y)));
    else
      EXPECT_NEAR(encoded_distance(row.x, row.y), row.distance, 1e-6);
  }
}

TEST(EncodedSound, UnitFramesLeaveSilenceAlone) {
  const EncodedFrames f = unit({{3, 4}, {0, 0}});
  EXPECT_FLOAT_EQ(f[0][0], 0.6f);
  EXPECT_FLOAT_EQ(f[0][1], 0.8f);
  EXPECT_EQ(f[1], (std::vector<float>{0, 0}));
}

TEST(EncodedSound, TextKeepsEachFramesDirection) {
  EncodedFrames frames;
  for (int i = 0; i < 7; ++i) {
    std::vector<float> frame(320);
    for (std::size_t k = 0; k < frame.size(); ++k)
      frame[k] = static_cast<float>(std::sin(0.37 * (i + 1) * static_cast<double>(k)));
    frames.push_back(frame);
  }
  frames.push_back(std::vector<float>(320, 0.0f));
  unit_frames(frames);
  const std::string text = encode_frames(frames);
  ASSERT_EQ(text.rfind("320:", 0), 0u);
  auto back = decode_frames(text);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), frames.size());
  // Bytes keep the direction: the distance to the original is that of a
  // small rounding, far below any between words (about 0.1 and more).
  EXPECT_EQ(back->back(), frames.back());
  EXPECT_EQ(encode_frames(*back), text);  // written again, the same text
  frames.pop_back();
  back->pop_back();
  EXPECT_LT(encoded_distance(frames, *back), 1e-4);
}

TEST(EncodedSound, DamagedTextIsRefused) {
  const std::string good = encode_frames({{1, 2, 3}});
  ASSERT_TRUE(decode_frames(good));
  for (const std::string text : {"", "AAAA", ":AAAA", "0:AAAA", "x:AAAA", "3 :AAAA", "3:", "3:AAA", "3:AA=A", "2:AAAA",
                                 "5000:AAAA", "3:A*AA", "-3:AAAA"})
    EXPECT_FALSE(decode_frames(text)) << text;
}

}  // namespace
}  // namespace quillon
