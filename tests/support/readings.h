#pragma once

// The system's Mandarin readings, read once for the whole test program: every
// engine test would otherwise read them again.

#include <memory>

#include "speech/pinyin_readings.h"

namespace quillon::testing {

inline std::shared_ptr<const SharedReadings> system_readings() {
  static const auto readings = std::make_shared<const SharedReadings>();
  return readings;
}

}  // namespace quillon::testing
