#pragma once

// Mandarin phrases as pronunciations in the phones of a US English acoustic
// model, for the fallback recogniser that has no Mandarin model. Each pinyin
// initial and final maps to its nearest English phones, some with an
// alternative that also matched well; tones play no part (the model has no
// tone units). A phrase gets several pronunciations: the first choices, the
// other readings of polyphonic characters, a few single alternatives, and all
// alternatives at once.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "speech/pinyin_readings.h"

namespace quillon {

// A syllable's sounds in order (initial if any, then final), each as English
// phones with an optional alternative ("" when none).
struct SyllableSounds {
  struct Part {
    std::string phones;
    std::string alternative;
  };
  std::vector<Part> parts;
  bool ok() const { return !parts.empty(); }
};

// Empty when the syllable is not standard pinyin (interjections like "hm").
SyllableSounds syllable_sounds(const std::string& toned);

inline constexpr std::size_t kMaxPronunciations = 8;

// Space-separated phone strings, the first-choice one first, no repeats.
// Empty when some character has no reading that maps to phones.
std::vector<std::string> phrase_pronunciations(const PhraseReadings& phrase,
                                               std::size_t max_count = kMaxPronunciations);

// Every phone of the English model except silence: the garbage branch of the
// decoder's grammar is a loop over these.
inline constexpr std::array<const char*, 39> kEnglishPhones = {
    "AA", "AE", "AH", "AO", "AW", "AY", "B", "CH", "D", "DH", "EH", "ER", "EY", "F",  "G", "HH", "IH", "IY", "JH", "K",
    "L",  "M",  "N",  "NG", "OW", "OY", "P", "R",  "S", "SH", "T",  "TH", "UH", "UW", "V", "W",  "Y",  "Z",  "ZH"};

}  // namespace quillon
