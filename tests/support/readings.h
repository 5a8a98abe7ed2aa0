#pragma once

// The system's Mandarin readings, read once for the whole test program: every
// engine test would otherwise read them again.

#include <memory>
#include <string>
#include <vector>

#include "speech/pinyin_readings.h"

namespace quillon::testing {

inline std::shared_ptr<const SharedReadings> system_readings() {
  static const auto readings = std::make_shared<const SharedReadings>();
  return readings;
}

// Tokens or syllables as one text, a space between each.
inline std::string join(const std::vector<std::string>& tokens) {
  std::string s;
  for (const auto& t : tokens) s += (s.empty() ? "" : " ") + t;
  return s;
}

}  // namespace quillon::testing
