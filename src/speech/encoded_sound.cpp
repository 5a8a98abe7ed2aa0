#include "speech/encoded_sound.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "speech/base64.h"
#include "speech/time_warp.h"

namespace quillon {
namespace {

constexpr std::size_t kWidest = 4096;      // values per frame
constexpr std::size_t kMostFrames = 1500;  // a minute at 40 ms

}  // namespace

void unit_frames(EncodedFrames& frames) {
  for (auto& frame : frames) {
    double norm = 0;
    for (const float v : frame) norm += double(v) * v;
    if (norm <= 0) continue;
    const auto scale = static_cast<float>(1 / std::sqrt(norm));
    for (float& v : frame) v *= scale;
  }
}

double encoded_distance(const EncodedFrames& a, const EncodedFrames& b) {
  return warped_mean_cost(a.size(), b.size(), [&](std::size_t i, std::size_t j) {
    const std::size_t width = std::min(a[i].size(), b[j].size());
    float dot = 0;
    for (std::size_t k = 0; k < width; ++k) dot += a[i][k] * b[j][k];
    return 1.0 - dot;
  });
}

std::string encode_frames(const EncodedFrames& frames) {
  if (frames.empty() || frames[0].empty()) return {};
  const std::size_t width = frames[0].size();
  std::string bytes;
  bytes.reserve(frames.size() * width);
  for (const auto& frame : frames) {
    float largest = 0;
    for (const float v : frame) largest = std::max(largest, std::abs(v));
    const float scale = largest > 0 ? 127 / largest : 0;
    for (std::size_t k = 0; k < width; ++k) {
      const long q = k < frame.size() ? std::lround(frame[k] * scale) : 0;
      bytes.push_back(static_cast<char>(static_cast<signed char>(std::clamp(q, -127L, 127L))));
    }
  }
  return std::to_string(width) + ":" + to_base64(bytes);
}

std::optional<EncodedFrames> decode_frames(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::size_t width = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + colon, width);
  if (error != std::errc() || end != text.data() + colon || width == 0 || width > kWidest) return std::nullopt;
  const std::optional<std::string> bytes = from_base64(text.substr(colon + 1));
  if (!bytes || bytes->empty() || bytes->size() % width != 0 || bytes->size() / width > kMostFrames)
    return std::nullopt;
  EncodedFrames frames(bytes->size() / width, std::vector<float>(width));
  for (std::size_t i = 0; i < bytes->size(); ++i)
    frames[i / width][i % width] = static_cast<float>(static_cast<signed char>((*bytes)[i]));
  unit_frames(frames);
  return frames;
}

}  // namespace quillon
