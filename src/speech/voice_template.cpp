#include "speech/voice_template.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

#include "speech/analysis_frames.h"
#include "speech/base64.h"
#include "speech/fft.h"
#include "speech/time_warp.h"

namespace quillon {
namespace {

using analysis::kFft;
using analysis::kHop;
using analysis::kRate;
using analysis::kWindow;
constexpr std::size_t kBands = 26;
constexpr double kLowHz = 60, kHighHz = 3800;
constexpr float kEmphasis = 0.97f;  // flattens the spectrum's tilt toward the low notes
// Speech is what stays within 20 dB of the loudest frame for 40 ms or more:
// breath, lip noise and a click at either end would otherwise be aligned
// with the word and outweigh it.
constexpr double kBelowPeakDb = 20, kAboveFloorDb = 10;
constexpr std::size_t kLoudRun = 4;
constexpr std::size_t kFewestFrames = 10;
constexpr float kScale = 10;  // stored as round(value × kScale) in a signed byte
constexpr std::size_t kMostFrames = 6000;

double mel(double hz) { return 2595 * std::log10(1 + hz / 700); }
double hz(double mel) { return 700 * (std::pow(10, mel / 2595) - 1); }

// Triangular filters evenly spaced in mel, as FFT-bin weights.
const std::vector<std::vector<double>>& mel_filters() {
  static const std::vector<std::vector<double>> filters = [] {
    std::vector<double> edges;
    for (std::size_t k = 0; k < kBands + 2; ++k)
      edges.push_back(hz(mel(kLowHz) + (mel(kHighHz) - mel(kLowHz)) * static_cast<double>(k) / (kBands + 1)) * kFft /
                      kRate);
    std::vector<std::vector<double>> out(kBands, std::vector<double>(kFft / 2 + 1, 0.0));
    for (std::size_t b = 0; b < kBands; ++b) {
      for (std::size_t bin = 0; bin <= kFft / 2; ++bin) {
        const double f = static_cast<double>(bin);
        if (f > edges[b] && f <= edges[b + 1]) out[b][bin] = (f - edges[b]) / (edges[b + 1] - edges[b]);
        if (f > edges[b + 1] && f < edges[b + 2]) out[b][bin] = (edges[b + 2] - f) / (edges[b + 2] - edges[b + 1]);
      }
    }
    return out;
  }();
  return filters;
}

struct Frame {
  std::array<double, kBands> log_bands{};
  double db = 0;
};

Frame analyse(const float* samples) {
  std::vector<std::complex<double>> x(kFft, 0.0);
  for (std::size_t i = 0; i < kWindow; ++i) {
    const double hamming = 0.54 - 0.46 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / (kWindow - 1));
    const float before = i > 0 ? samples[i - 1] : samples[0];
    x[i] = (samples[i] - kEmphasis * before) * hamming;
  }
  fft(x);
  Frame frame;
  double total = 0;
  const auto& filters = mel_filters();
  for (std::size_t b = 0; b < kBands; ++b) {
    double energy = 0;
    for (std::size_t bin = 0; bin <= kFft / 2; ++bin) energy += filters[b][bin] * std::norm(x[bin]);
    frame.log_bands[b] = std::log(energy + 1e-8);
    total += energy;
  }
  frame.db = 10 * std::log10(total + 1e-10);
  return frame;
}

VoiceFrame cepstra(const Frame& frame) {
  VoiceFrame c{};
  for (std::size_t k = 0; k < kCepstra; ++k) {
    double sum = 0;
    for (std::size_t b = 0; b < kBands; ++b)
      sum +=
          frame.log_bands[b] * std::cos(std::numbers::pi * static_cast<double>((k + 1) * (2 * b + 1)) / (2 * kBands));
    c[k] = static_cast<float>(sum * std::sqrt(2.0 / kBands));
  }
  return c;
}

// From the first to the end of the last run of kLoudRun frames above the threshold.
std::pair<std::size_t, std::size_t> loud_span(const std::vector<Frame>& frames, double threshold) {
  std::size_t first = frames.size(), last = 0, run = 0;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    run = frames[i].db > threshold ? run + 1 : 0;
    if (run < kLoudRun) continue;
    first = std::min(first, i + 1 - kLoudRun);
    last = i + 1;
  }
  return {first, std::max(first, last)};
}

using Compared = std::array<float, 2 * kCepstra>;

// Each frame with its slope: half the difference of its neighbours.
std::vector<Compared> with_slopes(const VoiceTemplate& t) {
  std::vector<Compared> out(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    const VoiceFrame& before = t[i > 0 ? i - 1 : i];
    const VoiceFrame& after = t[i + 1 < t.size() ? i + 1 : i];
    for (std::size_t k = 0; k < kCepstra; ++k) {
      out[i][k] = t[i][k];
      out[i][kCepstra + k] = (after[k] - before[k]) / 2;
    }
  }
  return out;
}

std::vector<Frame> analyse_all(const float* samples, std::size_t n) {
  std::vector<Frame> frames;
  for (std::size_t at = 0; at + kWindow <= n; at += kHop) frames.push_back(analyse(samples + at));
  return frames;
}

SpeechSpan span_of(const std::vector<Frame>& frames) {
  if (frames.size() < kFewestFrames) return {};
  std::vector<double> levels;
  for (const auto& f : frames) levels.push_back(f.db);
  std::sort(levels.begin(), levels.end());
  const double threshold = std::max(levels.back() - kBelowPeakDb, levels[levels.size() / 10] + kAboveFloorDb);
  const auto [first, last] = loud_span(frames, threshold);
  if (last - first < kFewestFrames) return {};
  return {first, last};
}

}  // namespace

SpeechSpan speech_span(const float* samples, std::size_t n) { return span_of(analyse_all(samples, n)); }

VoiceTemplate voice_template(const float* samples, std::size_t n) {
  const std::vector<Frame> frames = analyse_all(samples, n);
  const auto [first, last] = span_of(frames);
  if (first == last) return {};
  VoiceTemplate t;
  for (std::size_t f = first; f != last; ++f) t.push_back(cepstra(frames[f]));
  // Mean removed: the microphone's and the room's colouring is the same in every frame.
  VoiceFrame mean{};
  for (const auto& c : t)
    for (std::size_t k = 0; k < kCepstra; ++k) mean[k] += c[k] / static_cast<float>(t.size());
  for (auto& c : t)
    for (std::size_t k = 0; k < kCepstra; ++k) c[k] -= mean[k];
  return t;
}

double template_distance(const VoiceTemplate& a_cepstra, const VoiceTemplate& b_cepstra) {
  if (a_cepstra.empty() || b_cepstra.empty()) return std::numeric_limits<double>::infinity();
  // How the sound moves matters as much as where it is.
  const std::vector<Compared> a = with_slopes(a_cepstra), b = with_slopes(b_cepstra);
  return warped_mean_cost(a.size(), b.size(), [&](std::size_t i, std::size_t j) {
    double sum = 0;
    for (std::size_t k = 0; k < a[i].size(); ++k) sum += (a[i][k] - b[j][k]) * (a[i][k] - b[j][k]);
    return std::sqrt(sum);
  });
}

std::string encode_template(const VoiceTemplate& t) {
  std::string bytes;
  for (const auto& frame : t)
    for (const float v : frame)
      bytes.push_back(static_cast<char>(static_cast<signed char>(std::clamp(std::lround(v * kScale), -127L, 127L))));
  return to_base64(bytes);
}

std::optional<VoiceTemplate> decode_template(std::string_view text) {
  const std::optional<std::string> bytes = text.empty() ? std::nullopt : from_base64(text);
  if (!bytes || bytes->size() % kCepstra != 0 || bytes->size() / kCepstra > kMostFrames) return std::nullopt;
  VoiceTemplate t(bytes->size() / kCepstra);
  for (std::size_t i = 0; i < bytes->size(); ++i)
    t[i / kCepstra][i % kCepstra] = static_cast<float>(static_cast<signed char>((*bytes)[i])) / kScale;
  return t;
}

}  // namespace quillon
