#pragma once

// Speech as two voice detectors hear it: the usual one, and a lenient one for
// the voices the usual one misses altogether (a narrowband headset's, some
// quiet ones). Speech that the lenient detector hears for a while, without
// the usual one hearing any in that while, counts as speech too; speech the
// usual one heard keeps its own start and end. Pure logic on the detectors'
// answers, piece by piece.

namespace quillon {

class DetectorPair {
 public:
  // How long the lenient detector must hear speech alone before it counts.
  static constexpr double kAloneFor = 0.3;

  // The detectors' answers after the input up to `now` (seconds); whether
  // speech is going on.
  bool update(bool usual, bool lenient, double now);
  // How much earlier than the usual detector's report the speech began: the
  // lenient detector's stretch, when it is what counts.
  double extra_lag(double now) const { return rescued_ ? now - lenient_since_ : 0.0; }
  void reset() { *this = DetectorPair(); }

 private:
  double lenient_since_ = -1;  // start of the lenient detector's current stretch
  bool usual_in_stretch_ = false;
  bool rescued_ = false;
};

}  // namespace quillon
