#pragma once

// Reads a WAV file as 16 kHz mono samples in [-1, 1], the engines' input
// format. Recordings come from users, so anything else is refused with a
// reason that names the fault: PCM of 8, 16, 24 or 32 bits and 32-bit float,
// plain or WAVE_FORMAT_EXTENSIBLE, any channel count, 1 to 768 kHz, chunks in
// any order.

#include <string>
#include <vector>

namespace quillon {

// What is wrong with a recording, for callers that say it in their own words.
enum class WavFault {
  none,
  unreadable,               // the file cannot be opened or read
  empty,                    // no bytes at all
  not_wav,                  // no RIFF/WAVE header: another format, or text
  damaged,                  // the chunks contradict themselves or one is missing
  cut_short,                // the file ends inside a chunk
  unsupported_encoding,     // compressed, or a sub-format that is not PCM or float
  unsupported_sample_size,  // bits per sample other than those above
  unsupported_rate,
  unsupported_channels,  // no channels
  too_large,             // more than kMaxWavBytes, or longer than kMaxWavSeconds
};

struct WavAudio {
  bool ok = false;
  WavFault fault = WavFault::none;  // none exactly when ok
  // In English, for the log or the console: the path (read_wav_16k_mono
  // only), then what is wrong with it.
  std::string error;
  std::vector<float> samples;  // 16 kHz mono
};

inline constexpr int kSpeechSampleRate = 16000;
inline constexpr int kMinWavRate = 1000;
inline constexpr int kMaxWavRate = 768000;
inline constexpr std::size_t kMaxWavBytes = std::size_t{1} << 30;
inline constexpr int kMaxWavSeconds = 3600;

// Never throws; a refused file has no samples.
WavAudio read_wav_16k_mono(const std::string& path);
WavAudio decode_wav_16k_mono(const std::string& bytes);

// Linear-interpolation resampling; enough for speech fed to a 16 kHz model.
std::vector<float> resample_linear(const std::vector<float>& in, int from_rate, int to_rate);

}  // namespace quillon
