#pragma once

// How a take sounds to the keyword model's own encoder: one frame every
// 40 ms over the speech, each scaled to unit length. A speaker's words stand
// much farther apart in these frames than in cepstra (voice_template.h),
// narrowband takes included, since the model learnt them to tell syllables
// apart; cepstra still tell tone twins (北京, 背景) apart a little better.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

using EncodedFrames = std::vector<std::vector<float>>;

// Scales each frame to unit length (an all-zero frame stays so).
void unit_frames(EncodedFrames& frames);

// Mean cosine cost (1 − cos) of the frame pairs along the best alignment of
// unit frames: 0 alike, 1 unrelated. Infinity when either is empty.
double encoded_distance(const EncodedFrames& a, const EncodedFrames& b);

// Text for the taught-voice file, "WIDTH:BASE64" (each frame's values scaled
// so the largest is ±127, as signed bytes), and back, frames to unit length.
std::string encode_frames(const EncodedFrames& frames);
std::optional<EncodedFrames> decode_frames(std::string_view text);

}  // namespace quillon
