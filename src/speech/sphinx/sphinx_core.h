#pragma once

// The fallback recogniser without threads or audio devices: one PocketSphinx
// decoder with the US English model, kept alive for the whole session (its
// live cepstral mean needs the audio heard so far), whose grammar is exactly
// the loaded phrases plus a garbage loop of single phones. A phrase the
// grammar picks acts only when sphinx_judge.h's rules allow it. The engine
// runs it on its audio thread; tests and the evaluation feed it samples
// directly.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "speech/engine_tuning.h"
#include "speech/pinyin_readings.h"
#include "speech/recognizer.h"
#include "speech/sphinx/pinyin_phones.h"
#include "speech/sphinx/sphinx_judge.h"

struct ps_decoder_s;

namespace quillon {

struct SphinxSettings {
  // Strictness: the probability of each garbage phone against 1 for a
  // phrase. Higher rejects more speech that is no phrase, and more commands.
  float garbage_probability = 3e-3f;
  // Frames (10 ms) of silence that end an utterance: the wait between the end
  // of speech and the recognition.
  int end_silence_frames = 17;
  SphinxRules rules;
  // Peak of a faint uniform noise added to the input (about -49 dB RMS): the
  // model has never heard digital silence, and commands in files or from
  // muting microphones were missed much more often without it.
  float noise_floor = 0.012f;
  std::size_t pronunciations = kMaxPronunciations;  // at most, per phrase
  std::string model_dir;                            // empty: the Debian package's en-us model
  std::string decoder_options;                      // further PocketSphinx options, "-name value ..."
};

// Defaults, with what `tuning` gives kept within the ranges the decoder can use.
SphinxSettings sphinx_settings(const EngineTuning& tuning);

// The en-us acoustic model of package pocketsphinx-en-us.
inline constexpr const char* kSphinxDefaultModel = "/usr/share/pocketsphinx/model/en-us/en-us";
// Empty when the folder holds an acoustic model, else what is missing.
std::string sphinx_model_problem(const std::string& dir);

struct SphinxDecision {
  bool recognised = false;  // false: speech that is none of the phrases
  std::string text;         // the phrase the grammar found, also when it may not act
  std::string hypothesis;   // the decoder's words, for the log and the evaluation
  double decided_at = 0;    // seconds of audio consumed when the decision was made
  SphinxVerdict verdict = SphinxVerdict::NoPhrase;
  SphinxHearing heard;
};

class SphinxCore {
 public:
  // Null with `error` set when the model cannot be loaded.
  static std::unique_ptr<SphinxCore> create(const SphinxSettings& settings, const PinyinReadings& readings,
                                            std::string& error);
  ~SphinxCore();
  SphinxCore(const SphinxCore&) = delete;
  SphinxCore& operator=(const SphinxCore&) = delete;

  // Swaps the grammar for one of these phrases (an open utterance is
  // dropped); phrases without a pronunciation are returned.
  SpeechStatus set_phrases(const std::vector<std::string>& phrases, std::vector<std::string>& unsupported);
  // Forgets partial speech (rules switched off).
  void reset();
  void accept(const float* samples, std::size_t n, std::vector<SphinxDecision>& out);
  // End of input: trailing silence so the last utterance ends, then its decision.
  void finish(std::vector<SphinxDecision>& out);

  double audio_time() const { return static_cast<double>(consumed_) / 16000.0; }
  // Dictionary words added so far (each phrase text once, with its alternates).
  std::size_t words_added() const { return words_added_; }

 private:
  SphinxCore(const SphinxSettings& settings, const PinyinReadings& readings);
  bool start_utterance();
  void end_utterance(std::vector<SphinxDecision>* out);
  SphinxDecision decide() const;
  // The best path of the utterance just ended; `word` gets its phrase id.
  SphinxHearing hearing(std::string& word) const;
  // Adds the phrase's pronunciations under a new id the first time its text is
  // seen; empty when it has none.
  std::string word_for(const std::string& phrase);
  bool use_grammar(const std::vector<std::string>& words);
  void remember_energy(const short* pcm, std::size_t n);
  // Which of the listening phrase ids may act (sphinx_judge.h).
  void mark_actable(const std::vector<std::string>& words);

  SphinxSettings settings_;
  const PinyinReadings& readings_;
  ps_decoder_s* decoder_ = nullptr;
  std::map<std::string, std::string> word_of_phrase_;  // "" for phrases without a pronunciation
  struct Phrase {
    std::string text;
    std::string first_pronunciation;
    SphinxPhraseFacts facts;
  };
  std::map<std::string, Phrase> phrase_of_word_;  // every phrase id added, listening or not
  std::size_t words_added_ = 0;
  int grammar_serial_ = 0;
  std::string grammar_name_;
  bool utterance_open_ = false;
  bool in_speech_ = false;
  std::size_t consumed_ = 0;
  std::vector<short> pcm_;
  std::deque<float> energies_;  // of the latest 10 ms frames, for the segment's loudness contrast
  std::uint32_t noise_state_ = 1;
};

}  // namespace quillon
