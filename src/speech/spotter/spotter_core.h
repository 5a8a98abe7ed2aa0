#pragma once

// The Mandarin engine without threads or audio devices: the loaded model, and
// a core that takes 16 kHz samples and returns its decisions (a command heard,
// or speech in which no command was heard), stamped with audio time. The engine
// runs it on its audio thread; tests and the benchmark feed it files directly.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "speech/engines.h"
#include "speech/spotter/detector_pair.h"
#include "speech/spotter/encoder_features.h"
#include "speech/spotter/keyword_spotter.h"
#include "speech/spotter/model_files.h"
#include "speech/spotter/pinyin_keywords.h"
#include "speech/spotter/speech_level.h"
#include "speech/spotter/speed_change.h"
#include "speech/spotter/utterance_match.h"
#include "speech/taught_voice.h"

struct SherpaOnnxKeywordSpotter;
struct SherpaOnnxOnlineRecognizer;
struct SherpaOnnxOnlineStream;
struct SherpaOnnxVoiceActivityDetector;

namespace quillon {

inline constexpr const char* kRuntimeVersion = "1.13.8";

struct SpotterSettings {
  // `alone`: a free recogniser reads the whole utterance to check the
  // spotter's hits; `anywhere`: the spotter acts on its own.
  MatchMode mode = MatchMode::alone;
  // Strictness of the spotter: a keyword fires when its tokens' mean
  // probability exceeds the threshold; the score boosts keyword paths. In
  // `alone` mode the recogniser checks every hit, so the spotter may be lenient.
  float keywords_score = 1.5f;
  float keywords_threshold = 0.1f;
  float anywhere_score = 1.0f;
  float anywhere_threshold = 0.25f;
  // One-syllable phrases are heard inside talk far more often than longer ones.
  float anywhere_one_syllable_threshold = 0.4f;
  float vad_threshold = 0.5f;
  // A second, lenient voice detector for the voices the first one never
  // hears (0: none); see DetectorPair.
  float vad_rescue_threshold = 0.2f;
  float min_silence = 0.25f;  // seconds of silence that end a voice-activity segment
  float min_speech = 0.15f;   // seconds of speech that start one
  float preroll = 0.4f;       // audio decoded from before the detected start of speech
  // Acting on its own, the spotter makes fewer mistakes when it hears more of
  // the quiet before speech (never more than the quiet since the last speech).
  float anywhere_preroll = 0.85f;
  // Quiet after the last loud frame before a command acts, by the phrase's
  // syllables (one, two, more); short words need more proof that talk does not go on.
  float quiet_one = 0.25f;
  float quiet_two = 0.1f;
  float quiet_more = 0.09f;
  // Speech resuming within this continues the utterance; an utterance that
  // starts this soon after talk (not a command) is part of that talk.
  float talk_gap = 0.4f;
  float max_gain = 10.0f;  // quiet speech is raised, up to this factor
  int lanes = 4;           // readings of each utterance in `alone` mode (at most 4)
};

// Defaults for `mode`, with the spotter's strictness in that mode as `tuning`
// gives it.
SpotterSettings spotter_settings(MatchMode mode, const EngineTuning& tuning);

// Empty when the loaded runtime library is the one our declarations match.
std::string runtime_version_problem();

// The model files loaded twice: as a keyword spotter and as a free
// recogniser of the model's tokens. Both are shared by every core.
class SpotterModel {
 public:
  SpotterModel(const SpotterModel&) = delete;
  SpotterModel& operator=(const SpotterModel&) = delete;
  // Null with `error` set when the model cannot be loaded.
  static std::unique_ptr<SpotterModel> load(const ModelPaths& paths, const SpotterSettings& settings,
                                            std::string& error);
  ~SpotterModel();

  const SherpaOnnxKeywordSpotter* spotter() const { return spotter_; }
  const SherpaOnnxOnlineRecognizer* recognizer() const { return recognizer_; }
  const TokenSet& tokens() const { return tokens_; }
  const ModelPaths& paths() const { return paths_; }
  const SpotterSettings& settings() const { return settings_; }

  // Voice detectors take about 45 ms each to make, and a core is made for
  // every take judged: a core borrows them and gives them back, reset.
  const SherpaOnnxVoiceActivityDetector* borrow_vad(float threshold);
  void give_back_vad(float threshold, const SherpaOnnxVoiceActivityDetector* vad);

  // How the keyword model's encoder hears 16 kHz mono samples (see
  // encoded_sound.h): empty without speech, or when the encoder cannot be
  // run here (then only the cepstra describe a take). The encoder is loaded
  // on first use; calls from several threads take turns.
  EncodedFrames encoded_sound(const std::vector<float>& samples);

 private:
  SpotterModel() = default;
  std::mutex vads_mutex_;
  std::vector<std::pair<float, const SherpaOnnxVoiceActivityDetector*>> idle_vads_;
  SpeechEncoder* loaded_encoder();  // with encoder_mutex_ held
  std::mutex encoder_mutex_;
  std::unique_ptr<SpeechEncoder> encoder_;
  bool encoder_tried_ = false;
  const SherpaOnnxKeywordSpotter* spotter_ = nullptr;
  const SherpaOnnxOnlineRecognizer* recognizer_ = nullptr;
  TokenSet tokens_;
  ModelPaths paths_;
  SpotterSettings settings_;
};

struct SpotterDecision {
  bool recognised = false;  // false: speech in which no command was heard
  std::string text;
  double decided_at = 0;      // seconds of audio consumed when the decision was made
  double speech_end = 0;      // where the utterance's speech ended, as far as the core could tell
  std::string heard;          // the recogniser's tokens for the utterance (`alone` mode), for the log
  double speech_seconds = 0;  // how long the utterance was loud
  bool taught = false;        // recognised only through what the user taught
  // How near the utterance sounded to the nearest taught take (see
  // voice_template.h); infinity when nothing taught was compared.
  double sound_distance = std::numeric_limits<double>::infinity();
};

class SpotterCore {
 public:
  static constexpr std::size_t kMaxStreams = 3;

  // `readings` are needed from the first set_phrases() on. `mode`, when
  // given, replaces the model's (hearing a take needs `alone`).
  SpotterCore(SpotterModel& model, const SharedReadings& readings, std::optional<MatchMode> mode = std::nullopt);
  ~SpotterCore();
  SpotterCore(const SpotterCore&) = delete;
  SpotterCore& operator=(const SpotterCore&) = delete;

  bool ok() const { return vad_ != nullptr; }
  // Converts the phrases and makes new decoding streams for them; phrases the
  // model cannot say are returned. The model itself stays loaded.
  SpeechStatus set_phrases(const std::vector<std::string>& phrases, std::vector<std::string>& unsupported);
  // What the user taught, for the phrases of the next set_phrases(): its
  // readings are listened for once nothing untaught was heard (`alone` mode).
  void set_taught_voice(TaughtVoice voice) { taught_ = std::move(voice); }
  // The readings of a phrase of the last set_phrases(), its own then taught; empty when it has none.
  std::vector<Tokens> phrase_readings(const std::string& text) const;
  // Forgets partial speech and pending decisions (rules switched off).
  void reset();
  void accept(const float* samples, std::size_t n, std::vector<SpotterDecision>& out);
  // End of input: trailing silence so the last words can finish, then every
  // open decision.
  void finish(std::vector<SpotterDecision>& out);

  double audio_time() const { return static_cast<double>(consumed_) / 16000.0; }
  // For input nobody waits on as it is said (a take judged whole): the
  // costlier readings of an utterance are made when it is decided, not when
  // its speech ends, so none is thrown away when speech resumes after a
  // pause. How long a pause is waited out then goes by the first reading
  // alone.
  void defer_readings() { defer_readings_ = true; }

 private:
  enum class State { idle, speaking, ending };

  const SpotterSettings& settings() const { return settings_; }
  void set_taught_phrases(std::vector<MatchPhrase> list);
  std::string keyword_for(const UtteranceMatcher& matcher, std::size_t phrase, const Tokens& line) const;
  void accept_piece(const float* samples, std::size_t n, std::vector<SpotterDecision>& out);
  bool hears_speech(const std::vector<float>& raised, double now);
  // How long before `now` the speech the detector reports began.
  double onset_lag(double now) const;
  void remember(const float* samples, std::size_t n);
  // How much of the recent input, up to `lead` seconds, starts new speech.
  std::size_t lead_samples(double now, double lead) const;

  // Decoding streams: the spotter's (one per layer of phrases that begin one
  // another) and, in `alone` mode, the recogniser's. Input is raised by gain_.
  // One reading of the input. The decoders take it in fixed windows, and where
  // speech falls in them changes what they hear, as does a slightly changed
  // speed: `alone` mode reads each utterance in several lanes, shifted by half
  // a window or played a little slower or faster.
  struct Lane {
    SpeedChange speed;
    std::vector<float> changed;  // the last piece at the lane's speed
    std::vector<const SherpaOnnxOnlineStream*> spotters;
    const SherpaOnnxOnlineStream* recognizer = nullptr;
    std::vector<std::size_t> hits;  // phrases its spotter reported, in order
  };
  void destroy_streams();
  void make_streams();
  // Raised by gain_, into lanes `from` to `to`.
  void feed(const float* samples, std::size_t n, std::size_t from, std::size_t to);
  void feed_lane(Lane& lane, const float* samples, std::size_t n);
  void flush_streams(std::size_t from, std::size_t to);
  Tokens recognised_tokens(const Lane& lane) const;

  // `alone` mode: one utterance at a time, decided once it has ended.
  void alone_step(bool vad_speech, const float* samples, std::size_t n, double now, std::vector<SpotterDecision>& out);
  void begin_utterance(double now, bool vad_rising);
  void decode_utterance();
  void continue_utterance();
  bool cannot_be_command() const;
  void end_utterance(double now, bool vad_speech);
  bool read_lanes(std::size_t upto);
  void read_other_lanes();
  // Matches the first `count` lanes' readings: the first sure match, else
  // the first lane's (or the first doubtful one) goes into matched_ and heard_.
  enum class Match { none, in_doubt, sure };
  Match match_lanes(std::size_t count);
  void use_match(std::vector<std::size_t> matched, Tokens heard);
  // Once nothing untaught was heard: a taught reading, only for taught phrases.
  void match_taught();
  void prefer_taught();
  // The taught phrase whose takes the utterance sounds nearest to, by how
  // much, and how near the next phrase's takes are; none without takes.
  struct Nearest {
    std::size_t phrase = SIZE_MAX;
    double distance = std::numeric_limits<double>::infinity();
    double next = std::numeric_limits<double>::infinity();
    std::vector<double> by_phrase;  // infinity for phrases without takes
    bool like(std::size_t other) const;
    std::optional<std::size_t> clear(double near) const;
    // By the encoder's frames: near, and far nearer than any other phrase.
    bool sure() const;
  };
  // By the cepstra, and by the encoder's frames when every take has them.
  struct SoundMatch {
    Nearest cepstra, encoded;
  };
  template <typename Sound, typename Distance>
  static Nearest nearest_sound(const Sound& said, const std::vector<std::vector<Sound>>& taught, Distance distance);
  const SoundMatch& sound_match();
  bool sounds_like(std::size_t phrase);
  // How near the nearest taught sound must be, alone or with a reading like
  // the phrase: by the cepstra, and by the encoder's frames.
  static constexpr double kNearSound = 6.5, kNearWithReading = 8.5;
  static constexpr double kNearEncoded = 0.19, kNearEncodedWithReading = 0.24;
  std::optional<std::size_t> clear_sound(bool with_reading = false);
  void match_sound();
  bool untaught_neighbour_as_near(std::size_t phrase) const;
  void find_untaught_neighbours(const std::vector<MatchPhrase>& list);
  // The phrases' own readings are one sound or less apart (toneless), once any phrase has taught sounds.
  bool read_alike(std::size_t a, std::size_t b) const;
  bool prefer_taught_sound();
  bool taught_fits(const std::vector<std::size_t>& matched) const;
  bool fits_any_taught() const;
  bool lasts_between(double shortest, double longest) const;  // the utterance's loud part, with some leeway
  double quiet_needed() const;
  void decide_utterance(double now, std::vector<SpotterDecision>& out);

  // `anywhere` mode: phrases as the spotter hears them.
  void anywhere_step(bool vad_speech, const float* samples, std::size_t n, double now,
                     std::vector<SpotterDecision>& out);
  void on_hit(std::size_t phrase, double now, std::vector<SpotterDecision>& out);
  bool begins(std::size_t shorter, std::size_t longer) const;
  void deliver(std::size_t phrase, double now, std::vector<SpotterDecision>& out);
  void end_segment(double now, std::vector<SpotterDecision>& out);

  SpotterModel& model_;
  const SharedReadings& readings_;
  SpotterSettings settings_;
  const SherpaOnnxVoiceActivityDetector* vad_ = nullptr;
  const SherpaOnnxVoiceActivityDetector* lenient_vad_ = nullptr;
  DetectorPair detectors_;
  bool lenient_resting_ = false;
  UtteranceMatcher matcher_;
  // What was taught: the same phrases with their taught readings added after
  // their own ones; how long their takes were loud, per phrase (none: not taught).
  TaughtVoice taught_;
  UtteranceMatcher taught_matcher_;
  std::vector<std::pair<double, double>> taught_seconds_;
  std::vector<std::vector<VoiceTemplate>> taught_sounds_;
  std::vector<std::vector<EncodedFrames>> taught_encoded_;
  bool encoded_sounds_ = false;  // every taught take has its encoder frames
  // Per phrase, the most syllables of its own readings and of its takes'.
  std::vector<std::size_t> taught_syllables_;
  // Per phrase with taught sounds, the phrases one sound from it without any.
  std::vector<std::vector<std::size_t>> untaught_neighbours_;
  std::vector<std::vector<Tokens>> plain_readings_;  // toneless own readings, per phrase
  std::optional<SoundMatch> sound_match_;            // of the current utterance, once needed
  bool any_taught_ = false;
  bool taught_match_ = false;  // the current utterance matched through teaching
  bool defer_readings_ = false;
  bool readings_pending_ = false;  // lanes beyond the first are still to be read
  std::size_t decoded_lanes_ = 0;  // of the current utterance
  // The first doubtful match of the current utterance's lanes.
  std::optional<std::vector<std::size_t>> doubtful_;
  std::vector<std::string> stream_keywords_;  // one keyword text per spotter stream
  std::vector<Lane> lanes_;
  std::size_t consumed_ = 0;
  SpeechLevel level_;
  std::vector<float> recent_;  // the last moments of input, for the start of speech
  float gain_ = 1.0f;          // for the decoders, chosen per utterance
  float input_peak_ = 0;       // recent loudest sample, slowly forgotten
  bool vad_speech_before_ = false;
  State state_ = State::idle;
  double last_speech_end_ = -1e9;  // where the speech before the current one went quiet

  // `alone` mode: the current utterance.
  std::vector<float> utterance_;  // its audio from just before its start
  Tokens heard_;
  std::size_t heard_syllables_ = 0;  // in heard_, counted once rather than on every piece while it ends
  std::vector<std::size_t> matched_;
  double speech_end_ = 0;      // where its speech went quiet
  bool follows_talk_ = false;  // began soon after speech that was no command
  bool talk_ = false;          // can no longer be a command: no longer decoded
  bool last_was_command_ = false;

  // `anywhere` mode: the current stretch of speech.
  bool segment_hit_ = false;
  bool flushed_ = false;
  std::size_t pending_ = SIZE_MAX;  // a heard phrase that a longer one may still extend
  std::size_t delivered_ = SIZE_MAX;
  double delivered_at_ = 0;
};

}  // namespace quillon
