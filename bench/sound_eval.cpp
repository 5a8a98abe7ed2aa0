// How well the sound of a speaker's takes alone tells their words apart: each
// speaker's first takes of every word are kept as the teaching would keep
// them, and each later take is given the word whose takes it sounds nearest.
// Reported per set and half, with how far ahead the nearest word was.
//
//   sound_eval SETS_DIR [takes=N] [margin=X] [verbose]

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "hear_recordings.h"
#include "measures.h"
#include "speech/voice_template.h"
#include "speech/wav_reader.h"

using namespace quillon;
using namespace quillon::bench;
namespace fs = std::filesystem;

namespace {

VoiceTemplate sound_of(const fs::path& file) {
  const WavAudio wav = read_wav_16k_mono(file.string());
  return wav.ok ? voice_template(wav.samples.data(), wav.samples.size()) : VoiceTemplate{};
}

struct Nearest {
  std::string word;
  double distance, ratio;  // to the next word's
};

std::vector<double> compare_us;  // CPU per comparison of an utterance with a take

Nearest nearest(const VoiceTemplate& t, const std::map<std::string, std::vector<VoiceTemplate>>& taught) {
  std::vector<std::pair<double, std::string>> near;
  for (const auto& [w, sounds] : taught) {
    double d = 1e9;
    for (const auto& s : sounds) {
      const double started = cpu_seconds();
      d = std::min(d, template_distance(t, s));
      compare_us.push_back(1e6 * (cpu_seconds() - started));
    }
    near.emplace_back(d, w);
  }
  std::sort(near.begin(), near.end());
  if (near.size() < 2) return {near.empty() ? "" : near[0].second, near.empty() ? 1e9 : near[0].first, 1e9};
  return {near[0].second, near[0].first, near[1].first / std::max(near[0].first, 1e-9)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sound_eval SETS_DIR [takes=N] [margin=X] [verbose]\n");
    return 2;
  }
  const fs::path sets = argv[1];
  std::size_t teach_takes = 2;
  double margin = 1.15;  // as far ahead as listening asks of a sound alone
  bool verbose = false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("takes=", 0) == 0) teach_takes = std::stoul(arg.substr(6));
    if (arg.rfind("margin=", 0) == 0) margin = std::stod(arg.substr(7));
    if (arg == "verbose") verbose = true;
  }
  std::printf("| set | half | nearest right %% | right, ahead by %.2f× or more %% | wrong, so far ahead %% | takes |\n",
              margin);
  std::printf("|---|---|---|---|---|---|\n");
  for (const char* set : {"takes", "narrowband", "takes-8k"}) {
    for (const char* half : {"tune", "held"}) {
      const fs::path dir = sets / set / half;
      if (!fs::exists(dir / "words.tsv")) continue;
      int right = 0, sure_right = 0, sure_wrong = 0, all = 0;
      for (const auto& [speaker, words] : read_takes(dir)) {
        std::map<std::string, std::vector<VoiceTemplate>> taught;
        for (const auto& [word, files] : words)
          for (std::size_t k = 0; k < std::min(teach_takes, files.size()); ++k) {
            VoiceTemplate t = sound_of(dir / files[k]);
            if (!t.empty()) taught[word].push_back(std::move(t));
          }
        for (const auto& [word, files] : words)
          for (std::size_t k = teach_takes; k < files.size(); ++k) {
            const Nearest n = nearest(sound_of(dir / files[k]), taught);
            ++all;
            right += n.word == word;
            sure_right += n.word == word && n.ratio >= margin;
            sure_wrong += n.word != word && n.ratio >= margin;
            if (verbose && n.word != word)
              std::fprintf(stderr, "%s %s: %s %.2f ×%.2f\n", files[k].c_str(), word.c_str(), n.word.c_str(), n.distance,
                           n.ratio);
          }
      }
      const double n = std::max(1, all);
      std::printf("| %s | %s | %.1f | %.1f | %.1f | %d |\n", set, half, 100 * right / n, 100 * sure_right / n,
                  100 * sure_wrong / n, all);
      std::fflush(stdout);
    }
  }
  std::printf("\ncomparing an utterance with a take: median %.0f µs, p90 %.0f µs CPU\n", percentile(compare_us, 0.5),
              percentile(compare_us, 0.9));
  return 0;
}
