#pragma once

// Where speech stops, by its loudness: the voice-activity model notices the
// end of speech only about 0.2 s after it, too late for a command to feel
// immediate. This follows the level in 10 ms frames against a slowly rising
// noise floor and the loudest frame of the current utterance.

#include <cstddef>
#include <deque>

namespace quillon {

class SpeechLevel {
 public:
  void accept(const float* samples, std::size_t n);
  // A new utterance, whose speech began up to `lookback` seconds ago: loud
  // frames are counted from there, and the loudest frame so far is forgotten.
  void begin_utterance(double lookback);
  // Seconds of input since the last frame loud enough to be speech.
  double quiet_for() const;
  // Seconds of loud frames since the utterance began.
  double loud_seconds() const { return static_cast<double>(loud_frames_ * kFrame) / 16000.0; }
  // Level of the loudest frame of the utterance, in dB of full scale.
  double utterance_peak_db() const { return peak_db_; }
  // Level of the last frame, in dB of full scale (−100 for digital silence).
  double last_frame_db() const { return last_db_; }

 private:
  void end_frame();

  static constexpr std::size_t kFrame = 160;
  double sum_ = 0;
  std::size_t in_frame_ = 0;
  double floor_db_ = -60;
  double peak_db_ = -100;
  double last_db_ = -100;
  std::size_t frames_since_loud_ = 1000;
  std::size_t loud_frames_ = 0;
  std::deque<bool> recent_loud_;  // the last second, newest last
};

}  // namespace quillon
