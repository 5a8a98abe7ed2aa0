#pragma once

// The keyword model's encoder as a description of how a take sounds: the
// filterbank the model was trained on, and the encoder run over a whole
// utterance chunk by chunk, as the spotter streams it: how a taught take and
// an utterance sound (see speech/encoded_sound.h).

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "speech/encoded_sound.h"
#include "speech/voice_template.h"

namespace quillon {

inline constexpr std::size_t kMelBins = 80;
using MelFrame = std::array<float, kMelBins>;

// Log mel energies of 16 kHz mono samples in [-1, 1]: 25 ms frames every
// 10 ms, frame k centred on sample 160 k + 80 (the edges mirrored), 80 bands
// from 20 Hz to 7.6 kHz, as the model's training computed them: of samples
// in [-1, 1], not scaled to 16-bit values as Kaldi's tools do (that shifts
// every band by ln 2^30 and the model reads nothing right).
std::vector<MelFrame> log_mel_frames(const float* samples, std::size_t n);

class SpeechEncoder {
 public:
  // Null with the reason in `error` when the model cannot be run here.
  static std::unique_ptr<SpeechEncoder> load(const std::string& model_path, std::string& error);
  virtual ~SpeechEncoder() = default;

  // The encoder's frames for an utterance, its state starting from zero.
  virtual EncodedFrames encode(const std::vector<MelFrame>& mel) = 0;
  // Filterbank frames per encoder frame.
  virtual std::size_t subsampling() const = 0;
  // The inputs, outputs and how the states pair, for the record.
  virtual std::string describe() const = 0;
};

// The encoder frames [first, last) over a speech span of filterbank steps
// (see voice_template.h), `pad` more either side, of `frames` in all.
std::pair<std::size_t, std::size_t> encoder_frames_of(SpeechSpan span, std::size_t subsampling, std::size_t pad,
                                                      std::size_t frames);

// How 16 kHz mono samples in [-1, 1] sound to the encoder: its frames over
// their speech (speech_span, one frame more either side for the word's onset
// and fading end), unit length. Empty without speech.
EncodedFrames encoded_sound(SpeechEncoder& encoder, const float* samples, std::size_t n);

// The tokens the model's decoder and joiner read in encoder frames, by the
// plainest search (the likeliest token each frame): a check that the frames
// are the ones the model was trained to give.
class TokenReader {
 public:
  static std::unique_ptr<TokenReader> load(const std::string& decoder_path, const std::string& joiner_path,
                                           std::string& error);
  virtual ~TokenReader() = default;
  // Token ids, as numbered in the model's tokens.txt.
  virtual std::vector<int> read(const EncodedFrames& frames) = 0;
};

}  // namespace quillon
