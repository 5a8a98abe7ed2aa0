#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "speech/sherpa_api.h"
#include "speech/spotter_core.h"

namespace quillon {
namespace fs = std::filesystem;

namespace {

constexpr const char* kEncoder = "encoder-epoch-12-avg-2-chunk-16-left-64.int8.onnx";
constexpr const char* kDecoder = "decoder-epoch-12-avg-2-chunk-16-left-64.onnx";
constexpr const char* kJoiner = "joiner-epoch-12-avg-2-chunk-16-left-64.int8.onnx";
constexpr int kRate = 16000;

// The spotter refuses an empty keyword list and adds every stream's keywords to
// its own, so it gets one that no one says and whose hits are ignored.
constexpr const char* kSentinelText = "-";
constexpr const char* kSentinel = "ǚ ǚ ǚ ǚ ǚ ǚ ǚ ǚ #0.99 @-";

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

float env_float(const char* name, float fallback) {
  const char* v = std::getenv(name);
  if (!v || !*v) return fallback;
  char* end = nullptr;
  const float f = std::strtof(v, &end);
  return end && *end == '\0' && std::isfinite(f) ? f : fallback;
}

}  // namespace

SpotterSettings spotter_settings_from_environment() {
  SpotterSettings s;
  s.keywords_threshold = std::clamp(env_float("QUILLON_KWS_THRESHOLD", s.keywords_threshold), 0.01f, 0.99f);
  s.keywords_score = std::clamp(env_float("QUILLON_KWS_SCORE", s.keywords_score), 0.1f, 10.0f);
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
  const std::string encoder = paths.kws_dir + "/" + kEncoder, decoder = paths.kws_dir + "/" + kDecoder,
                    joiner = paths.kws_dir + "/" + kJoiner, tokens = paths.kws_dir + "/tokens.txt";
  SherpaOnnxKeywordSpotterConfig c;
  std::memset(&c, 0, sizeof c);
  c.feat_config = {kRate, 80};
  c.model_config.transducer = {encoder.c_str(), decoder.c_str(), joiner.c_str()};
  c.model_config.tokens = tokens.c_str();
  c.model_config.num_threads = 1;
  c.model_config.provider = "cpu";
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
  return m;
}

SpotterModel::~SpotterModel() {
  if (spotter_) SherpaOnnxDestroyKeywordSpotter(spotter_);
}

SpotterCore::SpotterCore(SpotterModel& model) : model_(model) {
  const auto& s = model.settings();
  SherpaOnnxVadModelConfig c;
  std::memset(&c, 0, sizeof c);
  c.silero_vad.model = model.paths().vad_file.c_str();
  c.silero_vad.threshold = s.vad_threshold;
  c.silero_vad.min_silence_duration = s.min_silence;
  c.silero_vad.min_speech_duration = 0.2f;
  c.silero_vad.window_size = 512;
  c.silero_vad.max_speech_duration = 20.0f;
  c.sample_rate = kRate;
  c.num_threads = 1;
  c.provider = "cpu";
  vad_ = SherpaOnnxCreateVoiceActivityDetector(&c, 30.0f);
}

SpotterCore::~SpotterCore() {
  destroy_streams();
  if (vad_) SherpaOnnxDestroyVoiceActivityDetector(vad_);
}

void SpotterCore::destroy_streams() {
  for (auto& s : streams_) SherpaOnnxDestroyOnlineStream(s.handle);
  streams_.clear();
}

SpeechStatus SpotterCore::set_phrases(const std::vector<std::string>& phrases, std::vector<std::string>& unsupported) {
  const auto& readings = PinyinReadings::system();
  if (readings.size() == 0) return SpeechStatus::failure("no Mandarin readings (package unicode-data)");

  std::vector<Phrase> list;
  std::vector<PhraseKeywords> keywords;
  for (const auto& text : phrases) {
    if (std::any_of(list.begin(), list.end(), [&](const Phrase& p) { return p.text == text; })) continue;
    auto k = phrase_keywords(text, readings, model_.tokens());
    if (!k.supported()) {
      unsupported.push_back(text);
      continue;
    }
    list.push_back({text, k.lines.front().size(), false, {}});
    keywords.push_back(std::move(k));
  }

  // Which phrase begins another: by tokens, so 2号 and 二号 count alike.
  const auto begins = [](const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return a.size() < b.size() && std::equal(a.begin(), a.end(), b.begin());
  };
  for (std::size_t i = 0; i < list.size(); ++i) {
    for (std::size_t j = 0; j < list.size(); ++j) {
      bool prefix = false;
      for (const auto& a : keywords[i].lines)
        for (const auto& b : keywords[j].lines) prefix = prefix || begins(a, b);
      if (prefix) {
        list[i].is_prefix = true;
        list[i].extensions.push_back(j);
      }
    }
  }
  // A phrase and a longer one it begins go to different streams, so the
  // longer one is not cut short when the shorter fires and resets its stream.
  std::vector<std::size_t> layer(list.size(), 0);
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t i = 0; i < list.size(); ++i) {
      for (const auto j : list[i].extensions) {
        const std::size_t want = std::min(layer[j] + 1, kMaxStreams - 1);
        if (layer[i] < want) {
          layer[i] = want;
          changed = true;
        }
      }
    }
  }
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (texts.size() <= layer[i]) texts.resize(layer[i] + 1);
    for (const auto& line : keywords[i].lines) {
      for (const auto& token : line) {
        if (!model_.tokens().contains(token)) return SpeechStatus::failure("token not in the model: " + token);
      }
      texts[layer[i]] += keyword_line(line, std::to_string(i)) + "\n";
    }
  }
  phrases_ = std::move(list);
  stream_keywords_ = std::move(texts);
  make_streams();
  consumed_ = 0;  // the streams are new already
  reset();
  return SpeechStatus::success();
}

void SpotterCore::make_streams() {
  destroy_streams();
  for (const auto& text : stream_keywords_) {
    streams_.push_back({SherpaOnnxCreateKeywordStreamWithKeywords(model_.spotter(), text.c_str())});
  }
}

void SpotterCore::reset() {
  if (vad_) SherpaOnnxVoiceActivityDetectorReset(vad_);
  // Fresh streams drop any half-heard keyword along with the decoder state.
  if (consumed_ != 0) make_streams();
  consumed_ = 0;
  preroll_.clear();
  decoding_ = false;
  last_speech_ = -1e9;
  in_speech_ = segment_open_ = segment_hit_ = false;
  decide_at_ = std::numeric_limits<double>::infinity();
  pending_ = SIZE_MAX;
}

void SpotterCore::deliver(std::size_t phrase, double now, double end, std::vector<SpotterDecision>& out) {
  segment_hit_ = true;
  out.push_back({true, phrases_[phrase].text, now, end});
}

void SpotterCore::on_hit(std::size_t p, double at, double end, std::vector<SpotterDecision>& out) {
  segment_open_ = true;
  if (pending_ != SIZE_MAX) {
    const auto& ext = phrases_[pending_].extensions;
    if (std::find(ext.begin(), ext.end(), p) != ext.end()) {
      pending_ = SIZE_MAX;  // the longer phrase followed: the shorter one was its beginning
    } else if (const auto& own = phrases_[p].extensions; std::find(own.begin(), own.end(), pending_) != own.end()) {
      return;  // the beginning of what is already waiting
    } else {
      deliver(pending_, at, pending_end_, out);
      pending_ = SIZE_MAX;
    }
  }
  if (phrases_[p].is_prefix) {
    pending_ = p;
    pending_end_ = end;
  } else {
    deliver(p, at, end, out);
  }
  if (!in_speech_)
    decide_at_ = std::min(decide_at_, at + model_.settings().min_silence + model_.settings().decide_delay);
}

void SpotterCore::decide(double now, std::vector<SpotterDecision>& out) {
  if (in_speech_ || now < decide_at_) return;
  if (pending_ != SIZE_MAX) {
    deliver(pending_, now, pending_end_, out);
  } else if (segment_open_ && !segment_hit_) {
    out.push_back({false, {}, now, segment_end_});
  }
  pending_ = SIZE_MAX;
  segment_open_ = segment_hit_ = false;
  decide_at_ = std::numeric_limits<double>::infinity();
}

void SpotterCore::feed_streams(const float* samples, std::size_t n, double now, std::vector<SpotterDecision>& out) {
  for (auto& stream : streams_) {
    SherpaOnnxOnlineStreamAcceptWaveform(stream.handle, kRate, samples, static_cast<int32_t>(n));
    while (SherpaOnnxIsKeywordStreamReady(model_.spotter(), stream.handle)) {
      SherpaOnnxDecodeKeywordStream(model_.spotter(), stream.handle);
      const SherpaOnnxKeywordResult* r = SherpaOnnxGetKeywordResult(model_.spotter(), stream.handle);
      const std::string keyword = r && r->keyword ? r->keyword : "";
      const double end = r && r->count > 0 && r->timestamps ? stream.origin + r->timestamps[r->count - 1] : now;
      SherpaOnnxDestroyKeywordResult(r);
      if (keyword.empty()) continue;
      SherpaOnnxResetKeywordStream(model_.spotter(), stream.handle);
      stream.origin = now;
      if (keyword == kSentinelText) continue;
      const auto index = static_cast<std::size_t>(std::strtoul(keyword.c_str(), nullptr, 10));
      if (index < phrases_.size()) on_hit(index, now, end, out);
    }
  }
}

void SpotterCore::accept(const float* samples, std::size_t n, std::vector<SpotterDecision>& out) {
  // The VAD is consulted once per piece, so long input is taken in short ones.
  constexpr std::size_t kPiece = 1600;
  for (std::size_t at = 0; at < n; at += kPiece) accept_piece(samples + at, std::min(kPiece, n - at), out);
}

void SpotterCore::accept_piece(const float* samples, std::size_t n, std::vector<SpotterDecision>& out) {
  constexpr double kPreroll = 0.6;  // covers the VAD's onset delay
  constexpr double kTail = 0.8;     // decoding after speech, for the last keyword to finish
  const auto& settings = model_.settings();
  consumed_ += n;
  const double now = audio_time();

  SherpaOnnxVoiceActivityDetectorAcceptWaveform(vad_, samples, static_cast<int32_t>(n));
  while (!SherpaOnnxVoiceActivityDetectorEmpty(vad_)) SherpaOnnxVoiceActivityDetectorPop(vad_);
  const bool speech = SherpaOnnxVoiceActivityDetectorDetected(vad_) != 0;
  if (speech) last_speech_ = now;

  if (decoding_) {
    feed_streams(samples, n, now, out);
    if (!speech && now - last_speech_ > kTail && pending_ == SIZE_MAX) decoding_ = false;
  } else {
    preroll_.insert(preroll_.end(), samples, samples + n);
    const auto keep = static_cast<std::size_t>(kPreroll * kRate);
    if (preroll_.size() > keep) preroll_.erase(preroll_.begin(), preroll_.end() - static_cast<std::ptrdiff_t>(keep));
    if (speech && !streams_.empty()) {
      // Start afresh: nothing said before the silence belongs to this speech.
      for (auto& stream : streams_) {
        SherpaOnnxResetKeywordStream(model_.spotter(), stream.handle);
        stream.origin = now - static_cast<double>(preroll_.size()) / kRate;
      }
      decoding_ = true;
      feed_streams(preroll_.data(), preroll_.size(), now, out);
      preroll_.clear();
    }
  }

  if (speech && !in_speech_) {
    segment_open_ = true;
    decide_at_ = std::numeric_limits<double>::infinity();
  } else if (!speech && in_speech_) {
    segment_end_ = std::max(0.0, now - settings.min_silence);
    decide_at_ = now + settings.decide_delay;
  }
  in_speech_ = speech;
  decide(now, out);
}

void SpotterCore::finish(std::vector<SpotterDecision>& out) {
  const auto& s = model_.settings();
  const auto pad = static_cast<std::size_t>((0.5 + s.min_silence + s.decide_delay) * kRate) + 1;
  const std::vector<float> silence(1600, 0.0f);
  for (std::size_t done = 0; done < pad; done += silence.size()) accept(silence.data(), silence.size(), out);
  in_speech_ = false;
  decide_at_ = std::min(decide_at_, audio_time());
  decide(audio_time(), out);
}

}  // namespace quillon
