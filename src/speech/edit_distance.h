#pragma once

// How many insertions, deletions and substitutions turn one sequence into
// another (Levenshtein distance), for sequences of sounds or tokens.

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

namespace quillon {

// The last row of the distance table: element j is the distance from `a` to
// the first j elements of `b`.
template <typename Sequence>
std::vector<std::size_t> edit_distance_row(const Sequence& a, const Sequence& b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitute = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
      diagonal = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitute});
    }
  }
  return row;
}

template <typename Sequence>
std::size_t edit_distance(const Sequence& a, const Sequence& b) {
  return edit_distance_row(a, b).back();
}

// The distance from `a` to the nearest beginning of `b`: how far `a` is from
// being how `b` starts, however `b` goes on.
template <typename Sequence>
std::size_t prefix_edit_distance(const Sequence& a, const Sequence& b) {
  const auto row = edit_distance_row(a, b);
  return *std::min_element(row.begin(), row.end());
}

}  // namespace quillon
