#include "speech/wav_reader.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace quillon {
namespace {

uint32_t le(const std::string& b, std::size_t at, int bytes) {
  uint32_t v = 0;
  for (int k = bytes - 1; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
  return v;
}

WavAudio fail(std::string why) {
  WavAudio a;
  a.error = std::move(why);
  return a;
}

}  // namespace

std::vector<float> resample_linear(const std::vector<float>& in, int from_rate, int to_rate) {
  if (from_rate == to_rate || in.empty()) return in;
  const double step = static_cast<double>(from_rate) / to_rate;
  const auto n = static_cast<std::size_t>(static_cast<double>(in.size()) / step);
  std::vector<float> out(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double pos = static_cast<double>(i) * step;
    const auto k = static_cast<std::size_t>(pos);
    const auto frac = static_cast<float>(pos - static_cast<double>(k));
    const float a = in[k];
    const float b = k + 1 < in.size() ? in[k + 1] : a;
    out[i] = a + (b - a) * frac;
  }
  return out;
}

WavAudio decode_wav_16k_mono(const std::string& b) {
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return fail("not a WAV file");
  int format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  std::size_t data_at = 0, data_size = 0;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    const std::size_t size = le(b, at + 4, 4);
    const std::size_t body = at + 8;
    if (id == "fmt " && size >= 16 && body + size <= b.size()) {
      format = static_cast<int>(le(b, body, 2));
      channels = static_cast<int>(le(b, body + 2, 2));
      rate = le(b, body + 4, 4);
      bits = static_cast<int>(le(b, body + 14, 2));
      if (format == 0xFFFE && size >= 26) format = static_cast<int>(le(b, body + 24, 2));  // extensible
    } else if (id == "data") {
      data_at = body;
      data_size = std::min(size, b.size() - body);  // tolerate a truncated last chunk
      break;
    }
    at = body + size + (size & 1);
  }
  if (!data_at) return fail("no data chunk");
  if (channels < 1 || rate < 1000 || rate > 384000) return fail("unsupported format chunk");
  const bool pcm = format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
  const bool ieee = format == 3 && bits == 32;
  if (!pcm && !ieee) return fail("unsupported sample format");

  const std::size_t width = static_cast<std::size_t>(bits / 8);
  const std::size_t frame = width * static_cast<std::size_t>(channels);
  const std::size_t frames = data_size / frame;
  std::vector<float> mono(frames);
  for (std::size_t f = 0; f < frames; ++f) {
    float sum = 0;
    for (int c = 0; c < channels; ++c) {
      const std::size_t at = data_at + f * frame + static_cast<std::size_t>(c) * width;
      float v = 0;
      if (ieee) {
        const uint32_t raw = le(b, at, 4);
        std::memcpy(&v, &raw, 4);
      } else if (bits == 8) {
        v = (static_cast<float>(static_cast<unsigned char>(b[at])) - 128.0f) / 128.0f;
      } else {
        const uint32_t raw = le(b, at, static_cast<int>(width)) << (32 - bits);  // sign bit to the top
        v = static_cast<float>(static_cast<int32_t>(raw)) / 2147483648.0f;
      }
      sum += v;
    }
    mono[f] = sum / static_cast<float>(channels);
  }
  WavAudio a;
  a.ok = true;
  a.samples = resample_linear(mono, static_cast<int>(rate), kSpeechSampleRate);
  return a;
}

WavAudio read_wav_16k_mono(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot open " + path);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  WavAudio a = decode_wav_16k_mono(bytes);
  if (!a.ok) a.error = path + ": " + a.error;
  return a;
}

}  // namespace quillon
