#pragma once

// The frames both sound analyses cut 16 kHz audio into: 25 ms every 10 ms,
// each through a 512-point FFT. The cepstra and the keyword model's
// filterbank share them, so a speech span found in one (speech_span's steps)
// indexes the other's frames too.

#include <cstddef>

namespace quillon::analysis {

inline constexpr std::size_t kRate = 16000;
inline constexpr std::size_t kWindow = 400;  // 25 ms
inline constexpr std::size_t kHop = 160;     // 10 ms
inline constexpr std::size_t kFft = 512;

}  // namespace quillon::analysis
