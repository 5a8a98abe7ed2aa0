// WAV files of any sound layout become the engines' 16 kHz mono input; any
// other file is refused with the fault that names what is wrong with it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "speech/wav_reader.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

std::string le(std::uint32_t v, int bytes) {
  std::string b;
  for (int k = 0; k < bytes; ++k) b += static_cast<char>((v >> (8 * k)) & 0xFF);
  return b;
}

// A chunk with its size, padded to an even length as RIFF wants.
std::string chunk(const std::string& id, const std::string& body) {
  return id + le(static_cast<std::uint32_t>(body.size()), 4) + body + std::string(body.size() % 2, '\0');
}

std::string fmt(std::uint32_t tag, std::uint32_t channels, std::uint32_t rate, std::uint32_t bits) {
  return chunk("fmt ", le(tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * channels * bits / 8, 4) +
                           le(channels * bits / 8, 2) + le(bits, 2));
}

// WAVE_FORMAT_EXTENSIBLE around `tag`'s sub-format GUID; `guid_tail` spoils it when not the standard one.
std::string extensible_fmt(std::uint32_t tag, std::uint32_t channels, std::uint32_t rate, std::uint32_t bits,
                           std::string guid_tail = std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71",
                                                               12)) {
  return chunk("fmt ", le(0xFFFE, 2) + le(channels, 2) + le(rate, 4) + le(rate * channels * bits / 8, 4) +
                           le(channels * bits / 8, 2) + le(bits, 2) + le(22, 2) + le(bits, 2) + le(0, 4) + le(tag, 4) +
                           guid_tail);
}

std::string riff(const std::string& chunks) {
  return "RIFF" + le(static_cast<std::uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

std::string repeat(const std::string& frame, std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += frame;
  return s;
}

std::string f32(float v) {
  std::string b(4, '\0');
  std::memcpy(b.data(), &v, 4);
  return b;
}

const std::string kLoudMono16 = repeat(le(0x4000, 2), 160);  // 10 ms at 16 kHz of 0.5

TEST(WavReader, ConvertsAnySoundLayoutTo16kMono) {
  const struct {
    const char* what;
    std::string bytes;
    std::size_t samples;  // at 16 kHz
    float value;          // in the middle
  } rows[] = {
      {"16-bit stereo 32 kHz, channels averaged",
       riff(fmt(1, 2, 32000, 16) + chunk("data", repeat(le(0x4000, 2) + le(0x2000, 2), 3200))), 1600, 0.375f},
      {"8-bit mono 8 kHz", riff(fmt(1, 1, 8000, 8) + chunk("data", repeat("\xC0", 800))), 1600, 0.5f},
      {"24-bit mono, negative", riff(fmt(1, 1, 16000, 24) + chunk("data", repeat(le(0xC00000, 3), 160))), 160, -0.5f},
      {"32-bit PCM 3 channels 44.1 kHz",
       riff(fmt(1, 3, 44100, 32) + chunk("data", repeat(le(0x40000000, 4) + le(0, 4) + le(0xC0000000, 4), 4410))), 1600,
       0.0f},
      {"float 48 kHz", riff(fmt(3, 1, 48000, 32) + chunk("data", repeat(f32(0.5f), 4800))), 1600, 0.5f},
      {"float beyond full scale is clipped", riff(fmt(3, 1, 16000, 32) + chunk("data", repeat(f32(3.0f), 16))), 16,
       1.0f},
      {"float that is no number is silence",
       riff(fmt(3, 1, 16000, 32) + chunk("data", repeat(f32(std::numeric_limits<float>::quiet_NaN()), 16))), 16, 0.0f},
      {"extensible 24-bit 6 channels",
       riff(extensible_fmt(1, 6, 16000, 24) + chunk("data", repeat(repeat(le(0x400000, 3), 6), 160))), 160, 0.5f},
      {"extensible float", riff(extensible_fmt(3, 1, 16000, 32) + chunk("data", repeat(f32(-0.25f), 160))), 160,
       -0.25f},
      {"data before fmt, an odd-sized chunk padded between",
       riff(chunk("data", kLoudMono16) + chunk("LIST", "INFOx") + fmt(1, 1, 16000, 16)), 160, 0.5f},
      {"data of unknown size runs to the end", riff(fmt(1, 1, 16000, 16) + "data" + le(0xFFFFFFFF, 4) + kLoudMono16),
       160, 0.5f},
      {"a damaged chunk after the audio is ignored",
       riff(fmt(1, 1, 16000, 16) + chunk("data", kLoudMono16) + "LIST" + le(1000, 4) + "IN"), 160, 0.5f},
      {"a partial last frame is dropped", riff(fmt(1, 2, 16000, 16) + chunk("data", repeat(le(0x4000, 2), 321))), 160,
       0.5f},
  };
  for (const auto& row : rows) {
    const WavAudio a = decode_wav_16k_mono(row.bytes);
    ASSERT_TRUE(a.ok) << row.what << ": " << a.error;
    EXPECT_EQ(a.fault, WavFault::none) << row.what;
    EXPECT_EQ(a.samples.size(), row.samples) << row.what;
    EXPECT_NEAR(a.samples[a.samples.size() / 2], row.value, 1e-3) << row.what;
  }
  const WavAudio silent = decode_wav_16k_mono(riff(fmt(1, 1, 16000, 16) + chunk("data", "")));
  EXPECT_TRUE(silent.ok && silent.samples.empty()) << silent.error;
}

TEST(WavReader, NamesWhatIsWrongWithARecording) {
  const std::string sound = riff(fmt(1, 1, 16000, 16) + chunk("data", kLoudMono16));
  const struct {
    const char* what;
    std::string bytes;
    WavFault fault;
    const char* said;  // part of the error text
  } rows[] = {
      {"empty", "", WavFault::empty, "empty"},
      {"a text file", "[General]\nkey=value\n", WavFault::not_wav, "not a WAV file"},
      {"big-endian RIFX", "RIFX" + sound.substr(4), WavFault::not_wav, "not a WAV file"},
      {"cut inside the header", sound.substr(0, 8), WavFault::cut_short, "cut short"},
      {"cut after 30 bytes", sound.substr(0, 30), WavFault::cut_short, "'fmt ' chunk claims 16 bytes, 10 are there"},
      {"cut inside the audio", sound.substr(0, sound.size() - 1), WavFault::cut_short,
       "'data' chunk claims 320 bytes, 319"},
      {"cut inside a chunk header", sound.substr(0, 38), WavFault::cut_short, "chunk header"},
      {"a fmt chunk claiming 4 GiB", riff("fmt " + le(0xFFFFFFFF, 4) + fmt(1, 1, 16000, 16).substr(8)),
       WavFault::damaged, "claims 4294967295 bytes"},
      {"a fmt chunk too short", riff(chunk("fmt ", le(1, 2) + le(1, 2)) + chunk("data", "")), WavFault::damaged,
       "'fmt ' chunk of 4 bytes"},
      {"no fmt chunk", riff(chunk("data", kLoudMono16)), WavFault::damaged, "no 'fmt '"},
      {"no data chunk", riff(fmt(1, 1, 16000, 16)), WavFault::damaged, "no 'data'"},
      {"extensible too short",
       riff("fmt " + le(16, 4) + le(0xFFFE, 2) + fmt(1, 1, 16000, 16).substr(10) + chunk("data", "")),
       WavFault::damaged, "extensible"},
      {"rate 0", riff(fmt(1, 1, 0, 16) + chunk("data", kLoudMono16)), WavFault::unsupported_rate, "0 Hz"},
      {"rate 999", riff(fmt(1, 1, 999, 16) + chunk("data", kLoudMono16)), WavFault::unsupported_rate, "999 Hz"},
      {"no channels", riff(fmt(1, 0, 16000, 16) + chunk("data", kLoudMono16)), WavFault::unsupported_channels,
       "no channels"},
      {"7-bit samples", riff(fmt(1, 1, 16000, 7) + chunk("data", kLoudMono16)), WavFault::unsupported_sample_size,
       "7-bit PCM"},
      {"64-bit float", riff(fmt(3, 1, 16000, 64) + chunk("data", kLoudMono16)), WavFault::unsupported_sample_size,
       "64-bit float"},
      {"ADPCM", riff(fmt(2, 1, 16000, 4) + chunk("data", kLoudMono16)), WavFault::unsupported_encoding, "0x0002"},
      {"extensible of another kind", riff(extensible_fmt(1, 1, 16000, 16, std::string(12, 'x')) + chunk("data", "")),
       WavFault::unsupported_encoding, "unknown kind"},
      {"over an hour", riff(fmt(1, 1, 1000, 8) + chunk("data", std::string(3600 * 1000 + 1, '\x80'))),
       WavFault::too_large, "at most 60 min"},
  };
  for (const auto& row : rows) {
    const WavAudio a = decode_wav_16k_mono(row.bytes);
    EXPECT_FALSE(a.ok) << row.what;
    EXPECT_EQ(a.fault, row.fault) << row.what << ": " << a.error;
    EXPECT_NE(a.error.find(row.said), std::string::npos) << row.what << ": " << a.error;
    EXPECT_TRUE(a.samples.empty()) << row.what;
  }
}

// A file is refused by its size before it is read; the error begins with its path.
TEST(WavReader, FilesThatCannotBeReadAreNamed) {
  const fs::path dir = fs::temp_directory_path() / ("quillon-wav-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path huge = dir / "huge.wav";
  std::ofstream(huge).put('R');
  fs::resize_file(huge, kMaxWavBytes + 1);  // sparse: takes no room on disk
  const struct {
    fs::path path;
    WavFault fault;
  } rows[] = {{dir / "missing.wav", WavFault::unreadable}, {dir, WavFault::unreadable}, {huge, WavFault::too_large}};
  for (const auto& row : rows) {
    const WavAudio a = read_wav_16k_mono(row.path.string());
    EXPECT_EQ(a.fault, row.fault) << a.error;
    EXPECT_EQ(a.error.rfind(row.path.string() + ": ", 0), 0u) << a.error;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quillon
