#include "speech/sphinx/sphinx_judge.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <utility>

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

// Twins are at most this many phone edits apart.
constexpr std::size_t kTwinEdits = 2;

// Phones as small numbers, so that comparing them is cheap: vocabularies with
// number slots hold hundreds of phrases, and every pair is compared.
using Phones = std::vector<int>;

Phones phones_of(const std::string& pronunciation, std::map<std::string, int>& ids) {
  std::istringstream in(pronunciation);
  Phones phones;
  for (std::string phone; in >> phone;)
    phones.push_back(ids.emplace(phone, static_cast<int>(ids.size())).first->second);
  return phones;
}

// Whether at most kTwinEdits insertions, deletions and substitutions turn `a`
// into `b`: only cells within that many of the diagonal can stay in bounds.
bool twins(const Phones& a, const Phones& b) {
  const std::size_t far = kTwinEdits + 1;
  if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > kTwinEdits) return false;
  std::vector<std::size_t> row(b.size() + 1, far);
  for (std::size_t j = 0; j <= std::min(b.size(), kTwinEdits); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    const std::size_t from = i > kTwinEdits ? i - kTwinEdits : 1;
    const std::size_t to = std::min(b.size(), i + kTwinEdits);
    std::size_t diagonal = row[from - 1];
    row[from - 1] = from == 1 && i <= kTwinEdits ? i : far;
    std::size_t best = row[from - 1];
    for (std::size_t j = from; j <= to; ++j) {
      const std::size_t substitute = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
      diagonal = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitute, far});
      best = std::min(best, row[j]);
    }
    if (to < b.size()) row[to + 1] = far;
    if (best > kTwinEdits) return false;
  }
  return row[b.size()] <= kTwinEdits;
}

}  // namespace

std::map<std::string, bool> actable_phrases(const std::map<std::string, std::string>& first_pronunciation,
                                            const std::map<std::string, std::size_t>& syllables) {
  std::map<std::string, int> ids;
  std::vector<std::pair<const std::string*, Phones>> phrases;
  for (const auto& [phrase, pronunciation] : first_pronunciation) {
    phrases.emplace_back(&phrase, phones_of(pronunciation, ids));
  }
  // By length: a phrase's twins are among the next few lengths.
  std::sort(phrases.begin(), phrases.end(),
            [](const auto& x, const auto& y) { return x.second.size() < y.second.size(); });
  std::vector<bool> has_twin(phrases.size(), false);
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    for (std::size_t j = i + 1; j < phrases.size(); ++j) {
      if (phrases[j].second.size() > phrases[i].second.size() + kTwinEdits) break;
      // Two phones apart is too close for this model: it heard 语音 (Y UW IY N)
      // as 语言 (Y UW Y EH N) again and again, and fitted them equally well.
      if ((!has_twin[i] || !has_twin[j]) && twins(phrases[i].second, phrases[j].second)) {
        has_twin[i] = has_twin[j] = true;
      }
    }
  }
  std::map<std::string, bool> actable;
  for (std::size_t k = 0; k < phrases.size(); ++k) {
    const auto s = syllables.find(*phrases[k].first);
    actable[*phrases[k].first] = s != syllables.end() && s->second >= 2 && !has_twin[k];
  }
  return actable;
}

}  // namespace quillon
