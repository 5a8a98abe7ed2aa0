#pragma once

// Decides whether one utterance was a command: the free recogniser's reading
// of the whole utterance is compared with the phrases the keyword spotter
// heard in it. A command acts only when the utterance holds the phrase (or
// several phrases in a row) and little else; the same phrase inside longer
// talk is not a command. Pure logic on the model's tokens (tone-marked pinyin
// initials and finals), no audio.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

using Tokens = std::vector<std::string>;

// The model's tokens paired into syllables: an initial takes the final after
// it; a final with no initial, or a Latin letter, is a syllable of its own.
std::vector<Tokens> token_syllables(const Tokens& tokens);

// "ǎng" → "ang", "ǜ" → "ü": tones are often misheard, so matching ignores them.
std::string toneless(const std::string& token);
Tokens toneless_tokens(const Tokens& tokens);

std::size_t token_edit_distance(const Tokens& a, const Tokens& b);

// Toneless readings at most one sound in four of `b` apart (one at least):
// what is heard as one may well have been the other.
bool readings_nearly_alike(const Tokens& a, const Tokens& b);

// A reading near enough one of the phrase's own readings to be this
// speaker's way of saying it: at most half its sounds changed, and for a
// reading of one syllable, none but the tone (any other syllable is a word
// of talk: 对, 好, 那).
bool reading_like_phrase(const Tokens& reading, const std::vector<Tokens>& own);

struct MatchPhrase {
  std::string text;
  std::vector<Tokens> readings;  // the usual reading first
};

// Two readings of one utterance named different phrases: rather none than
// perhaps the wrong one, unless the speaker's takes clearly sound like one of
// the two and both were taught (how a phrase never taught sounds is not
// known). `sounded`: the taught phrase the utterance clearly sounds like.
std::vector<std::size_t> settle_disagreement(const std::vector<std::size_t>& one, const std::vector<std::size_t>& other,
                                             std::optional<std::size_t> sounded,
                                             const std::function<bool(std::size_t)>& taught);

class UtteranceMatcher {
 public:
  void set_phrases(std::vector<MatchPhrase> phrases);
  std::size_t size() const { return phrases_.size(); }
  const MatchPhrase& phrase(std::size_t index) const { return phrases_[index]; }
  std::size_t syllable_count(std::size_t index) const { return syllables_[index]; }
  std::size_t longest_syllable_count() const { return longest_; }
  // Phrases that a longer phrase of the vocabulary begins with (by reading).
  bool begins_longer_phrase(std::size_t index) const { return begins_longer_[index]; }

  // The phrases the utterance consists of, in order, or none.
  // `heard`: the recogniser's tokens for the whole utterance; `spotted`: the
  // indices of the phrases the spotter reported in it, in time order.
  // `in_doubt`, when given, is set when the phrase found was told from
  // another only by tones that were not heard right: another reading of the
  // utterance may know better.
  std::vector<std::size_t> match(const Tokens& heard, const std::vector<std::size_t>& spotted,
                                 bool* in_doubt = nullptr) const;

  // False when an utterance whose reading begins with `heard` can no longer
  // be a command, however it goes on: too many syllables for the phrases
  // `spotted` so far and for any other phrase, or after a few syllables, not
  // even near the beginning of any phrase long enough.
  bool may_become_command(const Tokens& heard, const std::vector<std::size_t>& spotted) const;

 private:
  std::size_t distance_to(const Tokens& heard, const std::vector<std::size_t>& sequence) const;
  std::size_t toned_distance_to(const Tokens& heard, const std::vector<std::size_t>& sequence) const;
  std::vector<std::size_t> nearest_phrase(const Tokens& heard, const Tokens& heard_toned, bool* in_doubt) const;

  std::vector<MatchPhrase> phrases_;
  std::vector<std::vector<Tokens>> toneless_;  // per phrase, per reading
  std::vector<std::size_t> syllables_;
  std::vector<bool> begins_longer_;
  std::size_t longest_ = 0;
};

}  // namespace quillon
