#pragma once

// Turns a vocabulary phrase into keyword lines for the Mandarin spotter: each
// Hanzi becomes its tone-marked pinyin (from Unihan), Latin letters their
// names as Mandarin speakers say them, each syllable is split
// into the model's initial and final tokens, and every token is checked
// against the model's token list (the library ends the process on an unknown
// token, so nothing unchecked may reach it).

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

#include "speech/pinyin_readings.h"

namespace quillon {

class TokenSet {
 public:
  static TokenSet parse(const std::string& tokens_txt);
  bool contains(const std::string& token) const { return tokens_.count(token) != 0; }
  bool empty() const { return tokens_.empty(); }

 private:
  std::unordered_set<std::string> tokens_;
};

struct PhraseKeywords {
  std::string phrase;
  // Alternative token sequences (polyphonic characters, ways of saying
  // letters, and the model's own letter tokens); the first uses every
  // character's usual reading. Empty when unsupported.
  std::vector<std::vector<std::string>> lines;
  std::string unsupported_reason;  // set when the phrase cannot be listened for
  bool supported() const { return !lines.empty(); }
};

inline constexpr std::size_t kMaxKeywordLines = 8;

PhraseKeywords phrase_keywords(const std::string& phrase, const PinyinReadings& readings, const TokenSet& tokens,
                               std::size_t max_lines = kMaxKeywordLines);

// "s ān h ào @三号" style line for the library (tokens, then the reported text).
std::string keyword_line(const std::vector<std::string>& tokens, const std::string& text);

}  // namespace quillon
