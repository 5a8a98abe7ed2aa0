#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "speech/spotter/sherpa_api.h"
#include "speech/spotter/spotter_core.h"

namespace quillon {
namespace fs = std::filesystem;

namespace {

constexpr int kRate = 16000;
constexpr double kRecent = 1.5;        // seconds of input kept for the start of speech
constexpr double kVadOnsetLag = 0.25;  // the detector reports speech about this long after it began
constexpr double kLoud = 0.03;         // a level this recently loud means speech is going on
constexpr double kShortestSpeech = 0.12;
constexpr double kEchoWindow = 1.0;  // a shorter phrase reported this soon after a longer one is part of it
constexpr double kLead = 0.2;        // zeros before an utterance
// The lanes of `alone` mode: where the utterance starts in the decoders'
// windows (half a window apart) and the speed it is read at.
struct LanePlan {
  double shift;
  double speed;
};
constexpr std::array<LanePlan, 4> kLanePlans = {{{0, 1.0}, {0.16, 1.0}, {0.32, 0.9}, {0.48, 1.1}}};
constexpr std::size_t kLanesAtOwnSpeed = 2;
constexpr std::size_t kEagerLanes = 1;       // decoded while the utterance is said
constexpr double kTail = 0.45;               // zeros that push the last speech through the decoders
constexpr std::size_t kLongest = 8 * kRate;  // no command lasts longer (samples); longer speech is talk
constexpr float kPeakDecay = 0.995f;         // per piece of 32 ms: the input's peak halves in about 4 s
constexpr float kLevelTarget = 0.5f;         // the loudest sample of quiet speech is raised towards this

// The spotter refuses an empty keyword list and adds every stream's keywords to
// its own, so it gets one that no one says and whose hits are ignored.
constexpr const char* kSentinelText = "-";
constexpr const char* kSentinel = "ǚ ǚ ǚ ǚ ǚ ǚ ǚ ǚ #0.99 @-";

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

SpotterSettings spotter_settings(MatchMode mode, const EngineTuning& tuning) {
  SpotterSettings s;
  s.mode = mode;
  // The spotter's strictness in the mode in use.
  float& threshold = mode == MatchMode::alone ? s.keywords_threshold : s.anywhere_threshold;
  float& score = mode == MatchMode::alone ? s.keywords_score : s.anywhere_score;
  threshold = std::clamp(tuning.spotter_threshold.value_or(threshold), 0.01f, 0.99f);
  score = std::clamp(tuning.spotter_score.value_or(score), 0.1f, 10.0f);
  s.anywhere_one_syllable_threshold = std::max(s.anywhere_one_syllable_threshold, s.anywhere_threshold);
  return s;
}

std::string runtime_version_problem() {
  const char* v = SherpaOnnxGetVersionStr();
  if (v && std::strcmp(v, kRuntimeVersion) == 0) return {};
  return std::string("the speech runtime library is version ") + (v ? v : "?") + ", but this program was built for " +
         kRuntimeVersion + "; install sherpa-onnx-linux-x64@" + kRuntimeVersion;
}

std::unique_ptr<SpotterModel> SpotterModel::load(const ModelPaths& paths, const SpotterSettings& settings,
                                                 std::string& error) {
  if (error = runtime_version_problem(); !error.empty()) return nullptr;
  std::unique_ptr<SpotterModel> m(new SpotterModel);
  m->paths_ = paths;
  m->settings_ = settings;
  m->tokens_ = TokenSet::parse(read_file(paths.kws_dir + "/tokens.txt"));
  const std::string encoder = paths.kws_dir + "/" + kKwsEncoderFile, decoder = paths.kws_dir + "/" + kKwsDecoderFile,
                    joiner = paths.kws_dir + "/" + kKwsJoinerFile, tokens = paths.kws_dir + "/tokens.txt";
  SherpaOnnxOnlineModelConfig model;
  std::memset(&model, 0, sizeof model);
  model.transducer = {encoder.c_str(), decoder.c_str(), joiner.c_str()};
  model.tokens = tokens.c_str();
  model.num_threads = 1;
  model.provider = "cpu";

  SherpaOnnxKeywordSpotterConfig c;
  std::memset(&c, 0, sizeof c);
  c.feat_config = {kRate, 80};
  c.model_config = model;
  c.max_active_paths = 4;
  c.num_trailing_blanks = 1;
  c.keywords_score = settings.keywords_score;
  c.keywords_threshold = settings.keywords_threshold;
  c.keywords_buf = kSentinel;
  c.keywords_buf_size = static_cast<int32_t>(std::strlen(kSentinel));
  m->spotter_ = SherpaOnnxCreateKeywordSpotter(&c);
  if (!m->spotter_) {
    error = "the keyword spotter could not be created from " + paths.kws_dir;
    return nullptr;
  }

  SherpaOnnxOnlineRecognizerConfig r;
  std::memset(&r, 0, sizeof r);
  r.feat_config = {kRate, 80};
  r.model_config = model;
  r.decoding_method = "greedy_search";
  r.max_active_paths = 4;
  m->recognizer_ = SherpaOnnxCreateOnlineRecognizer(&r);
  if (!m->recognizer_) {
    error = "the recogniser could not be created from " + paths.kws_dir;
    return nullptr;
  }
  return m;
}

SpotterModel::~SpotterModel() {
  if (spotter_) SherpaOnnxDestroyKeywordSpotter(spotter_);
  if (recognizer_) SherpaOnnxDestroyOnlineRecognizer(recognizer_);
  for (const auto& [threshold, vad] : idle_vads_) SherpaOnnxDestroyVoiceActivityDetector(vad);
}

SpeechEncoder* SpotterModel::loaded_encoder() {
  if (!encoder_tried_) {
    encoder_tried_ = true;
    std::string error;
    encoder_ = SpeechEncoder::load(paths_.kws_dir + "/" + kKwsEncoderFile, error);
  }
  return encoder_.get();
}

EncodedFrames SpotterModel::encoded_sound(const std::vector<float>& samples) {
  const std::lock_guard lock(encoder_mutex_);
  SpeechEncoder* encoder = loaded_encoder();
  return encoder ? quillon::encoded_sound(*encoder, samples.data(), samples.size()) : EncodedFrames{};
}

const SherpaOnnxVoiceActivityDetector* SpotterModel::borrow_vad(float threshold) {
  {
    const std::lock_guard lock(vads_mutex_);
    const auto idle =
        std::find_if(idle_vads_.begin(), idle_vads_.end(), [&](const auto& v) { return v.first == threshold; });
    if (idle != idle_vads_.end()) {
      const auto* vad = idle->second;
      idle_vads_.erase(idle);
      return vad;
    }
  }
  SherpaOnnxVadModelConfig c;
  std::memset(&c, 0, sizeof c);
  c.silero_vad.model = paths_.vad_file.c_str();
  c.silero_vad.threshold = threshold;
  c.silero_vad.min_silence_duration = settings_.min_silence;
  c.silero_vad.min_speech_duration = settings_.min_speech;
  c.silero_vad.window_size = 512;
  c.silero_vad.max_speech_duration = 20.0f;
  c.sample_rate = kRate;
  c.num_threads = 1;
  c.provider = "cpu";
  return SherpaOnnxCreateVoiceActivityDetector(&c, 30.0f);
}

void SpotterModel::give_back_vad(float threshold, const SherpaOnnxVoiceActivityDetector* vad) {
  if (!vad) return;
  SherpaOnnxVoiceActivityDetectorReset(vad);
  const std::lock_guard lock(vads_mutex_);
  idle_vads_.emplace_back(threshold, vad);
}

namespace {

// Whether the detector hears speech now, after `samples`.
bool detects_speech(const SherpaOnnxVoiceActivityDetector* vad, const std::vector<float>& samples) {
  SherpaOnnxVoiceActivityDetectorAcceptWaveform(vad, samples.data(), static_cast<int32_t>(samples.size()));
  while (!SherpaOnnxVoiceActivityDetectorEmpty(vad)) SherpaOnnxVoiceActivityDetectorPop(vad);
  return SherpaOnnxVoiceActivityDetectorDetected(vad) != 0;
}

}  // namespace

SpotterCore::SpotterCore(SpotterModel& model, const SharedReadings& readings, std::optional<MatchMode> mode)
    : model_(model), readings_(readings), settings_(model.settings()) {
  if (mode) settings_.mode = *mode;
  vad_ = model.borrow_vad(settings_.vad_threshold);
  if (settings_.vad_rescue_threshold > 0) lenient_vad_ = model.borrow_vad(settings_.vad_rescue_threshold);
}

SpotterCore::~SpotterCore() {
  destroy_streams();
  model_.give_back_vad(settings_.vad_threshold, vad_);
  model_.give_back_vad(settings_.vad_rescue_threshold, lenient_vad_);
}

SpeechStatus SpotterCore::set_phrases(const std::vector<std::string>& phrases, std::vector<std::string>& unsupported) {
  const auto& readings = readings_.get();
  if (readings.size() == 0) return SpeechStatus::failure("no Mandarin readings (package unicode-data)");

  std::vector<MatchPhrase> list;
  for (const auto& text : phrases) {
    if (std::any_of(list.begin(), list.end(), [&](const MatchPhrase& p) { return p.text == text; })) continue;
    auto k = phrase_keywords(text, readings, model_.tokens());
    if (!k.supported()) {
      unsupported.push_back(text);
      continue;
    }
    for (const auto& line : k.lines) {
      for (const auto& token : line) {
        if (!model_.tokens().contains(token)) return SpeechStatus::failure("token not in the model: " + token);
      }
    }
    list.push_back({text, std::move(k.lines)});
  }
  UtteranceMatcher matcher;
  matcher.set_phrases(list);
  set_taught_phrases(list);

  // A phrase and a longer one it begins go to different spotter streams, so
  // the longer one is not cut short when the shorter fires and resets its stream.
  std::vector<std::size_t> layer(matcher.size(), 0);
  const auto begins = [&](std::size_t i, std::size_t j) {
    for (const auto& a : matcher.phrase(i).readings)
      for (const auto& b : matcher.phrase(j).readings)
        if (a.size() < b.size() && std::equal(a.begin(), a.end(), b.begin())) return true;
    return false;
  };
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t i = 0; i < matcher.size(); ++i) {
      for (std::size_t j = 0; j < matcher.size(); ++j) {
        if (!begins(i, j)) continue;
        const std::size_t want = std::min(layer[j] + 1, kMaxStreams - 1);
        if (layer[i] < want) {
          layer[i] = want;
          changed = true;
        }
      }
    }
  }
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < matcher.size(); ++i) {
    if (texts.size() <= layer[i]) texts.resize(layer[i] + 1);
    // Taught readings are not spotted: as keywords they would change what the
    // spotter hears of the others, and they act by nearness alone.
    for (const auto& line : matcher.phrase(i).readings) texts[layer[i]] += keyword_for(matcher, i, line) + "\n";
  }
  matcher_ = std::move(matcher);
  stream_keywords_ = std::move(texts);
  reset();
  return SpeechStatus::success();
}

void SpotterCore::set_taught_phrases(std::vector<MatchPhrase> list) {
  const std::vector<MatchPhrase> untaught = list;
  taught_seconds_.assign(list.size(), {0, 0});
  taught_sounds_.assign(list.size(), {});
  taught_encoded_.assign(list.size(), {});
  encoded_sounds_ = true;
  taught_syllables_.assign(list.size(), 0);
  any_taught_ = false;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto found = taught_.find(list[i].text);
    if (found == taught_.end() || settings().mode != MatchMode::alone) continue;
    auto& readings = list[i].readings;
    const std::size_t own = readings.size();
    double shortest = 1e9, longest = 0;
    for (const auto& r : readings) taught_syllables_[i] = std::max(taught_syllables_[i], token_syllables(r).size());
    for (const auto& take : found->second) {
      taught_syllables_[i] = std::max(taught_syllables_[i], token_syllables(take.reading).size());
      shortest = std::min(shortest, take.seconds);
      longest = std::max(longest, take.seconds);
      if (!take.sound.empty()) {
        taught_sounds_[i].push_back(take.sound);
        taught_encoded_[i].push_back(take.encoded);
        encoded_sounds_ = encoded_sounds_ && !take.encoded.empty();
      }
      const bool known = std::all_of(take.reading.begin(), take.reading.end(),
                                     [&](const std::string& token) { return model_.tokens().contains(token); });
      // A reading unlike the phrase was kept for the take's sound alone.
      const bool like = reading_like_phrase(take.reading, untaught[i].readings);
      if (known && like && std::find(readings.begin(), readings.end(), take.reading) == readings.end())
        readings.push_back(take.reading);
    }
    if (found->second.empty()) continue;
    taught_seconds_[i] = {shortest, longest};
    any_taught_ = any_taught_ || readings.size() > own || !taught_sounds_[i].empty();
  }
  // The encoder itself loads at the first utterance that needs it (half a
  // second): this runs on the window's thread. Where it cannot run, the
  // utterance has no frames and the cepstra decide alone.
  encoded_sounds_ = encoded_sounds_ && any_taught_;
  find_untaught_neighbours(untaught);
  taught_matcher_.set_phrases(std::move(list));
}

// By the phrases' own readings, before anything taught is added to them.
void SpotterCore::find_untaught_neighbours(const std::vector<MatchPhrase>& list) {
  untaught_neighbours_.assign(list.size(), {});
  plain_readings_.assign(list.size(), {});
  if (std::all_of(taught_sounds_.begin(), taught_sounds_.end(), [](const auto& s) { return s.empty(); })) return;
  for (std::size_t i = 0; i < list.size(); ++i)
    for (const auto& r : list[i].readings) plain_readings_[i].push_back(toneless_tokens(r));
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (taught_sounds_[i].empty()) continue;
    for (std::size_t j = 0; j < list.size(); ++j)
      if (j != i && taught_sounds_[j].empty() && read_alike(j, i)) untaught_neighbours_[i].push_back(j);
  }
}

bool SpotterCore::read_alike(std::size_t a, std::size_t b) const {
  for (const auto& x : plain_readings_[a])
    for (const auto& y : plain_readings_[b])
      if (readings_nearly_alike(x, y)) return true;
  return false;
}

std::vector<Tokens> SpotterCore::phrase_readings(const std::string& text) const {
  for (std::size_t i = 0; i < taught_matcher_.size(); ++i)
    if (taught_matcher_.phrase(i).text == text) return taught_matcher_.phrase(i).readings;
  return {};
}

std::string SpotterCore::keyword_for(const UtteranceMatcher& matcher, std::size_t phrase, const Tokens& line) const {
  std::string text = keyword_line(line, std::to_string(phrase));
  if (settings().mode == MatchMode::alone) return text;  // the spotter's own strictness
  // On its own the spotter must be strict, and stricter still with short phrases.
  const float threshold =
      matcher.syllable_count(phrase) <= 1 ? settings().anywhere_one_syllable_threshold : settings().anywhere_threshold;
  char options[48];
  std::snprintf(options, sizeof options, " :%.2f #%.2f @", settings().anywhere_score, threshold);
  return text.replace(text.rfind(" @"), 2, options);
}

void SpotterCore::destroy_streams() {
  for (auto& lane : lanes_) {
    for (const auto* stream : lane.spotters) SherpaOnnxDestroyOnlineStream(stream);
    if (lane.recognizer) SherpaOnnxDestroyOnlineStream(lane.recognizer);
  }
  lanes_.clear();
}

void SpotterCore::make_streams() {
  destroy_streams();
  const bool alone = settings().mode == MatchMode::alone;
  const auto lanes = std::min(static_cast<std::size_t>(std::max(1, settings().lanes)), kLanePlans.size());
  lanes_.resize(alone ? lanes : 1);
  for (std::size_t k = 0; k < lanes_.size(); ++k) {
    auto& lane = lanes_[k];
    lane.speed = SpeedChange(kLanePlans[k].speed);
    for (const auto& text : stream_keywords_)
      lane.spotters.push_back(SherpaOnnxCreateKeywordStreamWithKeywords(model_.spotter(), text.c_str()));
    if (alone) lane.recognizer = SherpaOnnxCreateOnlineStream(model_.recognizer());
  }
}

void SpotterCore::reset() {
  if (vad_) SherpaOnnxVoiceActivityDetectorReset(vad_);
  if (lenient_vad_) SherpaOnnxVoiceActivityDetectorReset(lenient_vad_);
  detectors_.reset();
  lenient_resting_ = false;
  make_streams();
  consumed_ = 0;
  level_ = SpeechLevel();
  recent_.clear();
  utterance_.clear();
  heard_.clear();
  matched_.clear();
  state_ = State::idle;
  vad_speech_before_ = false;
  input_peak_ = 0;
  last_speech_end_ = -1e9;
  last_was_command_ = talk_ = taught_match_ = readings_pending_ = false;
  segment_hit_ = flushed_ = false;
  pending_ = delivered_ = SIZE_MAX;
}

void SpotterCore::feed(const float* samples, std::size_t n, std::size_t from, std::size_t to) {
  std::vector<float> raised(samples, samples + n);
  for (float& x : raised) x *= gain_;
  for (std::size_t k = from; k < std::min(to, lanes_.size()); ++k) feed_lane(lanes_[k], raised.data(), n);
}

void SpotterCore::feed_lane(Lane& lane, const float* samples, std::size_t n) {
  if (lane.speed.changes()) {
    lane.speed.process(samples, n, lane.changed);
    samples = lane.changed.data();
    n = lane.changed.size();
  }
  if (lane.recognizer) {
    SherpaOnnxOnlineStreamAcceptWaveform(lane.recognizer, kRate, samples, static_cast<int32_t>(n));
    while (SherpaOnnxIsOnlineStreamReady(model_.recognizer(), lane.recognizer))
      SherpaOnnxDecodeOnlineStream(model_.recognizer(), lane.recognizer);
  }
  for (const auto* stream : lane.spotters) {
    SherpaOnnxOnlineStreamAcceptWaveform(stream, kRate, samples, static_cast<int32_t>(n));
    while (SherpaOnnxIsKeywordStreamReady(model_.spotter(), stream)) {
      SherpaOnnxDecodeKeywordStream(model_.spotter(), stream);
      const SherpaOnnxKeywordResult* r = SherpaOnnxGetKeywordResult(model_.spotter(), stream);
      const std::string keyword = r && r->keyword ? r->keyword : "";
      SherpaOnnxDestroyKeywordResult(r);
      if (keyword.empty()) continue;
      SherpaOnnxResetKeywordStream(model_.spotter(), stream);
      if (keyword == kSentinelText) continue;
      const auto index = static_cast<std::size_t>(std::strtoul(keyword.c_str(), nullptr, 10));
      if (index < matcher_.size()) lane.hits.push_back(index);
    }
  }
}

void SpotterCore::flush_streams(std::size_t from, std::size_t to) {
  const std::vector<float> tail(static_cast<std::size_t>(kTail * kRate), 0.0f);
  for (std::size_t k = from; k < std::min(to, lanes_.size()); ++k) feed_lane(lanes_[k], tail.data(), tail.size());
}

Tokens SpotterCore::recognised_tokens(const Lane& lane) const {
  Tokens tokens;
  if (!lane.recognizer) return tokens;
  const SherpaOnnxOnlineRecognizerResult* r = SherpaOnnxGetOnlineStreamResult(model_.recognizer(), lane.recognizer);
  for (int32_t i = 0; r && r->tokens_arr && i < r->count; ++i) tokens.emplace_back(r->tokens_arr[i]);
  SherpaOnnxDestroyOnlineRecognizerResult(r);
  return tokens;
}

void SpotterCore::accept(const float* samples, std::size_t n, std::vector<SpotterDecision>& out) {
  // The voice-activity detector and the level are looked at once per piece.
  constexpr std::size_t kPiece = 512;
  for (std::size_t at = 0; at < n; at += kPiece) accept_piece(samples + at, std::min(kPiece, n - at), out);
}

std::size_t SpotterCore::lead_samples(double now, double lead) const {
  // Never from before the end of the speech before: its last syllable would
  // be heard again as part of this one.
  lead = std::min(lead, now - last_speech_end_);
  return std::min(recent_.size(), static_cast<std::size_t>(std::max(lead, 0.0) * kRate));
}

void SpotterCore::remember(const float* samples, std::size_t n) {
  recent_.insert(recent_.end(), samples, samples + n);
  const auto keep = static_cast<std::size_t>(kRecent * kRate);
  if (recent_.size() > keep) recent_.erase(recent_.begin(), recent_.end() - static_cast<std::ptrdiff_t>(keep));
}

void SpotterCore::accept_piece(const float* samples, std::size_t n, std::vector<SpotterDecision>& out) {
  consumed_ += n;
  const double now = audio_time();
  // Quiet speech is raised for the detector as it is for the decoders: a
  // distant microphone must not hide a command.
  float piece_peak = 0;
  for (std::size_t i = 0; i < n; ++i) piece_peak = std::max(piece_peak, std::fabs(samples[i]));
  input_peak_ = std::max(piece_peak, input_peak_ * kPeakDecay);
  const float vad_gain = std::clamp(kLevelTarget / std::max(input_peak_, 1e-6f), 1.0f, settings().max_gain);
  std::vector<float> raised(samples, samples + n);
  for (float& x : raised) x *= vad_gain;
  const bool vad_speech = hears_speech(raised, now);
  level_.accept(samples, n);
  remember(samples, n);
  if (settings().mode == MatchMode::alone) {
    alone_step(vad_speech, samples, n, now, out);
  } else {
    anywhere_step(vad_speech, samples, n, now, out);
  }
}

bool SpotterCore::hears_speech(const std::vector<float>& raised, double now) {
  const bool usual = detects_speech(vad_, raised);
  if (!lenient_vad_) return usual;
  // The lenient detector costs nothing while the usual one hears speech (it
  // would too) or after long quiet: it rests, and starts afresh.
  constexpr double kRestAfter = 1.0;
  const bool quiet = level_.quiet_for() > kRestAfter;
  if (usual || quiet) {
    if (!lenient_resting_) SherpaOnnxVoiceActivityDetectorReset(lenient_vad_);
    lenient_resting_ = true;
    return detectors_.update(usual, usual, now);
  }
  lenient_resting_ = false;
  return detectors_.update(usual, detects_speech(lenient_vad_, raised), now);
}

double SpotterCore::onset_lag(double now) const { return kVadOnsetLag + detectors_.extra_lag(now); }

// ---- alone ----

void SpotterCore::alone_step(bool vad_speech, const float* samples, std::size_t n, double now,
                             std::vector<SpotterDecision>& out) {
  const bool vad_rising = vad_speech && !vad_speech_before_;
  vad_speech_before_ = vad_speech;
  const bool loud = level_.quiet_for() < kLoud;
  switch (state_) {
    case State::idle:
      // The detector confirms speech a while after it began: a short word
      // may be over by then, and is heard all the same.
      if (vad_speech && (loud || (vad_rising && level_.quiet_for() < onset_lag(now)))) begin_utterance(now, vad_rising);
      return;
    case State::speaking:
      if (!talk_) {
        utterance_.insert(utterance_.end(), samples, samples + n);
        feed(samples, n, 0, kEagerLanes);
        talk_ = cannot_be_command();
      }
      if (level_.quiet_for() >= settings().quiet_more || !vad_speech) end_utterance(now, vad_speech);
      break;
    case State::ending:
      if (!talk_) utterance_.insert(utterance_.end(), samples, samples + n);
      if (vad_speech && loud) {
        continue_utterance();
        return;
      }
      break;
  }
  if (state_ == State::ending && (!vad_speech || level_.quiet_for() >= quiet_needed())) decide_utterance(now, out);
}

void SpotterCore::begin_utterance(double now, bool vad_rising) {
  // The detector notices speech a while after it began; resumed speech is
  // noticed by its level at once.
  const bool resumed = !vad_rising;
  const auto keep = lead_samples(now, settings().preroll + (resumed ? kLoud : onset_lag(now)));
  utterance_.assign(recent_.end() - static_cast<std::ptrdiff_t>(keep), recent_.end());
  const double onset = now - (resumed ? kLoud : onset_lag(now));
  follows_talk_ = !last_was_command_ && onset - last_speech_end_ < settings().talk_gap;
  // Loud frames count from as far back as the audio kept, but not into the
  // speech before: a quiet voice that the level notices late still counts whole.
  level_.begin_utterance(std::min(static_cast<double>(keep) / kRate, now - last_speech_end_));
  // Speech that follows talk is talk too: it is not decoded at all.
  talk_ = follows_talk_;
  taught_match_ = false;
  if (!talk_) decode_utterance();
  state_ = State::speaking;
}

bool SpotterCore::cannot_be_command() const {
  if (utterance_.size() >= kLongest) return true;
  const Lane& lane = lanes_.front();
  const Tokens heard = recognised_tokens(lane);
  if (matcher_.may_become_command(heard, lane.hits)) return false;
  return !any_taught_ || !taught_matcher_.may_become_command(heard, lane.hits);
}

// (Re)starts decoding the utterance from its first sample.
void SpotterCore::decode_utterance() {
  float peak = 0;
  for (const float x : utterance_) peak = std::max(peak, std::fabs(x));
  gain_ = peak > 0 ? std::clamp(kLevelTarget / peak, 1.0f, settings().max_gain) : 1.0f;
  make_streams();
  // The decoders were trained on recordings that start in quiet; each lane
  // starts the utterance at another place of the decoders' windows.
  for (std::size_t k = 0; k < lanes_.size(); ++k) {
    const std::vector<float> lead(static_cast<std::size_t>((kLead + kLanePlans[k].shift) * kRate), 0.0f);
    feed_lane(lanes_[k], lead.data(), lead.size());
  }
  feed(utterance_.data(), utterance_.size(), 0, kEagerLanes);
}

void SpotterCore::continue_utterance() {
  // A pause inside the utterance: everything so far is decoded again with
  // what follows, since the finished streams cannot take more.
  readings_pending_ = false;
  if (!talk_) decode_utterance();
  state_ = State::speaking;
}

void SpotterCore::end_utterance(double now, bool vad_speech) {
  speech_end_ = vad_speech ? now - level_.quiet_for() : now - settings().min_silence;
  state_ = State::ending;
  taught_match_ = false;
  sound_match_.reset();
  if (talk_) {
    matched_.clear();
    heard_.clear();
    return;
  }
  // The first lane is decoded as the utterance is said; the others only
  // when those before heard no command, as decoding them costs time.
  flush_streams(0, kEagerLanes);
  decoded_lanes_ = kEagerLanes;
  doubtful_.reset();
  readings_pending_ = !read_lanes(kEagerLanes);
  if (readings_pending_ && !defer_readings_) read_other_lanes();
}

// Every lane decoded is matched again: a phrase a later lane's spotter heard
// may be what an earlier lane read. True once a sure match is made.
bool SpotterCore::read_lanes(std::size_t upto) {
  if (upto > decoded_lanes_) {
    feed(utterance_.data(), utterance_.size(), decoded_lanes_, upto);
    flush_streams(decoded_lanes_, upto);
    decoded_lanes_ = upto;
  }
  const Match match = match_lanes(upto);
  if (match == Match::in_doubt && !doubtful_) doubtful_ = matched_;
  if (match != Match::sure) return false;
  if (doubtful_ && *doubtful_ != matched_) {
    const std::optional<std::size_t> said = any_taught_ ? clear_sound() : std::nullopt;
    matched_ = settle_disagreement(*doubtful_, matched_, said,
                                   [&](std::size_t phrase) { return !taught_sounds_[phrase].empty(); });
    taught_match_ = !matched_.empty();
  }
  if (any_taught_ && !matched_.empty() && !taught_match_ && !prefer_taught_sound()) prefer_taught();
  return true;
}

void SpotterCore::read_other_lanes() {
  readings_pending_ = false;
  for (const std::size_t upto : {kLanesAtOwnSpeed, lanes_.size()})
    if (read_lanes(upto)) return;
  if (any_taught_ && !matched_.empty()) prefer_taught_sound();
  if (matched_.empty() && any_taught_) match_taught();
  if (matched_.empty() && any_taught_) match_sound();
}

template <typename Sound, typename Distance>
SpotterCore::Nearest SpotterCore::nearest_sound(const Sound& said, const std::vector<std::vector<Sound>>& taught,
                                                Distance distance) {
  SpotterCore::Nearest m;
  if (said.empty()) return m;
  m.by_phrase.assign(taught.size(), std::numeric_limits<double>::infinity());
  for (std::size_t i = 0; i < taught.size(); ++i) {
    double& nearest = m.by_phrase[i];
    for (const auto& take : taught[i]) nearest = std::min(nearest, distance(said, take));
    if (nearest < m.distance) {
      m.next = m.distance;
      m.distance = nearest;
      m.phrase = i;
    } else {
      m.next = std::min(m.next, nearest);
    }
  }
  return m;
}

const SpotterCore::SoundMatch& SpotterCore::sound_match() {
  if (sound_match_) return *sound_match_;
  sound_match_ = SoundMatch{};
  sound_match_->cepstra =
      nearest_sound(voice_template(utterance_.data(), utterance_.size()), taught_sounds_, template_distance);
  if (encoded_sounds_ && sound_match_->cepstra.phrase != SIZE_MAX)
    sound_match_->encoded = nearest_sound(model_.encoded_sound(utterance_), taught_encoded_, encoded_distance);
  return *sound_match_;
}

bool SpotterCore::Nearest::like(std::size_t other) const {
  constexpr double kClearlyNearer = 1.12;
  return phrase == SIZE_MAX || by_phrase[other] <= kClearlyNearer * distance;
}

bool SpotterCore::Nearest::sure() const {
  constexpr double kFarAhead = 1.5;
  return phrase != SIZE_MAX && distance <= kNearEncoded && next >= kFarAhead * distance;
}

std::optional<std::size_t> SpotterCore::Nearest::clear(double near) const {
  constexpr double kMargin = 1.15;
  if (phrase == SIZE_MAX || distance > near || next < kMargin * distance) return std::nullopt;
  return phrase;
}

// A taught reading stands only when the utterance sounds like that phrase's
// takes as much as another taught phrase's (a speaker whose 北京 and 背景
// read alike still says them apart): by the encoder's frames and the
// cepstra alike, where takes have both.
bool SpotterCore::sounds_like(std::size_t phrase) {
  if (taught_sounds_[phrase].empty()) return true;
  const SoundMatch& m = sound_match();
  return m.cepstra.like(phrase) && (m.encoded.phrase == SIZE_MAX || m.encoded.like(phrase));
}

// The taught phrase whose takes the utterance sounds much like, and clearly
// less like any other's, if there is one. Where takes have the encoder's
// frames, those decide: the frames tell words apart better, the cepstra tone
// twins (北京, 背景) and one-sound neighbours (上海, 商行). So the cepstra
// overrule them when they find a phrase that reads like this one nearer, or
// any other phrase clearly nearer while the frames are not sure.
std::optional<std::size_t> SpotterCore::clear_sound(bool with_reading) {
  // The phrase found must fit by length: when none can, the sound (the
  // encoder's pass above all, on talk nothing read as a command) is not worth
  // working out.
  if (!fits_any_taught()) return std::nullopt;
  const SoundMatch& m = sound_match();
  std::optional<std::size_t> said;
  if (m.encoded.phrase == SIZE_MAX) {
    said = m.cepstra.clear(with_reading ? kNearWithReading : kNearSound);
  } else {
    said = m.encoded.clear(with_reading ? kNearEncodedWithReading : kNearEncoded);
    const std::size_t other = m.cepstra.phrase;
    if (said && other != *said && ((!m.cepstra.like(*said) && !m.encoded.sure()) || read_alike(*said, other)))
      said.reset();
  }
  if (!said || !taught_fits({*said})) return std::nullopt;
  return said;
}

// Nothing read matched: an utterance that sounds clearly like one taught
// phrase is that phrase, unless it could as well be a phrase much like it
// that was not taught, or was read as more syllables than the phrase and any
// of its takes, give or take one (talk whose sound happens to come near;
// unless the encoder's frames are sure: a voice read as more than it said),
// or as none at all (a piece of a word, a breath: a take read so is refused too).
void SpotterCore::match_sound() {
  auto said = clear_sound();
  // A reading like the phrase's own or its takes' is evidence too: with it,
  // the sound may be farther, as long as it is clearly the nearest (a voice
  // whose takes differ much from one another).
  if (!said) {
    said = clear_sound(true);
    if (said && !reading_like_phrase(heard_, taught_matcher_.phrase(*said).readings)) said.reset();
  }
  if (!said || untaught_neighbour_as_near(*said)) return;
  const bool sure = sound_match().encoded.phrase == *said && sound_match().encoded.sure();
  if (heard_syllables_ == 0 || (heard_syllables_ > taught_syllables_[*said] + 1 && !sure)) return;
  matched_ = {*said};
  taught_match_ = true;
}

// A phrase one sound from the taught one, whose sound is not known, and whose
// readings what was read is as near as the taught phrase's: the speaker may
// have said that one (their 语音 sounds much like their taught 语言).
bool SpotterCore::untaught_neighbour_as_near(std::size_t phrase) const {
  const Tokens heard = toneless_tokens(heard_);
  const auto nearest = [&](const std::vector<Tokens>& readings) {
    std::size_t best = SIZE_MAX;
    for (const auto& r : readings) best = std::min(best, token_edit_distance(heard, toneless_tokens(r)));
    return best;
  };
  const std::size_t own = nearest(taught_matcher_.phrase(phrase).readings);
  return std::any_of(untaught_neighbours_[phrase].begin(), untaught_neighbours_[phrase].end(),
                     [&](std::size_t other) { return nearest(matcher_.phrase(other).readings) <= own; });
}

// The reading is a taught phrase, but the speaker's takes say clearly it was
// another taught one (their 商行 read as 上海): both were taught, so the
// sound of both is known.
bool SpotterCore::prefer_taught_sound() {
  if (matched_.size() != 1 || taught_sounds_[matched_[0]].empty()) return false;
  const auto said = clear_sound();
  if (!said || *said == matched_[0]) return false;
  matched_ = {*said};
  taught_match_ = true;
  return true;
}

void SpotterCore::match_taught() {
  // By nearness alone: what the spotter heard in an utterance does not stand
  // in for a reading that only this speaker gives.
  for (const auto& lane : lanes_) {
    if (lane.speed.changes() && lane.hits.empty()) continue;
    Tokens heard = recognised_tokens(lane);
    bool in_doubt = false;
    std::vector<std::size_t> matched = taught_matcher_.match(heard, {}, &in_doubt);
    if (matched.empty() || in_doubt || !taught_fits(matched) || !sounds_like(matched[0])) continue;
    use_match(std::move(matched), std::move(heard));
    taught_match_ = true;
    return;
  }
}

// A speaker whose phrase the recogniser reads as another one's taught how
// they say it: a reading nearer what they taught goes to the taught phrase.
void SpotterCore::prefer_taught() {
  const auto nearest = [&](const std::vector<Tokens>& readings, std::size_t from) {
    std::size_t best = SIZE_MAX;
    for (std::size_t r = from; r < readings.size(); ++r)
      best = std::min(best, token_edit_distance(heard_, readings[r]));
    return best;
  };
  bool in_doubt = false;
  std::vector<std::size_t> taught = taught_matcher_.match(heard_, {}, &in_doubt);
  if (taught.size() != 1 || matched_.size() != 1 || taught == matched_ || in_doubt || !taught_fits(taught) ||
      !sounds_like(taught[0]))
    return;
  const std::size_t own = matcher_.phrase(taught[0]).readings.size();
  if (nearest(taught_matcher_.phrase(taught[0]).readings, own) >= nearest(matcher_.phrase(matched_[0]).readings, 0))
    return;
  matched_ = std::move(taught);
  taught_match_ = true;
}

// Teaching one phrase never makes another act, and a taught phrase acts only
// on speech about as long as its takes: a short word of talk that sounds like
// part of it does not.
bool SpotterCore::taught_fits(const std::vector<std::size_t>& matched) const {
  double shortest = 0, longest = 0;
  for (const auto index : matched) {
    const auto [low, high] = taught_seconds_[index];
    if (high <= 0) return false;
    shortest += low;
    longest += high;
  }
  return lasts_between(shortest, longest);
}

bool SpotterCore::lasts_between(double shortest, double longest) const {
  constexpr double kShorter = 0.6, kLonger = 1.8;
  const double loud = level_.loud_seconds();
  return loud >= kShorter * shortest && loud <= kLonger * longest;
}

bool SpotterCore::fits_any_taught() const {
  return std::any_of(taught_seconds_.begin(), taught_seconds_.end(), [&](const auto& seconds) {
    return seconds.second > 0 && lasts_between(seconds.first, seconds.second);
  });
}

SpotterCore::Match SpotterCore::match_lanes(std::size_t count) {
  std::vector<std::size_t> doubtful;
  Tokens doubtful_heard;
  for (std::size_t k = 0; k < std::min(count, lanes_.size()); ++k) {
    const Lane& lane = lanes_[k];
    // What this lane's spotter heard, in order, then what the others heard besides.
    std::vector<std::size_t> spotted = lane.hits;
    for (const auto& other : lanes_)
      for (const auto index : other.hits)
        if (std::find(spotted.begin(), spotted.end(), index) == spotted.end()) spotted.push_back(index);
    // At a changed speed the recogniser alone is not trusted with a phrase:
    // the spotter must have heard one too.
    if (lane.speed.changes() && spotted.empty()) continue;
    Tokens heard = recognised_tokens(lane);
    bool in_doubt = false;
    std::vector<std::size_t> matched = matcher_.match(heard, spotted, &in_doubt);
    // With no match, the reading kept is the first lane's that read anything:
    // a narrowband voice is sometimes read as nothing from one start and as
    // syllables from another.
    if (doubtful.empty() && (doubtful_heard.empty() || !matched.empty())) {
      doubtful = matched;
      doubtful_heard = heard;
    }
    if (!matched.empty() && !in_doubt) {
      use_match(std::move(matched), std::move(heard));
      return Match::sure;
    }
  }
  use_match(std::move(doubtful), std::move(doubtful_heard));
  return matched_.empty() ? Match::none : Match::in_doubt;
}

void SpotterCore::use_match(std::vector<std::size_t> matched, Tokens heard) {
  matched_ = std::move(matched);
  heard_ = std::move(heard);
  heard_syllables_ = token_syllables(heard_).size();
}

double SpotterCore::quiet_needed() const {
  // Nothing heard yet, or a phrase that a longer one begins: wait to see
  // whether the speaker goes on.
  if (matched_.empty() || matcher_.begins_longer_phrase(matched_.back())) return settings().talk_gap;
  std::size_t syllables = 0;
  for (const auto index : matched_) syllables += matcher_.syllable_count(index);
  // A phrase heard with a syllable missing is as likely a word of talk that
  // sounds like part of it ("上涨" for 上一张), or the phrase's first part
  // before a pause inside it (商行's "shāng" read as 上海): wait to see
  // whether speech goes on.
  if (syllables > 1 && heard_syllables_ < syllables) return settings().talk_gap;
  if (syllables <= 1) return settings().quiet_one;
  return syllables == 2 ? settings().quiet_two : settings().quiet_more;
}

void SpotterCore::decide_utterance(double now, std::vector<SpotterDecision>& out) {
  if (readings_pending_) read_other_lanes();
  std::string heard;
  for (const auto& token : heard_) heard += (heard.empty() ? "" : " ") + token;
  // Shorter than a syllable: a knock or a breath, whatever the decoders made of it.
  const bool command = !matched_.empty() && !follows_talk_ && level_.loud_seconds() >= kShortestSpeech;
  const double loud = level_.loud_seconds();
  const double sound = sound_match_ ? sound_match_->cepstra.distance : std::numeric_limits<double>::infinity();
  if (command) {
    for (const auto index : matched_)
      out.push_back({true, matcher_.phrase(index).text, now, speech_end_, heard, loud, taught_match_, sound});
  } else {
    out.push_back({false, {}, now, speech_end_, heard, loud, false, sound});
  }
  last_was_command_ = command;
  last_speech_end_ = speech_end_;
  state_ = State::idle;
}

// ---- anywhere ----

void SpotterCore::anywhere_step(bool vad_speech, const float* samples, std::size_t n, double now,
                                std::vector<SpotterDecision>& out) {
  const bool loud = level_.quiet_for() < kLoud;
  if (state_ == State::idle) {
    if (!vad_speech) return;
    // Start afresh: nothing said before the silence belongs to this speech.
    for (const auto* stream : lanes_.front().spotters) SherpaOnnxResetKeywordStream(model_.spotter(), stream);
    gain_ = 1.0f;
    const auto keep = lead_samples(now, settings().anywhere_preroll + onset_lag(now));
    lanes_.front().hits.clear();
    feed(recent_.data() + (recent_.size() - keep), keep, 0, lanes_.size());
    state_ = State::speaking;
    segment_hit_ = flushed_ = false;
  } else {
    feed(samples, n, 0, lanes_.size());
    if (loud) flushed_ = false;
    // Push the end of the speech through the spotter at once rather than
    // waiting for the next sound to fill its decoding window.
    if (!flushed_ && level_.quiet_for() >= settings().quiet_more) {
      flush_streams(0, lanes_.size());
      flushed_ = true;
    }
  }
  for (const auto phrase : lanes_.front().hits) on_hit(phrase, now, out);
  lanes_.front().hits.clear();
  if (!vad_speech && level_.quiet_for() >= settings().min_silence) end_segment(now, out);
}

void SpotterCore::on_hit(std::size_t p, double now, std::vector<SpotterDecision>& out) {
  // The streams report a phrase and a longer one it begins in either order.
  if (delivered_ != SIZE_MAX && now - delivered_at_ < kEchoWindow && begins(p, delivered_)) return;
  if (pending_ != SIZE_MAX) {
    const bool extends = begins(pending_, p);
    if (extends) {
      pending_ = SIZE_MAX;  // the longer phrase followed: the shorter one was its beginning
    } else if (begins(p, pending_)) {
      return;  // the beginning of what is already waiting
    } else {
      deliver(pending_, now, out);
      pending_ = SIZE_MAX;
    }
  }
  if (matcher_.begins_longer_phrase(p)) {
    pending_ = p;
  } else {
    deliver(p, now, out);
  }
}

bool SpotterCore::begins(std::size_t shorter, std::size_t longer) const {
  for (const auto& a : matcher_.phrase(shorter).readings)
    for (const auto& b : matcher_.phrase(longer).readings)
      if (a.size() < b.size() && std::equal(a.begin(), a.end(), b.begin())) return true;
  return false;
}

void SpotterCore::deliver(std::size_t phrase, double now, std::vector<SpotterDecision>& out) {
  segment_hit_ = true;
  delivered_ = phrase;
  delivered_at_ = now;
  out.push_back({true, matcher_.phrase(phrase).text, now, now - level_.quiet_for(), {}});
}

void SpotterCore::end_segment(double now, std::vector<SpotterDecision>& out) {
  if (pending_ != SIZE_MAX) {
    deliver(pending_, now, out);
  } else if (!segment_hit_) {
    out.push_back({false, {}, now, now - level_.quiet_for(), {}});
  }
  pending_ = SIZE_MAX;
  last_speech_end_ = now - level_.quiet_for();
  state_ = State::idle;
}

void SpotterCore::finish(std::vector<SpotterDecision>& out) {
  const auto pad = static_cast<std::size_t>((settings().talk_gap + settings().min_silence + 0.5) * kRate);
  const std::vector<float> silence(512, 0.0f);
  for (std::size_t done = 0; done < pad; done += silence.size()) accept(silence.data(), silence.size(), out);
  if (settings().mode == MatchMode::alone) {
    if (state_ == State::speaking) end_utterance(audio_time(), false);
    if (state_ == State::ending) decide_utterance(audio_time(), out);
  } else if (state_ != State::idle) {
    end_segment(audio_time(), out);
  }
}

}  // namespace quillon
