#include "speech/spotter/detector_pair.h"

namespace quillon {

bool DetectorPair::update(bool usual, bool lenient, double now) {
  if (!lenient) {
    reset();
    return usual;
  }
  if (lenient_since_ < 0) lenient_since_ = now;
  usual_in_stretch_ = usual_in_stretch_ || usual;
  rescued_ = !usual_in_stretch_ && now - lenient_since_ >= kAloneFor;
  return usual || rescued_;
}

}  // namespace quillon
