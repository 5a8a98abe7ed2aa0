#include <fsg_model.h>
#include <pocketsphinx.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "speech/sphinx/pinyin_phones.h"
#include "speech/sphinx/sphinx_core.h"
#include "vocabulary/ascii_case.h"

namespace quillon {
namespace {

// A tuning value, else `fallback`, kept within [low, high].
float tuned(const std::optional<float>& value, float fallback, float low, float high) {
  return std::clamp(value.value_or(fallback), low, high);
}

int tuned(const std::optional<float>& value, int fallback, float low, float high) {
  return static_cast<int>(tuned(value, static_cast<float>(fallback), low, high));
}

// The language weight the decoder applies to grammar probabilities.
constexpr float kLanguageWeight = 6.5f;

std::string garbage_word(const char* phone) { return "g_" + ascii_lower(phone); }

}  // namespace

SphinxSettings sphinx_settings(const EngineTuning& tuning) {
  SphinxSettings s;
  s.garbage_probability = tuned(tuning.sphinx_garbage, s.garbage_probability, 1e-12f, 1.0f);
  s.end_silence_frames = tuned(tuning.sphinx_end_frames, s.end_silence_frames, 5.0f, 100.0f);
  s.model_dir = tuning.sphinx_model;
  s.decoder_options = tuning.sphinx_options;
  s.noise_floor = tuned(tuning.sphinx_noise_floor, s.noise_floor, 0.0f, 0.1f);
  s.pronunciations =
      static_cast<std::size_t>(tuned(tuning.sphinx_pronunciations, static_cast<float>(s.pronunciations), 1.0f, 32.0f));
  SphinxRules& rules = s.rules;
  rules.min_phrase_score_per_frame = tuned(tuning.sphinx_min_score, rules.min_phrase_score_per_frame, -1000.0f, 0.0f);
  rules.min_contrast_db = tuned(tuning.sphinx_min_contrast, rules.min_contrast_db, 0.0f, 60.0f);
  rules.max_extra_frames = tuned(tuning.sphinx_extra_frames, rules.max_extra_frames, 0.0f, 1000.0f);
  return s;
}

std::string sphinx_model_problem(const std::string& dir) {
  namespace fs = std::filesystem;
  for (const char* file : {"mdef", "means", "variances", "transition_matrices", "feat.params", "noisedict"}) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(dir) / file, ec)) return "no " + std::string(file) + " in " + dir;
  }
  return {};
}

SphinxCore::SphinxCore(const SphinxSettings& settings, const PinyinReadings& readings)
    : settings_(settings), readings_(readings) {}

std::unique_ptr<SphinxCore> SphinxCore::create(const SphinxSettings& settings, const PinyinReadings& readings,
                                               std::string& error) {
  const std::string dir = settings.model_dir.empty() ? kSphinxDefaultModel : settings.model_dir;
  if (const auto problem = sphinx_model_problem(dir); !problem.empty()) {
    error = problem + " (package pocketsphinx-en-us)";
    return nullptr;
  }
  // No dictionary file: every word is added from the phrases. The decoder's
  // log goes nowhere; failures are reported through return values.
  std::vector<std::string> args = {
      "-hmm",   dir,         "-dict",           "/dev/null",
      "-logfn", "/dev/null", "-vad_postspeech", std::to_string(settings.end_silence_frames)};
  // Further decoder options for tuning, e.g. "-lw 8 -wip 0.5".
  std::istringstream extra(settings.decoder_options);
  for (std::string word; extra >> word;) args.push_back(word);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  cmd_ln_t* config = cmd_ln_parse_r(nullptr, ps_args(), static_cast<int32>(argv.size()), argv.data(), TRUE);
  if (!config) {
    error = "the decoder's settings were refused";
    return nullptr;
  }
  std::unique_ptr<SphinxCore> core(new SphinxCore(settings, readings));
  core->decoder_ = ps_init(config);
  cmd_ln_free_r(config);
  if (!core->decoder_) {
    error = "the acoustic model in " + dir + " could not be loaded";
    return nullptr;
  }
  for (const char* phone : kEnglishPhones) {
    if (ps_add_word(core->decoder_, garbage_word(phone).c_str(), phone, FALSE) < 0) {
      error = std::string("the model lacks the phone ") + phone;
      return nullptr;
    }
  }
  if (!core->use_grammar({}) || !core->start_utterance()) {
    error = "the decoder refused its first grammar";
    return nullptr;
  }
  return core;
}

SphinxCore::~SphinxCore() {
  if (!decoder_) return;
  if (utterance_open_) ps_end_utt(decoder_);
  ps_free(decoder_);
}

std::string SphinxCore::word_for(const std::string& phrase) {
  if (const auto it = word_of_phrase_.find(phrase); it != word_of_phrase_.end()) return it->second;
  // ps_add_word cannot redefine a word, so each phrase text keeps its id for
  // the decoder's life and a phrase seen again reuses it.
  const PhraseReadings spoken = phrase_readings(phrase, readings_);
  const auto pronunciations = phrase_pronunciations(spoken, settings_.pronunciations);
  std::string word;
  if (!pronunciations.empty()) {
    word = "q" + std::to_string(phrase_of_word_.size() + 1);
    for (std::size_t k = 0; k < pronunciations.size(); ++k) {
      const std::string id = k == 0 ? word : word + "(" + std::to_string(k + 1) + ")";
      if (ps_add_word(decoder_, id.c_str(), pronunciations[k].c_str(), FALSE) < 0) {
        if (k == 0) word.clear();
        break;
      }
      ++words_added_;
    }
    if (!word.empty()) phrase_of_word_[word] = {phrase, pronunciations.front(), {spoken.syllable_count(), true}};
  }
  word_of_phrase_[phrase] = word;
  return word;
}

bool SphinxCore::use_grammar(const std::vector<std::string>& words) {
  // 0 → phrase → 1 (final), or 0 → phone → 2 → phone … → 1: speech that fits
  // no phrase is cheaper as garbage than forced onto the nearest phrase.
  logmath_t* lmath = ps_get_logmath(decoder_);
  fsg_model_t* fsg = fsg_model_init("quillon", lmath, kLanguageWeight, 3);
  fsg->start_state = 0;
  fsg->final_state = 1;
  for (const auto& word : words) fsg_model_trans_add(fsg, 0, 1, 0, fsg_model_word_add(fsg, word.c_str()));
  const auto garbage_logp =
      static_cast<int32>(static_cast<float>(logmath_log(lmath, settings_.garbage_probability)) * kLanguageWeight);
  for (const char* phone : kEnglishPhones) {
    const int32 wid = fsg_model_word_add(fsg, garbage_word(phone).c_str());
    fsg_model_trans_add(fsg, 0, 2, garbage_logp, wid);
    fsg_model_trans_add(fsg, 2, 2, garbage_logp, wid);
  }
  fsg_model_null_trans_add(fsg, 2, 1, 0);

  // Replacing the search in use by name would leave the decoder pointing at the
  // freed one: a new name each time, the old search dropped after the switch.
  const std::string name = "g" + std::to_string(++grammar_serial_);
  const bool ok = ps_set_fsg(decoder_, name.c_str(), fsg) == 0 && ps_set_search(decoder_, name.c_str()) == 0;
  fsg_model_free(fsg);  // the search holds its own reference
  if (!ok) return false;
  if (!grammar_name_.empty()) ps_unset_search(decoder_, grammar_name_.c_str());
  grammar_name_ = name;
  return true;
}

void SphinxCore::mark_actable(const std::vector<std::string>& words) {
  std::map<std::string, std::string> first;
  std::map<std::string, std::size_t> syllables;
  for (const auto& word : words) {
    first[word] = phrase_of_word_[word].first_pronunciation;
    syllables[word] = phrase_of_word_[word].facts.syllables;
  }
  for (const auto& [word, actable] : actable_phrases(first, syllables)) phrase_of_word_[word].facts.actable = actable;
}

SpeechStatus SphinxCore::set_phrases(const std::vector<std::string>& phrases, std::vector<std::string>& unsupported) {
  std::vector<std::string> words;
  for (const auto& phrase : phrases) {
    const std::string word = word_for(phrase);
    if (word.empty()) {
      unsupported.push_back(phrase);
    } else if (std::find(words.begin(), words.end(), word) == words.end()) {
      words.push_back(word);
    }
  }
  mark_actable(words);
  // The search can only change between utterances.
  if (utterance_open_) {
    ps_end_utt(decoder_);
    utterance_open_ = false;
  }
  in_speech_ = false;
  const bool ok = use_grammar(words);
  if (!start_utterance()) return SpeechStatus::failure("the decoder could not restart");
  return ok ? SpeechStatus::success() : SpeechStatus::failure("the decoder refused the grammar");
}

bool SphinxCore::start_utterance() {
  utterance_open_ = ps_start_utt(decoder_) == 0;
  in_speech_ = false;
  return utterance_open_;
}

void SphinxCore::reset() {
  if (utterance_open_) ps_end_utt(decoder_);
  utterance_open_ = false;
  pcm_.clear();
  start_utterance();
}

SphinxHearing SphinxCore::hearing(std::string& word) const {
  SphinxHearing heard;
  heard.frames = ps_get_n_frames(decoder_);
  int phrases = 0, garbage = 0;
  for (ps_seg_t* seg = ps_seg_iter(decoder_); seg; seg = ps_seg_next(seg)) {
    std::string w = ps_seg_word(seg);
    if (const auto paren = w.find('('); paren != std::string::npos) w.erase(paren);
    if (w.rfind("g_", 0) == 0) ++garbage;
    if (!phrase_of_word_.count(w)) continue;  // silence and noises around the phrase
    ++phrases;
    word = w;
    int first = 0, last = 0;
    ps_seg_frames(seg, &first, &last);
    int32 acoustic = 0, language = 0, backoff = 0;
    ps_seg_prob(seg, &acoustic, &language, &backoff);
    heard.phrase_frames = last - first + 1;
    heard.phrase_score = acoustic;
  }
  heard.one_phrase = phrases == 1 && garbage == 0;
  // The decoder's frames are the latest ones heard, padding included.
  const auto frames = std::min<std::size_t>(energies_.size(), static_cast<std::size_t>(std::max(heard.frames, 0)));
  heard.contrast_db = loudness_contrast_db({energies_.end() - static_cast<std::ptrdiff_t>(frames), energies_.end()});
  return heard;
}

SphinxDecision SphinxCore::decide() const {
  SphinxDecision d;
  d.decided_at = audio_time();
  const char* hypothesis = ps_get_hyp(decoder_, nullptr);
  d.hypothesis = hypothesis ? hypothesis : "";
  std::string word;
  d.heard = hearing(word);
  const auto it = phrase_of_word_.find(word);
  if (it == phrase_of_word_.end()) return d;
  d.text = it->second.text;
  d.verdict = judge(d.heard, it->second.facts, settings_.rules);
  d.recognised = d.verdict == SphinxVerdict::Acts;
  return d;
}

void SphinxCore::end_utterance(std::vector<SphinxDecision>* out) {
  if (!utterance_open_) return;
  ps_end_utt(decoder_);
  utterance_open_ = false;
  if (out && in_speech_) out->push_back(decide());
  start_utterance();
}

void SphinxCore::accept(const float* samples, std::size_t n, std::vector<SphinxDecision>& out) {
  if (!utterance_open_ && !start_utterance()) return;
  for (std::size_t i = 0; i < n; ++i) {
    noise_state_ = noise_state_ * 1664525u + 1013904223u;
    const float floor = settings_.noise_floor * (static_cast<float>(noise_state_ >> 8) / 16777216.0f - 0.5f);
    pcm_.push_back(static_cast<short>(std::lround(std::clamp(samples[i] + floor, -1.0f, 1.0f) * 32767.0f)));
  }
  // Whole frames of 10 ms, however the input is cut: an utterance ends at the
  // frame where the silence became long enough, and every energy is a frame's.
  constexpr std::size_t kFrame = 160;
  std::size_t at = 0;
  for (; at + kFrame <= pcm_.size(); at += kFrame) {
    ps_process_raw(decoder_, pcm_.data() + at, kFrame, FALSE, FALSE);
    remember_energy(pcm_.data() + at, kFrame);
    consumed_ += kFrame;
    const bool speech = ps_get_in_speech(decoder_) != 0;
    if (speech) {
      in_speech_ = true;
    } else if (in_speech_) {
      end_utterance(&out);
    }
  }
  pcm_.erase(pcm_.begin(), pcm_.begin() + static_cast<std::ptrdiff_t>(at));
}

void SphinxCore::remember_energy(const short* pcm, std::size_t n) {
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += double(pcm[i]) * pcm[i];
  energies_.push_back(static_cast<float>(sum / double(std::max<std::size_t>(n, 1))));
  // Longer than any segment a phrase can fill.
  constexpr std::size_t kKept = 1500;
  if (energies_.size() > kKept) energies_.pop_front();
}

void SphinxCore::finish(std::vector<SphinxDecision>& out) {
  const std::vector<float> silence(static_cast<std::size_t>(settings_.end_silence_frames + 10) * 160, 0.0f);
  accept(silence.data(), silence.size(), out);
  end_utterance(&out);
  pcm_.clear();  // what follows starts on a frame of its own
}

}  // namespace quillon
