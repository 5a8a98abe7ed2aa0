// Whether the keyword model's encoder frames tell a speaker's words apart
// better than the cepstra the teaching keeps: the same test as sound_eval
// (each speaker's first takes of every word taught, each later take given the
// word whose takes it is nearest), with the encoder's output over the same
// stretch of speech compared by the same time warping. Reported per set and
// half for each way of comparing frames, the cepstra beside them.
//
//   encoder_sound_eval SETS_DIR [model=ENCODER.onnx] [takes=N] [margin=X] [pad=K] [read=N] [verbose]
//
// pad=K widens the speech by K encoder frames (40 ms each) either side, 1
// unless said: the frame just before and after the loud part carries the
// word's onset and fading end. read=N shows only what the model's decoder
// reads in the encoder frames of N takes beside what the runtime reads, to
// check that the filterbank and the streaming are the model's own.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "hear_recordings.h"
#include "measures.h"
#include "speech/spotter/encoder_features.h"
#include "speech/spotter/sherpa_api.h"
#include "speech/time_warp.h"
#include "speech/voice_template.h"
#include "speech/wav_reader.h"

using namespace quillon;
using namespace quillon::bench;
namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaultModel =
    "models/sherpa-onnx-kws-zipformer-wenetspeech-3.3M-2024-01-01-mobile/"
    "encoder-epoch-12-avg-2-chunk-16-left-64.int8.onnx";

using Frames = std::vector<std::vector<float>>;

// The ways of comparing encoder frames tried: frame cost, and whether the
// take's mean frame is taken off first (as for the cepstra, against the
// microphone's colouring).
struct Way {
  const char* name;
  bool cosine, centred;
};
constexpr std::array<Way, 4> kWays = {{
    {"encoder, euclidean", false, false},
    {"encoder, euclidean, mean removed", false, true},
    {"encoder, cosine", true, false},
    {"encoder, cosine, mean removed", true, true},
}};

struct Take {
  VoiceTemplate cepstra;
  std::array<Frames, kWays.size()> encoded;  // over the speech only, prepared for each way
};

Frames prepared(const Frames& in, const Way& way) {
  Frames out = in;
  if (out.empty()) return out;
  if (way.centred) {
    std::vector<float> mean(out[0].size(), 0.0f);
    for (const auto& f : out)
      for (std::size_t k = 0; k < f.size(); ++k) mean[k] += f[k] / static_cast<float>(out.size());
    for (auto& f : out)
      for (std::size_t k = 0; k < f.size(); ++k) f[k] -= mean[k];
  }
  if (way.cosine)
    for (auto& f : out) {
      double norm = 0;
      for (const float v : f) norm += double(v) * v;
      const auto scale = static_cast<float>(1 / std::max(std::sqrt(norm), 1e-9));
      for (float& v : f) v *= scale;
    }
  return out;
}

// Mean frame cost along the best alignment, aligned as template_distance
// aligns, so that the figures compare like with like.
double warped_distance(const Frames& a, const Frames& b, bool cosine) {
  return warped_mean_cost(a.size(), b.size(), [&](std::size_t i, std::size_t j) {
    double sum = 0;
    if (cosine) {
      for (std::size_t k = 0; k < a[i].size(); ++k) sum += double(a[i][k]) * b[j][k];
      return 1 - sum;
    }
    for (std::size_t k = 0; k < a[i].size(); ++k) sum += double(a[i][k] - b[j][k]) * (a[i][k] - b[j][k]);
    return std::sqrt(sum);
  });
}

struct Timing {
  std::vector<double> fbank_ms, encoder_ms, audio_s;
};

Take hear(const fs::path& file, SpeechEncoder& encoder, std::size_t pad, Timing& timing) {
  const WavAudio wav = read_wav_16k_mono(file.string());
  if (!wav.ok) return {};
  Take take;
  take.cepstra = voice_template(wav.samples.data(), wav.samples.size());
  const SpeechSpan span = speech_span(wav.samples.data(), wav.samples.size());
  if (span.first == span.last) return take;
  double started = cpu_seconds();
  const std::vector<MelFrame> mel = log_mel_frames(wav.samples.data(), wav.samples.size());
  timing.fbank_ms.push_back(1e3 * (cpu_seconds() - started));
  started = cpu_seconds();
  const Frames all = encoder.encode(mel);
  timing.encoder_ms.push_back(1e3 * (cpu_seconds() - started));
  timing.audio_s.push_back(static_cast<double>(wav.samples.size()) / kSpeechSampleRate);
  const auto [first, last] = encoder_frames_of(span, encoder.subsampling(), pad, all.size());
  if (first >= last) return take;
  const Frames speech(all.begin() + static_cast<long>(first), all.begin() + static_cast<long>(last));
  for (std::size_t w = 0; w < kWays.size(); ++w) take.encoded[w] = prepared(speech, kWays[w]);
  return take;
}

bool verbose = false;

struct Tally {
  int right = 0, sure_right = 0, sure_wrong = 0, all = 0;
  std::vector<double> compare_us;
};

// One way of comparing: the distance of two takes.
using Distance = std::function<double(const Take&, const Take&)>;

void judge(const std::map<std::string, std::vector<Take>>& taught, const std::string& word, const Take& take,
           const std::pair<std::string, Distance>& way, double margin, Tally& tally) {
  std::vector<std::pair<double, std::string>> near;
  for (const auto& [w, takes] : taught) {
    double d = std::numeric_limits<double>::infinity();
    for (const auto& t : takes) {
      const double started = cpu_seconds();
      d = std::min(d, way.second(take, t));
      tally.compare_us.push_back(1e6 * (cpu_seconds() - started));
    }
    near.emplace_back(d, w);
  }
  std::sort(near.begin(), near.end());
  const bool right = !near.empty() && near[0].second == word;
  const double ratio = near.size() < 2 ? 1e9 : near[1].first / std::max(near[0].first, 1e-9);
  ++tally.all;
  tally.right += right;
  tally.sure_right += right && ratio >= margin;
  tally.sure_wrong += !right && ratio >= margin;
  if (!right && verbose)
    std::fprintf(stderr, "%s: %s heard as %s, ×%.2f\n", way.first.c_str(), word.c_str(),
                 near.empty() ? "" : near[0].second.c_str(), ratio);
}

// What the decoder reads in the first `count` takes of a set, whole recordings.
void read_some(const fs::path& dir, const std::string& encoder_path, SpeechEncoder& encoder, std::size_t count) {
  const fs::path model_dir = fs::path(encoder_path).parent_path();
  std::string decoder, joiner, error;
  for (const auto& entry : fs::directory_iterator(model_dir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("decoder-", 0) == 0) decoder = entry.path().string();
    if (name.rfind("joiner-", 0) == 0) joiner = entry.path().string();
  }
  const auto reader = TokenReader::load(decoder, joiner, error);
  if (!reader) {
    std::fprintf(stderr, "decoder and joiner: %s\n", error.c_str());
    return;
  }
  std::vector<std::string> tokens;
  std::ifstream in(model_dir / "tokens.txt");
  std::string token;
  int id = 0;
  while (in >> token >> id) {
    if (tokens.size() <= static_cast<std::size_t>(id)) tokens.resize(static_cast<std::size_t>(id) + 1);
    tokens[static_cast<std::size_t>(id)] = token;
  }
  // The runtime's own reading of the same take, for comparison.
  const auto runtime = load_model(SpotterSettings{});
  std::ifstream words(dir / "words.tsv");
  std::string file, word;
  int same = 0, all = 0;
  for (std::size_t k = 0; k < count && words >> file >> word; ++k) {
    const WavAudio wav = read_wav_16k_mono((dir / file).string());
    std::string read, theirs;
    for (const int t : reader->read(encoder.encode(log_mel_frames(wav.samples.data(), wav.samples.size()))))
      read += (static_cast<std::size_t>(t) < tokens.size() ? tokens[static_cast<std::size_t>(t)] : "?") + " ";
    if (runtime) {
      const SherpaOnnxOnlineStream* stream = SherpaOnnxCreateOnlineStream(runtime->recognizer());
      SherpaOnnxOnlineStreamAcceptWaveform(stream, kSpeechSampleRate, wav.samples.data(),
                                           static_cast<int32_t>(wav.samples.size()));
      SherpaOnnxOnlineStreamInputFinished(stream);
      while (SherpaOnnxIsOnlineStreamReady(runtime->recognizer(), stream))
        SherpaOnnxDecodeOnlineStream(runtime->recognizer(), stream);
      const SherpaOnnxOnlineRecognizerResult* r = SherpaOnnxGetOnlineStreamResult(runtime->recognizer(), stream);
      for (int32_t t = 0; r && t < r->count; ++t) theirs += std::string(r->tokens_arr[t]) + " ";
      if (r) SherpaOnnxDestroyOnlineRecognizerResult(r);
      SherpaOnnxDestroyOnlineStream(stream);
    }
    same += read == theirs;
    ++all;
    if (verbose || read != theirs)
      std::printf("%s %s: ours %s| runtime's %s\n", file.c_str(), word.c_str(), read.c_str(), theirs.c_str());
  }
  std::printf("read alike by ours and the runtime's: %d of %d takes\n", same, all);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(
        stderr,
        "usage: encoder_sound_eval SETS_DIR [model=ENCODER.onnx] [takes=N] [margin=X] [pad=K] [read=N] [verbose]\n");
    return 2;
  }
  const fs::path sets = argv[1];
  std::string model = kDefaultModel;
  std::size_t teach_takes = 2, pad = 1, read_takes_count = 0;
  double margin = 1.15;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("model=", 0) == 0) model = arg.substr(6);
    if (arg.rfind("takes=", 0) == 0) teach_takes = std::stoul(arg.substr(6));
    if (arg.rfind("margin=", 0) == 0) margin = std::stod(arg.substr(7));
    if (arg.rfind("pad=", 0) == 0) pad = std::stoul(arg.substr(4));
    if (arg == "verbose") verbose = true;
    if (arg.rfind("read=", 0) == 0) read_takes_count = std::stoul(arg.substr(5));
  }
  std::string error;
  const auto encoder = SpeechEncoder::load(model, error);
  if (!encoder) {
    std::fprintf(stderr, "%s: %s\n", model.c_str(), error.c_str());
    return 1;
  }
  std::printf("```\n%s```\n\n", encoder->describe().c_str());
  if (read_takes_count > 0) {
    read_some(sets / "takes" / "tune", model, *encoder, read_takes_count);
    return 0;
  }

  std::vector<std::pair<std::string, Distance>> ways = {
      {"cepstra (as taught)", [](const Take& a, const Take& b) { return template_distance(a.cepstra, b.cepstra); }}};
  for (std::size_t w = 0; w < kWays.size(); ++w)
    ways.emplace_back(kWays[w].name, [w](const Take& a, const Take& b) {
      return warped_distance(a.encoded[w], b.encoded[w], kWays[w].cosine);
    });

  std::printf(
      "| set | half | frames | nearest right %% | right, ahead by %.2f× or more %% | wrong, so far ahead %% | takes "
      "|\n",
      margin);
  std::printf("|---|---|---|---|---|---|---|\n");
  Timing timing;
  std::vector<std::vector<double>> compare_us(ways.size());
  for (const char* set : {"takes", "narrowband", "takes-8k"}) {
    for (const char* half : {"tune", "held"}) {
      const fs::path dir = sets / set / half;
      if (!fs::exists(dir / "words.tsv")) continue;
      std::vector<Tally> tallies(ways.size());
      for (const auto& [speaker, words] : read_takes(dir)) {
        std::map<std::string, std::vector<Take>> taught;
        std::vector<std::pair<std::string, Take>> later;
        for (const auto& [word, files] : words)
          for (std::size_t k = 0; k < files.size(); ++k) {
            Take t = hear(dir / files[k], *encoder, pad, timing);
            if (k >= teach_takes)
              later.emplace_back(word, std::move(t));
            else if (!t.cepstra.empty() && !t.encoded[0].empty())
              taught[word].push_back(std::move(t));
          }
        for (std::size_t w = 0; w < ways.size(); ++w)
          for (const auto& [word, take] : later) judge(taught, word, take, ways[w], margin, tallies[w]);
      }
      for (std::size_t w = 0; w < ways.size(); ++w) {
        const Tally& t = tallies[w];
        const double n = std::max(1, t.all);
        std::printf("| %s | %s | %s | %.1f | %.1f | %.1f | %d |\n", set, half, ways[w].first.c_str(), 100 * t.right / n,
                    100 * t.sure_right / n, 100 * t.sure_wrong / n, t.all);
        compare_us[w].insert(compare_us[w].end(), t.compare_us.begin(), t.compare_us.end());
      }
      std::fflush(stdout);
    }
  }
  std::printf(
      "\nCPU per utterance (one thread; median, p90): filterbank %.1f, %.1f ms; encoder %.1f, %.1f ms; "
      "utterances of %.2f, %.2f s\n",
      percentile(timing.fbank_ms, 0.5), percentile(timing.fbank_ms, 0.9), percentile(timing.encoder_ms, 0.5),
      percentile(timing.encoder_ms, 0.9), percentile(timing.audio_s, 0.5), percentile(timing.audio_s, 0.9));
  std::printf("CPU per comparison of an utterance with a take (median, p90):\n");
  for (std::size_t w = 0; w < ways.size(); ++w)
    std::printf("- %s: %.0f, %.0f µs\n", ways[w].first.c_str(), percentile(compare_us[w], 0.5),
                percentile(compare_us[w], 0.9));
  return 0;
}
