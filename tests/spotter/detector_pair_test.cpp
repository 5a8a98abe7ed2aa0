// Speech as the usual and the lenient voice detector hear it together.

#include <gtest/gtest.h>

#include <string>

#include "speech/spotter/detector_pair.h"

namespace quillon {
namespace {

// One character per 0.1 s piece: what the detectors said ('-' neither, 'u'
// the usual one alone, 'l' the lenient one alone, 'b' both), and what counts
// as speech ('.' none, 's' speech).
std::string heard(const std::string& detectors, DetectorPair& pair, double* last_extra = nullptr) {
  std::string out;
  for (std::size_t i = 0; i < detectors.size(); ++i) {
    const char c = detectors[i];
    const double now = 0.1 * static_cast<double>(i + 1);
    out += pair.update(c == 'u' || c == 'b', c == 'l' || c == 'b', now) ? 's' : '.';
    if (last_extra) *last_extra = pair.extra_lag(now);
  }
  return out;
}

TEST(DetectorPair, TheLenientDetectorCountsOnlyForSpeechTheUsualOneNeverHears) {
  const struct {
    const char* name;
    const char* detectors;
    const char* speech;
  } rows[] = {
      {"the usual detector is followed as it is", "--bbbb--", "..ssss.."},
      {"its start is not moved earlier, nor its end later", "-llbbbl--", "...sss..."},
      {"a lenient stretch too short is not speech", "-ll--ll-", "........"},
      {"a long one is, once it has lasted 0.3 s", "-llllll--", "....sss.."},
      {"each stretch is judged on its own", "-bb-llll-", ".ss....s."},
      {"the usual one joining takes over", "-llllbbl-", "....sss.."},
  };
  for (const auto& row : rows) {
    DetectorPair pair;
    EXPECT_EQ(heard(row.detectors, pair), row.speech) << row.name;
  }
}

TEST(DetectorPair, SpeechTheLenientDetectorFoundBeganWhenItsStretchDid) {
  DetectorPair pair;
  double extra = -1;
  heard("--lllll", pair, &extra);
  EXPECT_NEAR(extra, 0.4, 1e-9);  // heard from 0.3 s, now 0.7 s
  heard("-", pair, &extra);
  EXPECT_EQ(extra, 0.0);
  heard("bbbb", pair, &extra);
  EXPECT_EQ(extra, 0.0);
}

}  // namespace
}  // namespace quillon
