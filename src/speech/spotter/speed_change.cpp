#include "speech/spotter/speed_change.h"

#include <cmath>

namespace quillon {

void SpeedChange::process(const float* in, std::size_t n, std::vector<float>& out) {
  out.clear();
  if (n == 0) return;
  const auto length = static_cast<double>(n);
  // Each output sample lies between two input samples, the first of which may
  // be the last one of the previous piece.
  for (; position_ < length - 1; position_ += step_) {
    const double whole = std::floor(position_);
    const auto fraction = static_cast<float>(position_ - whole);
    const auto i = static_cast<std::ptrdiff_t>(whole);
    const float a = i < 0 ? last_ : in[i];
    const float b = in[i + 1];
    out.push_back(a + fraction * (b - a));
  }
  position_ -= length;
  last_ = in[n - 1];
}

}  // namespace quillon
