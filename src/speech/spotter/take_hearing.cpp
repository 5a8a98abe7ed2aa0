#include "speech/spotter/take_hearing.h"

#include <algorithm>
#include <sstream>

#include "speech/spotter/spotter_core.h"
#include "speech/voice_template.h"

namespace quillon {
namespace {

Tokens split_tokens(const std::string& text) {
  std::istringstream in(text);
  Tokens out;
  for (std::string token; in >> token;) out.push_back(token);
  return out;
}

// The decision that heard the most: a cough or a breath before the phrase
// gives a shorter one.
const SpotterDecision* fullest(const std::vector<SpotterDecision>& decisions) {
  const SpotterDecision* best = nullptr;
  for (const auto& d : decisions) {
    if (!best || d.heard.size() > best->heard.size()) best = &d;
  }
  return best;
}

}  // namespace

ReadingJudgement judge_take_reading(const Tokens& reading, const std::vector<Tokens>& own,
                                    const PhraseReadingsList& others) {
  if (reading.empty()) return {TakeVerdict::unclear, {}};
  // Read as the phrase is said: nothing new, nothing to fear.
  if (std::find(own.begin(), own.end(), reading) != own.end()) return {};
  if (!reading_like_phrase(reading, own)) {
    // Read as something else altogether: listening for that reading would
    // let talk act, but how the take sounds may still tell the phrase. Not
    // for a phrase of one syllable, which sounds like too many words of talk.
    const bool one_syllable =
        std::all_of(own.begin(), own.end(), [](const Tokens& r) { return token_syllables(r).size() <= 1; });
    return {one_syllable ? TakeVerdict::unlike : TakeVerdict::kept_by_sound, {}};
  }
  const Tokens plain = toneless_tokens(reading);
  for (const auto& [text, readings] : others) {
    for (const auto& r : readings) {
      if (readings_nearly_alike(plain, toneless_tokens(r))) return {TakeVerdict::too_close, text};
    }
  }
  return {};
}

TakeHearing hear_take_with(SpotterModel& model, const SharedReadings& readings, const std::string& phrase,
                           const std::vector<float>& samples, const std::vector<std::string>& others,
                           const TaughtVoice& taught) {
  SpotterCore core(model, readings, MatchMode::alone);
  core.defer_readings();
  // The phrase's own readings alone are what a take is judged against.
  TaughtVoice others_taught = taught;
  others_taught.erase(phrase);
  core.set_taught_voice(std::move(others_taught));
  std::vector<std::string> phrases{phrase};
  for (const auto& other : others) {
    if (std::find(phrases.begin(), phrases.end(), other) == phrases.end()) phrases.push_back(other);
  }
  std::vector<std::string> unsupported;
  TakeHearing hearing;
  if (!core.ok() || !core.set_phrases(phrases, unsupported).ok) return hearing;
  std::vector<SpotterDecision> decisions;
  core.accept(samples.data(), samples.size(), decisions);
  core.finish(decisions);

  const SpotterDecision* decision = fullest(decisions);
  if (!decision) return hearing;  // no speech
  hearing.heard = decision->heard;
  if (decision->recognised && decision->text != phrase) {
    hearing.verdict = TakeVerdict::other_phrase;
    hearing.other = decision->text;
    return hearing;
  }
  const Tokens reading = split_tokens(decision->heard);
  PhraseReadingsList other_readings;
  for (std::size_t k = 1; k < phrases.size(); ++k)
    other_readings.emplace_back(phrases[k], core.phrase_readings(phrases[k]));
  std::vector<Tokens> own = core.phrase_readings(phrase);
  if (own.empty()) {
    hearing.verdict = TakeVerdict::unclear;  // a phrase the model cannot say
    return hearing;
  }
  const ReadingJudgement judgement = judge_take_reading(reading, own, other_readings);
  hearing.verdict = judgement.verdict;
  hearing.other = judgement.other;
  if (!take_kept(hearing.verdict)) return hearing;
  hearing.take = {reading, decision->speech_seconds, voice_template(samples.data(), samples.size())};
  if (hearing.verdict == TakeVerdict::kept_by_sound && hearing.take.sound.empty()) {
    hearing.verdict = TakeVerdict::unlike;
    hearing.take = {};
    return hearing;
  }
  hearing.take.encoded = model.encoded_sound(samples);
  return hearing;
}

}  // namespace quillon
