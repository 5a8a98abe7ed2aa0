#pragma once

// Latin letters in a Mandarin phrase, read the way Mandarin speakers say them
// ("切换PK阵营" is said "qiē huàn pī kēi zhèn yíng"): letter names as pinyin
// syllables, a few words gamers say as words ("boss"), and the same in the
// phones of a US English model for the fallback recogniser.

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A run of ASCII letters (any case) as tone-marked pinyin syllables, the usual
// reading first. A known word is read as that word; any other run letter by
// letter: every letter level, then the last one falling (as a run is said on
// its own), every one falling, and the other common names of single letters.
// Empty for an empty run or a character that is not an ASCII letter.
std::vector<std::vector<std::string>> latin_readings(std::string_view letters);

// The same run in US English phones ("P IY K EY"); empty as above.
std::string latin_english_phones(std::string_view letters);

}  // namespace quillon
