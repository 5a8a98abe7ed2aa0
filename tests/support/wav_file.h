#pragma once

// Writes 16 kHz mono 16-bit WAV files, as the engines read them: recordings
// put together from pieces for tests and measurements.

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quillon::testing {

inline bool write_wav(const std::filesystem::path& path, const std::vector<float>& samples) {
  std::string b = "RIFF";
  const auto put = [&](std::uint32_t v, int n) {
    for (int k = 0; k < n; ++k) b += static_cast<char>((v >> (8 * k)) & 0xFF);
  };
  put(static_cast<std::uint32_t>(36 + samples.size() * 2), 4);
  b += "WAVEfmt ";
  put(16, 4), put(1, 2), put(1, 2), put(16000, 4), put(32000, 4), put(2, 2), put(16, 2);
  b += "data";
  put(static_cast<std::uint32_t>(samples.size() * 2), 4);
  for (const float x : samples) {
    put(static_cast<std::uint32_t>(static_cast<std::int16_t>(std::lround(x * 32767.0f))), 2);
  }
  std::ofstream out(path, std::ios::binary);
  out << b;
  return static_cast<bool>(out.flush());
}

}  // namespace quillon::testing
