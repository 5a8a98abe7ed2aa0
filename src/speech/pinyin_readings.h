#pragma once

// How a vocabulary phrase is said, for every engine that listens for Mandarin
// syllables: each Hanzi's tone-marked pinyin from Unihan, digits read as
// Chinese numbers, Latin letters as Mandarin speakers name them (see
// latin_readings.h), spaces and punctuation silent.

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillon {

// Mandarin readings per code point, the usual one first.
class PinyinReadings {
 public:
  // Parses Unihan_Readings.txt text: kMandarin gives the usual reading(s),
  // kXHC1983 adds the other modern readings of polyphonic characters.
  static PinyinReadings parse(const std::string& unihan_text);

  const std::vector<std::string>* find(char32_t c) const;
  std::size_t size() const { return readings_.size(); }

 private:
  std::unordered_map<char32_t, std::vector<std::string>> readings_;
};

// Reads the system's bzip2-compressed Unihan readings; empty on failure.
std::string read_system_unihan(std::string& error);

// The system's readings; empty when its Unihan data is missing.
PinyinReadings read_system_readings();

// Readings read once, on first use, and then shared by every engine and thread
// that asks: reading them takes a few hundred milliseconds, which the keyword
// spotter spends while its model loads.
class SharedReadings {
 public:
  explicit SharedReadings(std::function<PinyinReadings()> read = read_system_readings) : read_(std::move(read)) {}
  // Reads them on the first call; later calls, from any thread, wait for that.
  const PinyinReadings& get() const;

 private:
  std::function<PinyinReadings()> read_;
  mutable std::once_flag once_;
  mutable PinyinReadings readings_;
};

// Digits as spoken: a run of one or two digits is read as a number (12 → 十二,
// 20 → 二十, 05 → 零五), longer runs digit by digit (2002 → 二零零二).
std::u32string spell_digits(const std::u32string& text);

// Whether `token` is a pinyin initial ("zh", "b", …); y and w count as initials.
bool is_pinyin_initial(std::string_view token);

// A syllable such as "zhōng" as its initial and final {"zh", "ōng"}.
// Syllables without an initial ("ér", "ā") stay whole.
std::vector<std::string> split_syllable(const std::string& syllable);

// Tone marks removed, ü written "v": "lüè" → "lve", "Ér" → "er".
std::string plain_pinyin(const std::string& toned);

// The spoken parts of a phrase with their tone-marked readings, the usual one
// first: each Hanzi (digits read as Chinese first), and each run of Latin
// letters as a whole; spaces and punctuation dropped. Empty, with a reason,
// when a character has no reading (symbols, emoji).
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

}  // namespace quillon
