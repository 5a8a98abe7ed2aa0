#include "speech/wav_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

namespace quillon {
namespace {

constexpr std::uint32_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;
// An extensible format names its encoding by a GUID: the plain format tag,
// then this tail.
constexpr unsigned char kSubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// A format description: 16 bytes, 18 with the count of extra bytes, and at most 64 KiB of those.
constexpr std::uint32_t kMaxFmtBytes = 18 + 0xFFFF;
// A recorder writing to a pipe cannot go back to fill in the data chunk's size
// and leaves this: the audio runs to the end of the file.
constexpr std::uint32_t kUnknownSize = 0xFFFFFFFF;

std::uint32_t le(std::string_view b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int k = bytes - 1; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
  return v;
}

WavAudio fail(WavFault fault, std::string why) {
  WavAudio a;
  a.fault = fault;
  a.error = std::move(why);
  return a;
}

std::string num(std::uint64_t n) { return std::to_string(n); }

// A chunk's name as the log can show it.
std::string chunk_name(std::string_view id) {
  std::string name(id);
  for (char& c : name) {
    if (c < 0x20 || c > 0x7E) c = '?';
  }
  return "'" + name + "'";
}

WavAudio cut_short(std::string_view id, std::uint64_t claimed, std::size_t there) {
  return fail(WavFault::cut_short, "cut short: the " + chunk_name(id) + " chunk claims " + num(claimed) + " bytes, " +
                                       num(there) + " are there");
}

WavAudio too_large(std::uint64_t bytes) {
  return fail(WavFault::too_large,
              "too large: " + num(bytes >> 20) + " MiB; at most " + num(kMaxWavBytes >> 20) + " MiB are read");
}

// One sample of a frame as a number in [-1, 1]; a float that is not finite is silence.
float sample_at(const char* p, bool is_float, int bits) {
  const std::string_view b(p, static_cast<std::size_t>(bits / 8));
  if (is_float) {
    const std::uint32_t raw = le(b, 0, 4);
    float v = 0;
    std::memcpy(&v, &raw, sizeof v);
    return std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
  }
  if (bits == 8) return (static_cast<float>(static_cast<unsigned char>(b[0])) - 128.0f) / 128.0f;
  const std::uint32_t raw = le(b, 0, bits / 8) << (32 - bits);  // the sign bit to the top
  return static_cast<float>(static_cast<std::int32_t>(raw)) / 2147483648.0f;
}

struct Chunks {
  std::string_view fmt;
  std::optional<std::string_view> data;
};

// Finds the format and the data, in any order, skipping other chunks and the
// pad byte after a chunk of odd size. A damaged chunk after both is ignored:
// the audio is whole.
std::optional<WavAudio> find_chunks(std::string_view b, Chunks& found) {
  bool has_fmt = false;
  for (std::size_t at = 12; at < b.size();) {
    const bool complete = has_fmt && found.data;
    if (b.size() - at < 8) {
      if (complete) break;
      return fail(WavFault::cut_short, "cut short: the file ends inside a chunk header");
    }
    const std::string_view id = b.substr(at, 4);
    const std::uint32_t size = le(b, at + 4, 4);
    const std::size_t body = at + 8, room = b.size() - body;
    std::size_t taken = size;
    if (id == "fmt ") {
      // Before the end of the file is looked at: no description is this long,
      // so the file is not merely cut short.
      if (size > kMaxFmtBytes) {
        return fail(WavFault::damaged, "damaged: the 'fmt ' chunk claims " + num(size) + " bytes");
      }
      if (size > room) return cut_short(id, size, room);
      if (!has_fmt) found.fmt = b.substr(body, size);
      has_fmt = true;
    } else if (id == "data") {
      if (size == kUnknownSize) taken = room;
      if (taken > room) return cut_short(id, size, room);
      if (!found.data) found.data = b.substr(body, taken);
    } else if (size > room) {
      if (complete) break;
      return cut_short(id, size, room);
    }
    at = body + taken + (taken & 1);
  }
  if (!has_fmt) return fail(WavFault::damaged, "damaged: no 'fmt ' chunk");
  if (!found.data) return fail(WavFault::damaged, "damaged: no 'data' chunk");
  return std::nullopt;
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

WavAudio decode_wav_16k_mono(const std::string& bytes) {
  const std::string_view b(bytes);
  if (b.empty()) return fail(WavFault::empty, "empty");
  if (b.size() > kMaxWavBytes) return too_large(b.size());
  constexpr std::string_view kHeader = "RIFF....WAVE";
  const auto header_matches = [&](std::size_t n) {
    for (std::size_t k = 0; k < std::min(n, b.size()); ++k) {
      if (kHeader[k] != '.' && b[k] != kHeader[k]) return false;
    }
    return true;
  };
  if (!header_matches(kHeader.size())) return fail(WavFault::not_wav, "not a WAV file (no RIFF/WAVE header)");
  if (b.size() < kHeader.size()) return fail(WavFault::cut_short, "cut short: the file ends inside its header");

  Chunks chunks;
  if (std::optional<WavAudio> refused = find_chunks(b, chunks)) return *refused;
  const std::string_view fmt = chunks.fmt;
  if (fmt.size() < 16) return fail(WavFault::damaged, "damaged: a 'fmt ' chunk of " + num(fmt.size()) + " bytes");
  std::uint32_t tag = le(fmt, 0, 2);
  const std::uint32_t channels = le(fmt, 2, 2), rate = le(fmt, 4, 4), bits = le(fmt, 14, 2);
  if (tag == kExtensible) {
    if (fmt.size() < 40) {
      return fail(WavFault::damaged, "damaged: an extensible 'fmt ' chunk of " + num(fmt.size()) + " bytes");
    }
    if (std::memcmp(fmt.data() + 28, kSubFormatTail, sizeof kSubFormatTail) != 0) {
      return fail(WavFault::unsupported_encoding, "an extensible format of unknown kind; PCM and float are read");
    }
    tag = le(fmt, 24, 4);
  }
  if (channels == 0) return fail(WavFault::unsupported_channels, "no channels");
  if (rate < kMinWavRate || rate > kMaxWavRate) {
    return fail(WavFault::unsupported_rate, "a sample rate of " + num(rate) + " Hz; " + num(kMinWavRate) + " to " +
                                                num(kMaxWavRate) + " Hz are read");
  }
  if (tag != kPcm && tag != kFloat) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(tag));
    return fail(WavFault::unsupported_encoding,
                std::string("compressed or unknown encoding (format ") + code + "); PCM and float are read");
  }
  const bool is_float = tag == kFloat;
  if (is_float ? bits != 32 : (bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
    return fail(WavFault::unsupported_sample_size, num(bits) + "-bit " + (is_float ? "float" : "PCM") +
                                                       " samples; 8, 16, 24 and 32-bit PCM and 32-bit float are read");
  }

  const std::size_t width = bits / 8, frame = width * channels;
  const std::size_t frames = chunks.data->size() / frame;
  if (frames > static_cast<std::size_t>(rate) * kMaxWavSeconds) {
    return fail(WavFault::too_large,
                "too long: " + num(frames / rate / 60) + " min; at most " + num(kMaxWavSeconds / 60) + " min are read");
  }
  const char* data = chunks.data->data();
  const auto mono = [&](std::size_t f) {
    float sum = 0;
    for (std::size_t c = 0; c < channels; ++c) {
      sum += sample_at(data + f * frame + c * width, is_float, static_cast<int>(bits));
    }
    return sum / static_cast<float>(channels);
  };

  // Mixed and resampled in one pass, so that memory holds only the result.
  const double step = static_cast<double>(rate) / kSpeechSampleRate;
  WavAudio a;
  a.ok = true;
  a.samples.resize(static_cast<std::size_t>(static_cast<double>(frames) / step));
  std::size_t left = frames;  // the frame `at_left` holds; none yet
  float at_left = 0, at_right = 0;
  for (std::size_t i = 0; i < a.samples.size(); ++i) {
    const double pos = static_cast<double>(i) * step;
    const auto k = static_cast<std::size_t>(pos);
    if (k != left) {
      at_left = left != frames && k == left + 1 ? at_right : mono(k);
      at_right = k + 1 < frames ? mono(k + 1) : at_left;
      left = k;
    }
    a.samples[i] = at_left + (at_right - at_left) * static_cast<float>(pos - static_cast<double>(k));
  }
  return a;
}

WavAudio read_wav_16k_mono(const std::string& path) {
  const auto refuse = [&path](WavAudio a) {
    a.error = path + ": " + a.error;
    return a;
  };
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return refuse(fail(WavFault::unreadable, "a folder, not a file"));
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > kMaxWavBytes) return refuse(too_large(size));
  std::ifstream in(path, std::ios::binary);
  if (!in) return refuse(fail(WavFault::unreadable, "cannot be opened"));
  std::string bytes;
  if (!error) bytes.reserve(static_cast<std::size_t>(size));
  char block[1 << 16];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    bytes.append(block, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxWavBytes) return refuse(too_large(bytes.size()));
  }
  if (in.bad()) return refuse(fail(WavFault::unreadable, "cannot be read"));
  WavAudio a = decode_wav_16k_mono(bytes);
  return a.ok ? a : refuse(std::move(a));
}

}  // namespace quillon
