#pragma once

// Plays a stream of samples a little slower or faster (and so lower or
// higher), by linear interpolation between neighbouring samples. The small
// model mishears some voices at their own speed and not at another, so an
// utterance is also read at a changed speed.

#include <cstddef>
#include <vector>

namespace quillon {

class SpeedChange {
 public:
  // `speed` above 1 plays faster (fewer samples out than in).
  explicit SpeedChange(double speed = 1.0) : step_(speed) {}
  bool changes() const { return step_ != 1.0; }
  // Replaces `out` with the samples that `in` adds to the changed stream.
  void process(const float* in, std::size_t n, std::vector<float>& out);

 private:
  double step_;
  double position_ = 0;  // of the next output sample; -1 is the previous piece's last sample
  float last_ = 0;
};

}  // namespace quillon
