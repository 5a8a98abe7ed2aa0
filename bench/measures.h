#pragma once

// What the evaluations measure alike: the process's CPU time, where speech
// ends in a clip, and percentiles of the results.

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace quillon::bench {

inline double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Where speech ends, by level: the last 10 ms frame above both 30 dB under
// the loudest frame and 10 dB over the quiet floor of the clip.
inline double speech_end(const std::vector<float>& s) {
  std::vector<double> db;
  for (std::size_t at = 0; at + 160 <= s.size(); at += 160) {
    double sum = 0;
    for (std::size_t i = at; i < at + 160; ++i) sum += double(s[i]) * s[i];
    db.push_back(10 * std::log10(sum / 160 + 1e-10));
  }
  if (db.empty()) return 0;
  std::vector<double> sorted = db;
  std::sort(sorted.begin(), sorted.end());
  const double threshold = std::max(sorted.back() - 30, sorted[sorted.size() / 10] + 10);
  for (std::size_t k = db.size(); k-- > 0;)
    if (db[k] > threshold) return double(k + 1) / 100;
  return 0;
}

// The value at fraction `p` (0 to 1) of the sorted values; 0 for none.
inline double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace quillon::bench
