#include "speech/spotter/utterance_match.h"

#include <QString>
#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <tuple>

#include "speech/edit_distance.h"
#include "speech/pinyin_readings.h"

namespace quillon {
namespace {

// Sounds a speaker adds around a command ("嗯", "啊", "呃") without meaning.
bool is_filler(const Tokens& syllable) {
  static constexpr std::array<std::string_view, 12> kFillers = {"a",  "o",  "e", "en", "n",  "ng",
                                                                "ei", "ai", "m", "er", "ao", "ou"};
  if (syllable.size() != 1) return false;
  const std::string plain = toneless(syllable.front());
  return std::find(kFillers.begin(), kFillers.end(), plain) != kFillers.end();
}

Tokens flatten_toneless(const std::vector<Tokens>& syllables) {
  Tokens out;
  for (const auto& syllable : syllables)
    for (const auto& token : syllable) out.push_back(toneless(token));
  return out;
}

}  // namespace

std::vector<Tokens> token_syllables(const Tokens& tokens) {
  std::vector<Tokens> out;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (is_pinyin_initial(tokens[i]) && i + 1 < tokens.size() && !is_pinyin_initial(tokens[i + 1])) {
      out.push_back({tokens[i], tokens[i + 1]});
      ++i;
    } else {
      out.push_back({tokens[i]});
    }
  }
  return out;
}

std::string toneless(const std::string& token) {
  const QString decomposed = QString::fromUtf8(token).normalized(QString::NormalizationForm_D);
  QString plain;
  for (const QChar c : decomposed) {
    // Tone marks are combining accents; the diaeresis of ü is not a tone.
    if (c.category() == QChar::Mark_NonSpacing && c.unicode() != 0x0308) continue;
    plain += c;
  }
  return plain.normalized(QString::NormalizationForm_C).toStdString();
}

Tokens toneless_tokens(const Tokens& tokens) {
  Tokens out;
  for (const auto& token : tokens) out.push_back(toneless(token));
  return out;
}

std::size_t token_edit_distance(const Tokens& a, const Tokens& b) { return edit_distance(a, b); }

bool readings_nearly_alike(const Tokens& a, const Tokens& b) {
  return token_edit_distance(a, b) <= std::max<std::size_t>(1, b.size() / 4);
}

bool reading_like_phrase(const Tokens& reading, const std::vector<Tokens>& own) {
  const Tokens plain = toneless_tokens(reading);
  const bool one_syllable = token_syllables(reading).size() <= 1;
  return std::any_of(own.begin(), own.end(), [&](const Tokens& r) {
    const std::size_t d = token_edit_distance(plain, toneless_tokens(r));
    return d == 0 || (!one_syllable && 2 * d <= r.size());
  });
}

std::vector<std::size_t> settle_disagreement(const std::vector<std::size_t>& one, const std::vector<std::size_t>& other,
                                             std::optional<std::size_t> sounded,
                                             const std::function<bool(std::size_t)>& taught) {
  const auto taught_alone = [&](const std::vector<std::size_t>& m) { return m.size() == 1 && taught(m.front()); };
  if (!sounded || !taught_alone(one) || !taught_alone(other)) return {};
  if (one.front() != *sounded && other.front() != *sounded) return {};
  return {*sounded};
}

void UtteranceMatcher::set_phrases(std::vector<MatchPhrase> phrases) {
  phrases_ = std::move(phrases);
  toneless_.assign(phrases_.size(), {});
  syllables_.assign(phrases_.size(), 0);
  begins_longer_.assign(phrases_.size(), false);
  for (std::size_t i = 0; i < phrases_.size(); ++i) {
    for (const auto& reading : phrases_[i].readings) toneless_[i].push_back(flatten_toneless({reading}));
    if (!phrases_[i].readings.empty()) syllables_[i] = token_syllables(phrases_[i].readings.front()).size();
  }
  longest_ = syllables_.empty() ? 0 : *std::max_element(syllables_.begin(), syllables_.end());
  const auto begins = [](const Tokens& a, const Tokens& b) {
    return a.size() < b.size() && std::equal(a.begin(), a.end(), b.begin());
  };
  for (std::size_t i = 0; i < phrases_.size(); ++i) {
    for (std::size_t j = 0; j < phrases_.size() && !begins_longer_[i]; ++j) {
      for (const auto& a : phrases_[i].readings)
        for (const auto& b : phrases_[j].readings) begins_longer_[i] = begins_longer_[i] || begins(a, b);
    }
  }
}

std::size_t UtteranceMatcher::distance_to(const Tokens& heard, const std::vector<std::size_t>& sequence) const {
  if (sequence.size() == 1) {
    std::size_t best = std::numeric_limits<std::size_t>::max();
    for (const auto& reading : toneless_[sequence.front()]) best = std::min(best, token_edit_distance(heard, reading));
    return best;
  }
  Tokens joined;
  for (const auto index : sequence) joined.insert(joined.end(), toneless_[index][0].begin(), toneless_[index][0].end());
  return token_edit_distance(heard, joined);
}

std::size_t UtteranceMatcher::toned_distance_to(const Tokens& heard, const std::vector<std::size_t>& sequence) const {
  if (sequence.size() == 1) {
    std::size_t best = std::numeric_limits<std::size_t>::max();
    for (const auto& reading : phrases_[sequence.front()].readings)
      best = std::min(best, token_edit_distance(heard, reading));
    return best;
  }
  Tokens joined;
  for (const auto index : sequence) {
    const auto& reading = phrases_[index].readings.front();
    joined.insert(joined.end(), reading.begin(), reading.end());
  }
  return token_edit_distance(heard, joined);
}

std::vector<std::size_t> UtteranceMatcher::nearest_phrase(const Tokens& heard, const Tokens& heard_toned,
                                                          bool* in_doubt) const {
  // Without the spotter's word, one sound in four may differ: a one-syllable
  // reading must be exact (one changed sound turns 除 into 不).
  const std::size_t allowed = heard.size() / 4;
  // Nearest without tones, then with them, as for the spotter's words.
  using Rank = std::pair<std::size_t, std::size_t>;
  Rank best{SIZE_MAX, SIZE_MAX}, second = best;
  std::size_t best_index = 0;
  for (std::size_t i = 0; i < phrases_.size(); ++i) {
    const Rank rank{distance_to(heard, {i}), toned_distance_to(heard_toned, {i})};
    if (rank < best) {
      second = best;
      best = rank;
      best_index = i;
    } else if (rank < second) {
      second = rank;
    }
  }
  // Only a clear winner: two phrases equally near are a guess.
  if (best.first > allowed || second == best) return {};
  // Told apart only by tones that were themselves misheard.
  if (in_doubt) *in_doubt = second.first == best.first && best.second > 0;
  return {best_index};
}

bool UtteranceMatcher::may_become_command(const Tokens& heard_tokens, const std::vector<std::size_t>& spotted) const {
  std::vector<Tokens> syllables = token_syllables(heard_tokens);
  if (!syllables.empty() && is_filler(syllables.front())) syllables.erase(syllables.begin());
  // A filler may still end the utterance.
  const std::size_t said = syllables.empty() ? 0 : syllables.size() - 1;
  std::size_t in_a_row = 0;
  for (const auto index : spotted) in_a_row += index < phrases_.size() ? syllables_[index] : 0;
  if (said > std::max(longest_, in_a_row)) return false;
  // Phrases said in a row are found by the spotter; until it finds one, and
  // while few syllables are heard, anything is possible.
  constexpr std::size_t kSyllablesToJudge = 4;
  if (!spotted.empty() || syllables.size() < kSyllablesToJudge) return true;
  const Tokens heard = flatten_toneless(syllables);
  for (std::size_t i = 0; i < phrases_.size(); ++i) {
    if (syllables_[i] < said) continue;
    for (const auto& reading : toneless_[i])
      if (2 * prefix_edit_distance(heard, reading) <= heard.size()) return true;
  }
  return false;
}

std::vector<std::size_t> UtteranceMatcher::match(const Tokens& heard_tokens, const std::vector<std::size_t>& spotted,
                                                 bool* in_doubt) const {
  if (in_doubt) *in_doubt = false;
  std::vector<Tokens> syllables = token_syllables(heard_tokens);
  if (!syllables.empty() && is_filler(syllables.front())) syllables.erase(syllables.begin());
  if (!syllables.empty() && is_filler(syllables.back())) syllables.pop_back();
  if (syllables.empty()) return {};
  const Tokens heard = flatten_toneless(syllables);

  // What the spotter heard: each phrase alone, and all of them in a row.
  std::vector<std::vector<std::size_t>> candidates;
  std::vector<std::size_t> in_a_row;
  for (const auto index : spotted) {
    if (index >= phrases_.size()) continue;
    if (in_a_row.empty() || in_a_row.back() != index) in_a_row.push_back(index);
    if (std::none_of(candidates.begin(), candidates.end(), [&](const auto& c) { return c.front() == index; }))
      candidates.push_back({index});
  }
  if (in_a_row.size() > 1) candidates.push_back(in_a_row);

  const auto length = [&](const std::vector<std::size_t>& c) {
    std::size_t n = 0;
    for (const auto index : c) n += syllables_[index];
    return n;
  };
  // Nearest without tones, then the longer, then nearest with tones (北京 and
  // 背景 differ only there).
  Tokens heard_toned;
  for (const auto& syllable : syllables) heard_toned.insert(heard_toned.end(), syllable.begin(), syllable.end());
  std::vector<std::size_t> chosen;
  std::tuple<std::size_t, std::size_t, std::size_t> chosen_rank;
  bool tied = false;
  for (const auto& candidate : candidates) {
    // More syllables than the phrases have means more was said than the command.
    if (syllables.size() > length(candidate)) continue;
    const auto rank = std::make_tuple(distance_to(heard, candidate), SIZE_MAX - length(candidate),
                                      toned_distance_to(heard_toned, candidate));
    if (!chosen.empty() && rank == chosen_rank) tied = true;
    if (chosen.empty() || rank < chosen_rank) {
      chosen = candidate;
      chosen_rank = rank;
      tied = false;
    }
  }
  // Two phrases the spotter heard, equally near the reading: a guess. Another
  // reading of the utterance may tell them apart.
  if (tied) return {};
  if (chosen.empty()) return nearest_phrase(heard, heard_toned, in_doubt);
  if (std::get<0>(chosen_rank) == 0) return chosen;
  // Read as one other phrase, which the spotter did not hear: exactly, or
  // near enough while what the spotter heard has little in common with the
  // reading (more than half its sounds differ). The spotter missed that phrase.
  bool doubt = false;
  std::vector<std::size_t> other = nearest_phrase(heard, heard_toned, &doubt);
  std::size_t spotted_sounds = 0;
  for (const auto index : chosen) spotted_sounds += toneless_[index][0].size();
  const bool unlike_spotted = 2 * std::get<0>(chosen_rank) > spotted_sounds;
  if (other.empty() || (distance_to(heard, other) != 0 && !unlike_spotted)) return chosen;
  if (in_doubt) *in_doubt = doubt;
  return other;
}

}  // namespace quillon
