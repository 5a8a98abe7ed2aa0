#include "speech/spotter/encoder_features.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <iterator>
#include <numbers>

#include "speech/analysis_frames.h"
#include "speech/fft.h"
#include "speech/voice_template.h"

namespace quillon {
namespace {

using analysis::kFft;
using analysis::kHop;
using analysis::kRate;
using analysis::kWindow;
constexpr double kLowHz = 20, kHighHz = 7600;
constexpr double kEmphasis = 0.97;

// The mel scale with the natural logarithm, as the training's filterbank has it.
double mel(double hz) { return 1127 * std::log(1 + hz / 700); }

// Triangles evenly spaced and shaped in mel, as weights of FFT bins below Nyquist.
const std::vector<std::vector<double>>& mel_weights() {
  static const std::vector<std::vector<double>> weights = [] {
    const double low = mel(kLowHz), step = (mel(kHighHz) - low) / (kMelBins + 1);
    std::vector<std::vector<double>> out(kMelBins, std::vector<double>(kFft / 2, 0.0));
    for (std::size_t b = 0; b < kMelBins; ++b) {
      const double left = low + static_cast<double>(b) * step, centre = left + step, right = centre + step;
      for (std::size_t bin = 0; bin < kFft / 2; ++bin) {
        const double m = mel(static_cast<double>(bin * kRate) / kFft);
        if (m <= left || m >= right) continue;
        out[b][bin] = m <= centre ? (m - left) / (centre - left) : (right - m) / (right - centre);
      }
    }
    return out;
  }();
  return weights;
}

const std::vector<double>& window() {
  static const std::vector<double> w = [] {
    std::vector<double> out(kWindow);
    for (std::size_t i = 0; i < kWindow; ++i)
      out[i] = std::pow(0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / (kWindow - 1)), 0.85);
    return out;
  }();
  return w;
}

}  // namespace

std::vector<MelFrame> log_mel_frames(const float* samples, std::size_t n) {
  std::vector<MelFrame> frames;
  if (n == 0) return frames;
  const std::size_t count = (n + kHop / 2) / kHop;
  const auto& weights = mel_weights();
  const auto& w = window();
  std::vector<double> x(kWindow);
  std::vector<std::complex<double>> spectrum(kFft);
  for (std::size_t f = 0; f < count; ++f) {
    // Frames are centred on their step, so the first and last reach past the
    // ends: those samples are mirrored in.
    const auto start = static_cast<long long>(f * kHop) - static_cast<long long>((kWindow - kHop) / 2);
    const auto size = static_cast<long long>(n);
    double mean = 0;
    for (std::size_t i = 0; i < kWindow; ++i) {
      long long at = start + static_cast<long long>(i);
      if (at < 0) at = -at - 1;
      if (at >= size) at = 2 * size - 1 - at;
      at = std::clamp(at, 0LL, size - 1);
      x[i] = samples[at];
      mean += x[i] / kWindow;
    }
    for (auto& v : x) v -= mean;
    for (std::size_t i = kWindow - 1; i > 0; --i) x[i] -= kEmphasis * x[i - 1];
    x[0] -= kEmphasis * x[0];
    for (std::size_t i = 0; i < kFft; ++i) spectrum[i] = i < kWindow ? x[i] * w[i] : 0.0;
    fft(spectrum);
    MelFrame frame{};
    for (std::size_t b = 0; b < kMelBins; ++b) {
      double energy = 0;
      for (std::size_t bin = 0; bin < kFft / 2; ++bin)
        if (weights[b][bin] > 0) energy += weights[b][bin] * std::norm(spectrum[bin]);
      frame[b] = static_cast<float>(std::log(std::max(energy, static_cast<double>(FLT_EPSILON))));
    }
    frames.push_back(frame);
  }
  return frames;
}

std::pair<std::size_t, std::size_t> encoder_frames_of(SpeechSpan span, std::size_t subsampling, std::size_t pad,
                                                      std::size_t frames) {
  // Step k of the span is centred 3/4 of a filterbank frame after filterbank
  // frame k; encoder frame e stands for filterbank frames sub·e onwards.
  const std::size_t sub = subsampling;
  const std::size_t first = (4 * span.first + 3) / (4 * sub), last = (4 * span.last + 3 + 4 * sub - 1) / (4 * sub);
  return {first > pad ? first - pad : 0, std::min(frames, last + pad)};
}

EncodedFrames encoded_sound(SpeechEncoder& encoder, const float* samples, std::size_t n) {
  const SpeechSpan span = speech_span(samples, n);
  if (span.first == span.last) return {};
  EncodedFrames all = encoder.encode(log_mel_frames(samples, n));
  const auto [first, last] = encoder_frames_of(span, encoder.subsampling(), 1, all.size());
  if (first >= last) return {};
  EncodedFrames out(std::make_move_iterator(all.begin() + static_cast<std::ptrdiff_t>(first)),
                    std::make_move_iterator(all.begin() + static_cast<std::ptrdiff_t>(last)));
  unit_frames(out);
  return out;
}

}  // namespace quillon
