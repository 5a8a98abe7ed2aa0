#pragma once

// Hearing a take the user records to teach Quillon a phrase: what the
// recogniser reads in it, and whether that reading may be kept for the
// phrase without making talk or another phrase act.

#include <string>
#include <utility>
#include <vector>

#include "speech/engines.h"
#include "speech/recognizer.h"
#include "speech/spotter/utterance_match.h"

namespace quillon {

class SpotterModel;

struct ReadingJudgement {
  TakeVerdict verdict = TakeVerdict::kept;
  std::string other;  // the phrase it is too close to
};

// Other phrases with every reading they are heard by, taught ones included.
using PhraseReadingsList = std::vector<std::pair<std::string, std::vector<Tokens>>>;

// A take's reading against the phrase's own readings and the other phrases'.
ReadingJudgement judge_take_reading(const Tokens& reading, const std::vector<Tokens>& own,
                                    const PhraseReadingsList& others);

// Decodes `samples` (16 kHz mono) as an utterance said alone, beside every
// phrase of `others` and what `taught` holds, and judges it.
TakeHearing hear_take_with(SpotterModel& model, const SharedReadings& readings, const std::string& phrase,
                           const std::vector<float>& samples, const std::vector<std::string>& others,
                           const TaughtVoice& taught);

}  // namespace quillon
