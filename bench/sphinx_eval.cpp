// Evaluates the PocketSphinx fallback engine on the synthetic recordings that
// bench/sphinx_eval.sh makes: per strictness (garbage probability), commands
// heard correctly / wrongly / rejected per noise condition, and how often
// out-of-vocabulary sentences, short words and non-speech are taken for a
// command; then latency from the end of speech to the decision, and CPU use
// on silence. Files are heard one after another by one decoder, as in a
// session. Prints a report; not a test.
//
//   sphinx_eval MANIFEST PHRASE... [--garbage P,P,...]

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "speech/pinyin_phones.h"
#include "speech/sphinx_core.h"
#include "speech/wav_reader.h"

using namespace quillon;

namespace {

double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Item {
  std::string path, set, condition, kind, expected;
  std::vector<float> samples;
  double speech_end = 0;  // seconds into the file where the speech stops
};

// The end of the last 10 ms frame at most 25 dB below the loudest one.
double speech_end(const std::vector<float>& s) {
  std::vector<double> energy;
  for (std::size_t at = 0; at < s.size(); at += 160) {
    double sum = 0;
    for (std::size_t i = at; i < std::min(s.size(), at + 160); ++i) sum += double(s[i]) * s[i];
    energy.push_back(sum);
  }
  const double peak = *std::max_element(energy.begin(), energy.end());
  std::size_t last = 0;
  for (std::size_t k = 0; k < energy.size(); ++k)
    if (energy[k] > peak / 300) last = k;
  return double(last + 1) * 0.01;
}

struct Tally {
  int n = 0, correct = 0, wrong = 0, rejected = 0;
  double pct(int v) const { return n ? 100.0 * v / n : 0; }
};

struct Run {
  std::map<std::string, Tally> tallies;  // "set/condition/kind"
  std::vector<double> latencies;         // correct commands, report set
  std::map<std::string, int> confusions;
};

Run evaluate(std::vector<Item>& items, const std::vector<std::string>& phrases, float garbage) {
  SphinxSettings settings = sphinx_settings_from_environment();
  settings.garbage_probability = garbage;
  std::string error;
  auto core = SphinxCore::create(settings, PinyinReadings::system(), error);
  if (!core) {
    std::fprintf(stderr, "sphinx_eval: %s\n", error.c_str());
    std::exit(1);
  }
  std::vector<std::string> unsupported;
  core->set_phrases(phrases, unsupported);
  for (const auto& u : unsupported) std::fprintf(stderr, "unsupported: %s\n", u.c_str());

  Run run;
  const std::vector<float> gap(6400, 0.0f);  // 0.4 s between files
  for (auto& item : items) {
    std::vector<float> audio = item.samples;
    audio.insert(audio.end(), gap.begin(), gap.end());
    const double start = core->audio_time();
    std::vector<SphinxDecision> decisions;
    double first_recognition_at = -1;
    // 0.1 s chunks, as the audio sources deliver them: a decision is seen
    // when the chunk that completes it has arrived.
    for (std::size_t at = 0; at < audio.size(); at += 1600) {
      const std::size_t before = decisions.size();
      core->accept(audio.data() + at, std::min<std::size_t>(1600, audio.size() - at), decisions);
      for (std::size_t k = before; k < decisions.size(); ++k)
        if (decisions[k].recognised && first_recognition_at < 0) first_recognition_at = core->audio_time() - start;
    }
    std::vector<std::string> heard;
    for (const auto& d : decisions)
      if (d.recognised) heard.push_back(d.text);
    Tally& t = run.tallies[item.set + "/" + item.condition + "/" + item.kind];
    ++t.n;
    if (item.kind == "command") {
      if (heard.empty()) {
        ++t.rejected;
      } else if (heard.size() == 1 && heard.front() == item.expected) {
        ++t.correct;
        // Clean audio only: in noise the file's end is no measure of the speech's.
        if (item.set == "report" && item.condition == "clean")
          run.latencies.push_back(first_recognition_at - item.speech_end);
      } else {
        ++t.wrong;
        if (item.set == "report") ++run.confusions[item.expected + " → " + heard.front()];
      }
    } else if (!heard.empty()) {
      ++t.wrong;  // a false acceptance
    }
  }
  return run;
}

double wall_ms(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double silence_cpu_share(const std::vector<std::string>& phrases) {
  std::string error;
  std::unique_ptr<SphinxCore> core;
  const double init =
      wall_ms([&] { core = SphinxCore::create(sphinx_settings_from_environment(), PinyinReadings::system(), error); });
  std::vector<std::string> unsupported;
  const double fresh = wall_ms([&] { core->set_phrases(phrases, unsupported); });
  core->set_phrases({"城堡", "兵营", "攻击"}, unsupported);
  const double again = wall_ms([&] { core->set_phrases(phrases, unsupported); });
  std::printf("decoder start %.0f ms; grammar of %zu phrases: %.1f ms new, %.1f ms when seen before\n", init,
              phrases.size(), fresh, again);
  // A quiet room: noise 60 dB below full scale.
  std::mt19937 rng(7);
  std::normal_distribution<float> noise(0.0f, 0.001f);
  std::vector<float> chunk(1600);
  std::vector<SphinxDecision> out;
  const double t0 = cpu_seconds();
  const int chunks = 600;  // 60 s
  for (int c = 0; c < chunks; ++c) {
    for (auto& s : chunk) s = noise(rng);
    core->accept(chunk.data(), chunk.size(), out);
  }
  return (cpu_seconds() - t0) / (chunks * 0.1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: sphinx_eval MANIFEST PHRASE... [--garbage P,P,...]\n");
    return 2;
  }
  std::vector<std::string> phrases;
  std::vector<float> garbage = {3e-4f, 1e-3f, 2e-3f, 1e-2f};
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "--garbage" && i + 1 < argc) {
      garbage.clear();
      std::stringstream list(argv[++i]);
      std::string p;
      while (std::getline(list, p, ',')) garbage.push_back(std::stof(p));
    } else {
      phrases.emplace_back(argv[i]);
    }
  }

  std::vector<Item> items;
  std::ifstream manifest(argv[1]);
  std::string line;
  double audio_seconds = 0;
  while (std::getline(manifest, line)) {
    Item item;
    std::stringstream fields(line);
    std::getline(fields, item.path, '\t');
    std::getline(fields, item.set, '\t');
    std::getline(fields, item.condition, '\t');
    std::getline(fields, item.kind, '\t');
    std::getline(fields, item.expected, '\t');
    WavAudio wav = read_wav_16k_mono(item.path);
    if (!wav.ok) {
      std::fprintf(stderr, "%s: %s\n", item.path.c_str(), wav.error.c_str());
      return 1;
    }
    item.samples = std::move(wav.samples);
    item.speech_end = speech_end(item.samples);
    audio_seconds += double(item.samples.size()) / 16000 + 0.4;
    items.push_back(std::move(item));
  }
  // Interleave the kinds, as a session would: commands, chatter and noise mixed.
  std::mt19937 rng(1);
  std::shuffle(items.begin(), items.end(), rng);
  std::printf("%zu files, %.0f s of audio, %zu phrases\n\n", items.size(), audio_seconds, phrases.size());

  std::printf(
      "set     garbage | commands correct/wrong/rejected %%: clean      20 dB      10 dB     "
      "| accepted %%: sentences words noise\n");
  Run default_run;
  const float default_garbage = SphinxSettings{}.garbage_probability;
  for (const float g : garbage) {
    const double t0 = cpu_seconds();
    Run run = evaluate(items, phrases, g);
    const double cpu = cpu_seconds() - t0;
    for (const char* set : {"tune", "report"}) {
      const auto cell = [&](const std::string& condition) {
        const Tally& t = run.tallies[std::string(set) + "/" + condition + "/command"];
        char b[64];
        std::snprintf(b, sizeof b, "%3.0f/%2.0f/%2.0f", t.pct(t.correct), t.pct(t.wrong), t.pct(t.rejected));
        return std::string(b);
      };
      const auto accepted = [&](const std::string& kind) {
        const Tally& t = run.tallies[std::string(set) + "/clean/" + kind];
        return t.pct(t.wrong);
      };
      std::printf("%-7s %7.0e | %41s %s %s | %9.0f %5.0f %5.0f\n", set, double(g), cell("clean").c_str(),
                  cell("20dB").c_str(), cell("10dB").c_str(), accepted("sentence"), accepted("word"),
                  accepted("noise"));
    }
    std::printf("        (decoding: real-time factor %.3f)\n", cpu / audio_seconds);
    std::fflush(stdout);
    if (g == default_garbage || garbage.size() == 1) default_run = std::move(run);
  }

  if (!default_run.latencies.empty()) {
    auto& l = default_run.latencies;
    std::sort(l.begin(), l.end());
    std::printf("\nat garbage probability %.0e, report speakers:\n",
                double(garbage.size() == 1 ? garbage[0] : default_garbage));
    std::printf("end of speech → recognition (clean, 0.1 s chunks): median %.0f ms, 90th percentile %.0f ms\n",
                l[l.size() / 2] * 1000, l[l.size() * 9 / 10] * 1000);
    std::vector<std::pair<int, std::string>> top;
    for (const auto& [pair, n] : default_run.confusions) top.emplace_back(n, pair);
    std::sort(top.rbegin(), top.rend());
    std::printf("most frequent confusions:");
    for (std::size_t k = 0; k < std::min<std::size_t>(5, top.size()); ++k)
      std::printf(" %s (%d);", top[k].second.c_str(), top[k].first);
    std::printf("\n");
  }
  std::printf("CPU on a quiet room's silence: %.2f %% of one core\n", silence_cpu_share(phrases) * 100);
  return 0;
}
