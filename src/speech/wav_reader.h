#pragma once

// Reads a WAV file (PCM 8/16/24/32-bit or 32-bit float, any rate and channel
// count) as 16 kHz mono samples in [-1, 1], the spotter's input format.

#include <string>
#include <vector>

namespace quillon {

struct WavAudio {
  bool ok = false;
  std::string error;
  std::vector<float> samples;  // 16 kHz mono
};

inline constexpr int kSpeechSampleRate = 16000;

WavAudio read_wav_16k_mono(const std::string& path);
WavAudio decode_wav_16k_mono(const std::string& bytes);

// Linear-interpolation resampling; enough for speech fed to a 16 kHz model.
std::vector<float> resample_linear(const std::vector<float>& in, int from_rate, int to_rate);

}  // namespace quillon
