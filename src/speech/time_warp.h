#pragma once

// Dynamic time warping: how alike two sequences of frames are, whatever
// the speed at which each was said.

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

namespace quillon {

// Mean cost of the frame pairs along the best alignment of a sequence of
// `a` frames with one of `b`; `cost(i, j)` compares frame i of the first
// with frame j of the second. Infinity when either is empty.
template <typename Cost>
double warped_mean_cost(std::size_t a, std::size_t b, Cost cost) {
  constexpr double kFar = std::numeric_limits<double>::infinity();
  if (a == 0 || b == 0) return kFar;
  std::vector<double> previous(b + 1, kFar), current(b + 1, kFar);
  previous[0] = 0;
  // A diagonal step pairs a frame of each and counts twice, so that every
  // path weighs the frames of both alike: otherwise the mean favours paths
  // that skip across one of them.
  for (std::size_t i = 0; i < a; ++i) {
    current[0] = kFar;
    for (std::size_t j = 0; j < b; ++j) {
      const double c = cost(i, j);
      current[j + 1] = std::min({previous[j] + 2 * c, previous[j + 1] + c, current[j] + c});
    }
    std::swap(previous, current);
  }
  return previous[b] / static_cast<double>(a + b);
}

}  // namespace quillon
