#pragma once

// In-place radix-2 FFT, shared by the voice templates and the keyword model's
// filterbank: both take short frames of a few hundred samples, where a plain
// transform is fast enough and a library would be one more dependency.

#include <complex>
#include <cstddef>
#include <numbers>
#include <utility>
#include <vector>

namespace quillon {

// x.size() must be a power of two.
inline void fft(std::vector<std::complex<double>>& x) {
  const std::size_t n = x.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / static_cast<double>(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1;
      for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
        const auto u = x[i + k], v = x[i + k + len / 2] * w;
        x[i + k] = u + v;
        x[i + k + len / 2] = u - v;
      }
    }
  }
}

}  // namespace quillon
