#pragma once

// Phrases a recogniser may not tell apart, judged on how they are said: their
// syllables as toneless initials and finals, over every reading of polyphonic
// characters and letters. Tones are left out: pairs that differ only in tone,
// such as 北京/背景, are among those the engines were heard to mix up.

#include <string>
#include <vector>

#include "speech/pinyin_readings.h"

namespace quillon {

// True when some way of saying `a` and some way of saying `b` have as many
// syllables and sound the same without tones, or differ by one similar sound
// (z/zh, an/ang, …) in two syllables, or by at most two sounds (one whole
// syllable, as in 二号部队/三号部队) in three syllables or more.
bool sound_alike(const PhraseReadings& a, const PhraseReadings& b);

// The phrases of `others` that sound like `phrase`, in their order; never
// `phrase` itself, nor phrases without a reading.
std::vector<std::string> phrases_sounding_like(const std::string& phrase, const std::vector<std::string>& others,
                                               const PinyinReadings& readings);

}  // namespace quillon
