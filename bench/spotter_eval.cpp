// Evaluates the keyword spotter on the model's real test recordings: said
// keywords found, misses, false alarms (including phrases that are not said),
// CPU real-time factor on speech and on silence, end of speech → decision
// latency, memory, and vocabulary load times. Prints a report; not a test.
//
//   spotter_eval [models-folder [recordings-folder]]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "measures.h"
#include "speech/spotter/spotter_core.h"
#include "speech/wav_reader.h"
#include "spotter/model_location.h"

using namespace quillon;
using namespace quillon::bench;

namespace {

double wall_ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

std::string status_field(const char* name) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(name, 0) == 0) return line.substr(line.find(':') + 1);
  return "?";
}

// Where the syllable that begins at `from` (seconds) stops sounding: the first
// 20 ms frame after its loudest one that is 10 dB quieter.
double syllable_end(const std::vector<float>& s, double from) {
  const auto frame = [&](std::size_t k) {
    double sum = 0;
    for (std::size_t i = k * 320; i < std::min(s.size(), (k + 1) * 320); ++i) sum += double(s[i]) * s[i];
    return sum;
  };
  const auto first = static_cast<std::size_t>(from * 50);
  std::size_t peak = first;
  for (std::size_t k = first; k < first + 15; ++k)
    if (frame(k) > frame(peak)) peak = k;
  for (std::size_t k = peak; k < first + 25; ++k)
    if (frame(k) < frame(peak) * 0.1) return double(k) / 50;
  return double(first + 25) / 50;
}

}  // namespace

int main(int argc, char** argv) {
  // Default: the models this program would load, and the recordings beside the checkout.
  EngineOptions options;
  if (argc > 1) options.model_dir = argv[1];
  const std::string recordings = argc > 2 ? argv[2] : testing::recordings_folder();
  if (recordings.empty()) {
    std::fprintf(stderr, "no recordings: give their folder (test_wavs of the model's release)\n");
    return 1;
  }
  ModelPaths paths;
  std::string why;
  if (!find_models(options, paths, why)) {
    std::fprintf(stderr, "no models: %s", why.c_str());
    return 1;
  }
  std::string error;
  auto t0 = std::chrono::steady_clock::now();
  auto model = SpotterModel::load(paths, SpotterSettings{}, error);
  if (!model) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const double model_ms = wall_ms_since(t0);
  const SharedReadings readings;
  SpotterCore core(*model, readings);

  // Said: the texts of test_keywords.txt. Not said: command-like phrases.
  std::vector<std::string> said;
  {
    std::ifstream in(recordings + "/test_keywords.txt");
    std::string line;
    while (std::getline(in, line))
      if (const auto at = line.find('@'); at != std::string::npos) said.push_back(line.substr(at + 1));
  }
  const std::vector<std::string> not_said = {"三号部队", "三号部队过来", "兵营",     "城堡",     "攻击",     "地图右移",
                                             "上一张",   "下一张",       "全体撤退", "建造房屋", "选择农民", "打开菜单",
                                             "保存游戏", "开始游戏",     "暂停",     "加速",     "撤退",     "二号部队",
                                             "回城",     "升级",         "法师",     "见面",     "周望"};
  std::vector<std::string> vocabulary = said;
  vocabulary.insert(vocabulary.end(), not_said.begin(), not_said.end());

  std::vector<std::string> unsupported;
  t0 = std::chrono::steady_clock::now();
  if (auto s = core.set_phrases(vocabulary, unsupported); !s.ok) {
    std::fprintf(stderr, "%s\n", s.error.c_str());
    return 1;
  }
  const double first_load_ms = wall_ms_since(t0);
  std::vector<double> later_loads;
  for (int i = 0; i < 5; ++i) {
    t0 = std::chrono::steady_clock::now();
    core.set_phrases(vocabulary, unsupported);
    later_loads.push_back(wall_ms_since(t0));
  }
  std::sort(later_loads.begin(), later_loads.end());

  std::multiset<std::string> heard;
  std::vector<double> latencies, from_token;
  int false_recognitions = 0;
  double audio_seconds = 0, cpu = 0;
  for (int n = 3; n <= 6; ++n) {
    const auto wav = read_wav_16k_mono(recordings + "/" + std::to_string(n) + ".wav");
    if (!wav.ok) {
      std::fprintf(stderr, "%s\n", wav.error.c_str());
      return 1;
    }
    core.reset();
    std::vector<SpotterDecision> out;
    const double c0 = cpu_seconds();
    for (std::size_t at = 0; at < wav.samples.size(); at += 1600) {
      core.accept(wav.samples.data() + at, std::min<std::size_t>(1600, wav.samples.size() - at), out);
    }
    core.finish(out);
    cpu += cpu_seconds() - c0;
    audio_seconds += static_cast<double>(wav.samples.size()) / 16000.0 + 0.9;
    std::printf("%d.wav:", n);
    for (const auto& d : out) {
      if (d.recognised) {
        heard.insert(d.text);
        const double end = syllable_end(wav.samples, d.speech_end);
        latencies.push_back(d.decided_at - end);
        from_token.push_back(d.decided_at - d.speech_end);
        std::printf(" [%s ends %.2f, decided +%.0f ms]", d.text.c_str(), end, 1000 * (d.decided_at - end));
      } else {
        ++false_recognitions;
        std::printf(" [false recognition @%.2f]", d.decided_at);
      }
    }
    std::printf("\n");
  }

  // A phrase that begins a longer one waits for the end of the speech
  // segment: 见面 is said (in 见面会), 见面会议 could still have followed.
  std::vector<std::string> prefix_heard;
  double prefix_latency = -1;
  {
    core.set_phrases({"见面", "见面会议"}, unsupported);
    const auto wav = read_wav_16k_mono(recordings + "/6.wav");
    std::vector<SpotterDecision> out;
    for (std::size_t at = 0; at < wav.samples.size(); at += 1600) {
      core.accept(wav.samples.data() + at, std::min<std::size_t>(1600, wav.samples.size() - at), out);
    }
    core.finish(out);
    for (const auto& d : out) {
      prefix_heard.push_back(d.recognised ? d.text : "?");
      // The recording has low-level sound to its very end, so its end is the end of speech.
      if (d.recognised) prefix_latency = d.decided_at - static_cast<double>(wav.samples.size()) / 16000.0;
    }
  }

  // Silence, the usual state of a listening engine.
  core.reset();
  const std::vector<float> silence(1600, 0.0f);
  std::vector<SpotterDecision> out;
  const double c0 = cpu_seconds();
  for (int i = 0; i < 300; ++i) core.accept(silence.data(), silence.size(), out);
  const double silence_rtf = (cpu_seconds() - c0) / 30.0;

  int found = 0, alarms = 0;
  std::string missed;
  for (const auto& k : said) found += heard.count(k) ? 1 : (missed += " " + k, 0);
  for (const auto& k : not_said) alarms += static_cast<int>(heard.count(k));
  std::sort(latencies.begin(), latencies.end());
  std::sort(from_token.begin(), from_token.end());
  const double median = latencies.empty() ? 0 : latencies[latencies.size() / 2];

  std::printf("said keywords found   %d / %zu%s%s\n", found, said.size(),
              missed.empty() ? "" : ", missed:", missed.c_str());
  std::printf("false alarms          %d (phrases not said heard; %zu such phrases in the vocabulary)\n", alarms,
              not_said.size());
  std::printf("false recognitions    %d (speech segments with no phrase)\n", false_recognitions);
  std::printf("CPU real-time factor  %.3f on speech, %.3f on silence (one core)\n", cpu / audio_seconds, silence_rtf);
  std::printf("latency end of phrase (energy) → decision  median %.0f ms, max %.0f ms (%zu decisions)\n", 1000 * median,
              latencies.empty() ? 0.0 : 1000 * latencies.back(), latencies.size());
  std::printf("latency start of the last token → decision  median %.0f ms, max %.0f ms\n",
              from_token.empty() ? 0.0 : 1000 * from_token[from_token.size() / 2],
              from_token.empty() ? 0.0 : 1000 * from_token.back());
  std::printf("prefix phrase alone (见面 of 见面/见面会议 in 6.wav): heard");
  for (const auto& h : prefix_heard) std::printf(" %s", h.c_str());
  std::printf(", decided %.0f ms after the end of the recording\n", 1000 * prefix_latency);
  std::printf("model load %.0f ms; vocabulary load first %.1f ms, later median %.1f ms (%zu phrases)\n", model_ms,
              first_load_ms, later_loads[later_loads.size() / 2], vocabulary.size());
  std::printf("memory: RSS%s, peak%s\n", status_field("VmRSS").c_str(), status_field("VmHWM").c_str());
  return found == static_cast<int>(said.size()) && alarms == 0 ? 0 : 2;
}
