#include "speech/spotter/speech_level.h"

#include <algorithm>
#include <cmath>

namespace quillon {
namespace {

// Speech stands this far above the noise, and within this range of the
// utterance's loudest frame; trailing breath, hiss and room echo do not.
constexpr double kAboveFloorDb = 9;
constexpr double kBelowPeakDb = 18;
// The floor follows the level down at once and up slowly, so a voice does not
// raise it while the speaker talks.
constexpr double kFloorRisePerFrameDb = 0.03;

}  // namespace

void SpeechLevel::accept(const float* samples, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    sum_ += static_cast<double>(samples[i]) * samples[i];
    if (++in_frame_ == kFrame) end_frame();
  }
}

void SpeechLevel::end_frame() {
  last_db_ = std::max(-100.0, 10 * std::log10(sum_ / kFrame + 1e-10));
  sum_ = 0;
  in_frame_ = 0;
  floor_db_ = std::min(floor_db_ + kFloorRisePerFrameDb, last_db_);
  const bool loud = last_db_ > floor_db_ + kAboveFloorDb && last_db_ > peak_db_ - kBelowPeakDb;
  if (loud) peak_db_ = std::max(peak_db_, last_db_);
  frames_since_loud_ = loud ? 0 : frames_since_loud_ + 1;
  if (loud) ++loud_frames_;
  recent_loud_.push_back(loud);
  if (recent_loud_.size() > 100) recent_loud_.pop_front();
}

void SpeechLevel::begin_utterance(double lookback) {
  peak_db_ = -100;
  frames_since_loud_ = 0;
  const auto frames = std::min(recent_loud_.size(), static_cast<std::size_t>(lookback * 100));
  loud_frames_ = static_cast<std::size_t>(
      std::count(recent_loud_.end() - static_cast<std::ptrdiff_t>(frames), recent_loud_.end(), true));
}

double SpeechLevel::quiet_for() const { return static_cast<double>(frames_since_loud_ * kFrame + in_frame_) / 16000.0; }

}  // namespace quillon
