#pragma once

// How a take sounds, kept beside what the recogniser read in it: for a
// speaker the recogniser reads differently on every take, the sound of the
// takes is what stays the same. Cepstra of the speech (the quiet around it
// left out), compared by dynamic time warping. Only the band below 4 kHz is
// used, so a narrowband headset and a full-band microphone give alike.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline constexpr std::size_t kCepstra = 12;
using VoiceFrame = std::array<float, kCepstra>;
using VoiceTemplate = std::vector<VoiceFrame>;

// The 10 ms steps [first, last) that hold the speech of 16 kHz mono samples,
// the quiet around it left out; step k is the 25 ms from sample 160 k. Empty
// (first == last) when there is no speech to speak of.
struct SpeechSpan {
  std::size_t first = 0, last = 0;
};
SpeechSpan speech_span(const float* samples, std::size_t n);

// Of 16 kHz mono samples, over speech_span; empty when there is no speech to speak of.
VoiceTemplate voice_template(const float* samples, std::size_t n);

// Mean distance along the best alignment of the two; lower is nearer.
// Infinity when either is empty.
double template_distance(const VoiceTemplate& a, const VoiceTemplate& b);

// Text for the taught-voice file (values quantised to bytes, base64), and back.
std::string encode_template(const VoiceTemplate& t);
std::optional<VoiceTemplate> decode_template(std::string_view text);

}  // namespace quillon
