#include "speech/sphinx/sphinx_judge.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>
#include <utility>

#include "speech/edit_distance.h"

namespace quillon {

SphinxVerdict judge(const SphinxHearing& heard, const SphinxPhraseFacts& phrase, const SphinxRules& rules) {
  if (!heard.one_phrase || heard.phrase_frames <= 0) return SphinxVerdict::NoPhrase;
  if (!phrase.actable || phrase.syllables == 0) return SphinxVerdict::NeverActs;
  const auto syllables = static_cast<long>(phrase.syllables);
  if (heard.phrase_frames < rules.min_phrase_frames_per_syllable * syllables + rules.min_phrase_frames)
    return SphinxVerdict::TooShort;
  // The padding counts once, not per syllable.
  const long padding = 40;
  if (heard.frames > rules.max_frames_per_syllable * syllables + padding) return SphinxVerdict::TooLong;
  if (heard.frames - heard.phrase_frames > rules.max_extra_frames) return SphinxVerdict::NotAlone;
  if (heard.phrase_score < static_cast<long>(rules.min_phrase_score_per_frame) * heard.phrase_frames)
    return SphinxVerdict::PoorMatch;
  if (heard.contrast_db < rules.min_contrast_db) return SphinxVerdict::NoContrast;
  return SphinxVerdict::Acts;
}

float loudness_contrast_db(std::vector<float> frame_energies) {
  if (frame_energies.size() < 2) return 0;
  std::sort(frame_energies.begin(), frame_energies.end());
  const std::size_t n = frame_energies.size() - 1;
  const float quiet = std::max(frame_energies[n / 10], 1e-12f);
  const float loud = std::max(frame_energies[n - n / 10], 1e-12f);
  return 10.0f * std::log10(loud / quiet);
}

const char* verdict_name(SphinxVerdict verdict) {
  static constexpr std::pair<SphinxVerdict, const char*> kNames[] = {
      {SphinxVerdict::Acts, "acts"},
      {SphinxVerdict::NoPhrase, "no phrase"},
      {SphinxVerdict::NeverActs, "never acts"},
      {SphinxVerdict::PoorMatch, "poor match"},
      {SphinxVerdict::NotAlone, "not alone"},
      {SphinxVerdict::TooLong, "too long"},
      {SphinxVerdict::TooShort, "too short"},
      {SphinxVerdict::NoContrast, "no contrast"},
  };
  for (const auto& [value, name] : kNames) {
    if (value == verdict) return name;
  }
  return "?";
}

namespace {

std::vector<std::string> phones_of(const std::string& pronunciation) {
  std::istringstream in(pronunciation);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

}  // namespace

std::map<std::string, bool> actable_phrases(const std::map<std::string, std::string>& first_pronunciation,
                                            const std::map<std::string, std::size_t>& syllables) {
  std::map<std::string, std::vector<std::string>> phones;
  for (const auto& [phrase, pronunciation] : first_pronunciation) phones[phrase] = phones_of(pronunciation);
  std::map<std::string, bool> actable;
  for (const auto& [phrase, own] : phones) {
    const auto s = syllables.find(phrase);
    // Two phones apart is too close for this model: it heard 语音 (Y UW IY N)
    // as 语言 (Y UW Y EH N) again and again, and fitted them equally well.
    const bool has_twin = std::any_of(phones.begin(), phones.end(), [&](const auto& other) {
      return other.first != phrase && edit_distance(own, other.second) <= 2;
    });
    actable[phrase] = s != syllables.end() && s->second >= 2 && !has_twin;
  }
  return actable;
}

}  // namespace quillon
