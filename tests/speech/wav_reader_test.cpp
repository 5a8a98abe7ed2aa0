// WAV files of any common layout become the engines' 16 kHz mono input.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "speech/wav_reader.h"

namespace quillon {
namespace {

// A WAV file's bytes: header, then the given sample bytes.
std::string wav_bytes(int format, int channels, int rate, int bits, const std::string& data) {
  std::string b = "RIFF....WAVEfmt ";
  const auto put = [&](uint32_t v, int n) {
    for (int k = 0; k < n; ++k) b += static_cast<char>((v >> (8 * k)) & 0xFF);
  };
  put(16, 4);
  put(static_cast<uint32_t>(format), 2);
  put(static_cast<uint32_t>(channels), 2);
  put(static_cast<uint32_t>(rate), 4);
  put(static_cast<uint32_t>(rate * channels * bits / 8), 4);
  put(static_cast<uint32_t>(channels * bits / 8), 2);
  put(static_cast<uint32_t>(bits), 2);
  b += "LIST";
  put(4, 4);
  b += "INFO";
  b += "data";
  put(static_cast<uint32_t>(data.size()), 4);
  return b + data;
}

std::string repeat(const std::string& frame, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += frame;
  return s;
}

TEST(WavReader, ConvertsAnyLayoutTo16kMono) {
  float half = 0.5f;
  std::string f32(4, '\0');
  std::memcpy(f32.data(), &half, 4);
  const struct {
    const char* what;
    std::string bytes;
    std::size_t samples;  // at 16 kHz
    float value;
  } rows[] = {
      {"16-bit stereo 32 kHz, channels averaged",
       wav_bytes(1, 2, 32000, 16, repeat(std::string("\x00\x40\x00\x20", 4), 3200)), 1600, 0.375f},
      {"8-bit mono 8 kHz", wav_bytes(1, 1, 8000, 8, repeat("\xC0", 800)), 1600, 0.5f},
      {"24-bit mono 16 kHz, negative", wav_bytes(1, 1, 16000, 24, repeat(std::string("\x00\x00\xC0", 3), 160)), 160,
       -0.5f},
      {"float mono 48 kHz", wav_bytes(3, 1, 48000, 32, repeat(f32, 4800)), 1600, 0.5f},
  };
  for (const auto& row : rows) {
    const auto a = decode_wav_16k_mono(row.bytes);
    ASSERT_TRUE(a.ok) << row.what << ": " << a.error;
    EXPECT_EQ(a.samples.size(), row.samples) << row.what;
    EXPECT_NEAR(a.samples[a.samples.size() / 2], row.value, 1e-3) << row.what;
  }
}

TEST(WavReader, RefusesWhatItCannotPlay) {
  const struct {
    const char* what;
    std::string bytes;
  } rows[] = {
      {"not RIFF", "RIFX" + wav_bytes(1, 1, 16000, 16, "\0\0").substr(4)},
      {"ADPCM", wav_bytes(2, 1, 16000, 4, "\0\0")},
      {"no channels", wav_bytes(1, 0, 16000, 16, "\0\0")},
      {"no data chunk", wav_bytes(1, 1, 16000, 16, "").substr(0, 36)},
      {"empty", ""},
  };
  for (const auto& row : rows) EXPECT_FALSE(decode_wav_16k_mono(row.bytes).ok) << row.what;
  EXPECT_FALSE(read_wav_16k_mono("/nonexistent.wav").ok);
}

}  // namespace
}  // namespace quillon
