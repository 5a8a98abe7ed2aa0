#pragma once

// Turns a vocabulary phrase into keyword lines for the Mandarin spotter: each
// Hanzi becomes its tone-marked pinyin (from Unihan), Latin letters their
// names as Mandarin speakers say them, each syllable is split
// into the model's initial and final tokens, and every token is checked
// against the model's token list (the library ends the process on an unknown
// token, so nothing unchecked may reach it).

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quillon {

// Mandarin readings per code point, the usual one first.
class PinyinReadings {
 public:
  // Parses Unihan_Readings.txt text: kMandarin gives the usual reading(s),
  // kXHC1983 adds the other modern readings of polyphonic characters.
  static PinyinReadings parse(const std::string& unihan_text);
  // The system's Unihan data, read once per process; empty when missing.
  static const PinyinReadings& system();

  const std::vector<std::string>* find(char32_t c) const;
  std::size_t size() const { return readings_.size(); }

 private:
  std::unordered_map<char32_t, std::vector<std::string>> readings_;
};

// Reads the system's bzip2-compressed Unihan readings; empty on failure.
std::string read_system_unihan(std::string& error);

class TokenSet {
 public:
  static TokenSet parse(const std::string& tokens_txt);
  bool contains(const std::string& token) const { return tokens_.count(token) != 0; }
  bool empty() const { return tokens_.empty(); }

 private:
  std::unordered_set<std::string> tokens_;
};

// Digits as spoken: a run of one or two digits is read as a number (12 → 十二,
// 20 → 二十, 05 → 零五), longer runs digit by digit (2002 → 二零零二).
std::u32string spell_digits(const std::u32string& text);

// A syllable such as "zhōng" as the model's tokens {"zh", "ōng"}; y and w count
// as initials. Syllables without an initial ("ér", "ā") stay whole.
std::vector<std::string> split_syllable(const std::string& syllable);

// The spoken parts of a phrase with their tone-marked readings, the usual one
// first: each Hanzi (digits read as Chinese first), and each run of Latin
// letters as a whole (see latin_readings.h); spaces and punctuation dropped.
// Empty, with a reason, when a character has no reading (symbols, emoji).
struct PhraseReadings {
  struct Character {
    std::string text;  // UTF-8
    // Each reading is one or more syllables: one for a Hanzi, a letter's name
    // may have several ("ài fu").
    std::vector<std::vector<std::string>> readings;
    std::string latin;  // a run of Latin letters, upper case; empty for a Hanzi
  };
  std::vector<Character> characters;
  std::string unsupported_reason;
  bool supported() const { return !characters.empty(); }
  // Syllables of the usual reading.
  std::size_t syllable_count() const;
};

PhraseReadings phrase_readings(const std::string& phrase, const PinyinReadings& readings);

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
