#pragma once

// The keyword spotter without threads or audio devices: the loaded model, and
// a core that takes 16 kHz samples and returns its decisions (a phrase heard,
// or speech in which no phrase was heard), stamped with audio time. The engine
// runs it on its audio thread; tests and the benchmark feed it files directly.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "speech/keyword_spotter.h"
#include "speech/model_files.h"
#include "speech/pinyin_keywords.h"
#include "speech/recognizer.h"

struct SherpaOnnxKeywordSpotter;
struct SherpaOnnxOnlineStream;
struct SherpaOnnxVoiceActivityDetector;

namespace quillon {

inline constexpr const char* kRuntimeVersion = "1.13.8";

// Strictness: a keyword fires when its tokens' mean probability exceeds the
// threshold; the score boosts keyword paths in the search. Higher threshold and
// lower score mean fewer false hits and more misses.
struct SpotterSettings {
  float keywords_score = 1.0f;
  float keywords_threshold = 0.25f;
  float vad_threshold = 0.5f;
  float min_silence = 0.25f;  // seconds of silence that end a speech segment
  // Audio time after a segment ends before deciding it: the spotter reports a
  // keyword a little after the VAD sees the silence.
  float decide_delay = 0.15f;
};

// Defaults, changed by QUILLON_KWS_THRESHOLD and QUILLON_KWS_SCORE.
SpotterSettings spotter_settings_from_environment();

// Empty when the loaded runtime library is the one our declarations match.
std::string runtime_version_problem();

class SpotterModel {
 public:
  static std::unique_ptr<SpotterModel> load(const ModelPaths& paths, const SpotterSettings& settings,
                                            std::string& error);
  ~SpotterModel();
  SpotterModel(const SpotterModel&) = delete;
  SpotterModel& operator=(const SpotterModel&) = delete;

  const SherpaOnnxKeywordSpotter* spotter() const { return spotter_; }
  const TokenSet& tokens() const { return tokens_; }
  const ModelPaths& paths() const { return paths_; }
  const SpotterSettings& settings() const { return settings_; }

 private:
  SpotterModel() = default;
  const SherpaOnnxKeywordSpotter* spotter_ = nullptr;
  TokenSet tokens_;
  ModelPaths paths_;
  SpotterSettings settings_;
};

struct SpotterDecision {
  bool recognised = false;  // false: speech in which no phrase was heard
  std::string text;
  double decided_at = 0;  // seconds of audio consumed when the decision was made
  double speech_end = 0;  // where the heard phrase's last token began (or the segment ended)
};

class SpotterCore {
 public:
  static constexpr std::size_t kMaxStreams = 3;

  explicit SpotterCore(SpotterModel& model);
  ~SpotterCore();
  SpotterCore(const SpotterCore&) = delete;
  SpotterCore& operator=(const SpotterCore&) = delete;

  bool ok() const { return vad_ != nullptr; }
  // Converts the phrases and makes new decoding streams for them; phrases the
  // model cannot say are returned. The model itself stays loaded.
  SpeechStatus set_phrases(const std::vector<std::string>& phrases, std::vector<std::string>& unsupported);
  // Forgets partial speech and pending decisions (rules switched off).
  void reset();
  void accept(const float* samples, std::size_t n, std::vector<SpotterDecision>& out);
  // End of input: trailing silence so the last words can finish, then every
  // open decision.
  void finish(std::vector<SpotterDecision>& out);

  double audio_time() const { return static_cast<double>(consumed_) / 16000.0; }

 private:
  struct Phrase {
    std::string text;
    std::size_t length = 0;               // tokens of the usual reading
    bool is_prefix = false;               // the beginning of a longer phrase of the vocabulary
    std::vector<std::size_t> extensions;  // phrases that begin with this one
  };
  struct Stream {
    const SherpaOnnxOnlineStream* handle = nullptr;
    double origin = 0;  // audio time of the stream's time zero (its last reset)
  };

  void destroy_streams();
  void make_streams();
  void accept_piece(const float* samples, std::size_t n, std::vector<SpotterDecision>& out);
  void feed_streams(const float* samples, std::size_t n, double now, std::vector<SpotterDecision>& out);
  void on_hit(std::size_t phrase, double at, double end, std::vector<SpotterDecision>& out);
  void decide(double now, std::vector<SpotterDecision>& out);
  void deliver(std::size_t phrase, double now, double end, std::vector<SpotterDecision>& out);

  SpotterModel& model_;
  const SherpaOnnxVoiceActivityDetector* vad_ = nullptr;
  std::vector<Phrase> phrases_;
  std::vector<std::string> stream_keywords_;  // one keyword text per stream
  std::vector<Stream> streams_;
  std::size_t consumed_ = 0;
  // The spotter only decodes around speech: silence costs just the VAD. The
  // last moments of audio are kept so that decoding can start before the VAD
  // noticed the speech.
  std::vector<float> preroll_;
  bool decoding_ = false;
  double last_speech_ = -1e9;

  // The current speech segment.
  bool in_speech_ = false;
  bool segment_open_ = false;
  bool segment_hit_ = false;
  double segment_end_ = 0;
  double decide_at_ = std::numeric_limits<double>::infinity();
  std::size_t pending_ = SIZE_MAX;  // a heard phrase that a longer one may still extend
  double pending_end_ = 0;
};

}  // namespace quillon
