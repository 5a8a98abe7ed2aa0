// How well the Mandarin engine tells commands from everything else, on real
// recordings fed through its core as fast as it decodes them: commands said
// alone (right, wrong, missed), false actions per 10 minutes of talk, game
// sound, noise and talk over game sound, and the time from the end of a
// command's speech to its decision. Every shipped phrase listens, with the
// words of the command recordings beside them. Each set has a half that was
// tuned on and a half kept aside (bench/make_speech_sets.sh builds them).
//
//   recognition_eval SETS_DIR [anywhere] [shipped-only] [verbose] [only=SET,...] [name=value ...]
//
// Commands said inside talk ("sentences") report how often their word was
// found: that is what `anywhere` is for, and what `alone` must not do.
// name=value overrides a setting of the engine (see SpotterSettings), e.g.
// quiet_two=0.12, to try a change without building.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "measures.h"
#include "shipped_phrases.h"
#include "speech/spotter/spotter_core.h"
#include "speech/wav_reader.h"

using namespace quillon;
using namespace quillon::bench;
namespace fs = std::filesystem;

namespace {

// The words said in the command recordings.
const std::vector<std::string> kRecordedWords = {"语音", "中国", "北京", "背景", "上海", "商行", "数字",
                                                 "语言", "识别", "复旦", "饭店", "处理", "忠告"};

bool set_option(SpotterSettings& s, const std::string& arg) {
  const auto eq = arg.find('=');
  if (eq == std::string::npos) return false;
  const std::string name = arg.substr(0, eq);
  const float value = std::stof(arg.substr(eq + 1));
  if (name == "lanes") {
    s.lanes = static_cast<int>(value);
    return true;
  }
  const std::map<std::string, float*> fields = {
      {"keywords_score", &s.keywords_score},
      {"keywords_threshold", &s.keywords_threshold},
      {"anywhere_score", &s.anywhere_score},
      {"anywhere_threshold", &s.anywhere_threshold},
      {"anywhere_one_syllable_threshold", &s.anywhere_one_syllable_threshold},
      {"vad_threshold", &s.vad_threshold},
      {"min_silence", &s.min_silence},
      {"preroll", &s.preroll},
      {"anywhere_preroll", &s.anywhere_preroll},
      {"quiet_one", &s.quiet_one},
      {"quiet_two", &s.quiet_two},
      {"quiet_more", &s.quiet_more},
      {"talk_gap", &s.talk_gap},
      {"max_gain", &s.max_gain},
  };
  const auto it = fields.find(name);
  if (it == fields.end()) return false;
  *it->second = value;
  return true;
}

std::map<std::string, std::string> read_words(const fs::path& dir) {
  std::map<std::string, std::string> words;
  std::ifstream in(dir / "words.tsv");
  std::string file, word;
  while (in >> file >> word) words[file] = word;
  return words;
}

struct Tally {
  int right = 0, wrong = 0, missed = 0, fires = 0;
  double seconds = 0;
  std::vector<double> latency;
  std::vector<std::string> notes;
};

// Runs one file through a fresh listening period of the core.
std::vector<SpotterDecision> hear(SpotterCore& core, const std::vector<float>& samples) {
  core.reset();
  std::vector<SpotterDecision> out;
  for (std::size_t at = 0; at < samples.size(); at += 1600)
    core.accept(samples.data() + at, std::min<std::size_t>(1600, samples.size() - at), out);
  core.finish(out);
  return out;
}

// Commands said alone; commands said inside talk (their word found, any
// other phrase a false action); or audio with no command at all.
enum class Kind { commands, inside, negatives };

void run_set(SpotterCore& core, const fs::path& dir, Kind kind, Tally& t) {
  const auto words = read_words(dir);
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".wav") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    const WavAudio wav = read_wav_16k_mono(file.string());
    if (!wav.ok) continue;
    t.seconds += static_cast<double>(wav.samples.size()) / 16000.0;
    const auto decisions = hear(core, wav.samples);
    const std::string word = words.count(file.filename().string()) ? words.at(file.filename().string()) : "";
    std::vector<const SpotterDecision*> acted;
    for (const auto& d : decisions)
      if (d.recognised) acted.push_back(&d);
    if (kind != Kind::commands) {
      for (const auto* d : acted) {
        if (kind == Kind::inside && d->text == word) continue;
        ++t.fires;
        t.notes.push_back(file.stem().string() + ":" + d->text + "[" + d->heard + "]");
      }
      const bool found = std::any_of(acted.begin(), acted.end(), [&](const auto* d) { return d->text == word; });
      if (kind == Kind::inside) ++(found ? t.right : t.missed);
      continue;
    }
    const bool any_wrong = std::any_of(acted.begin(), acted.end(), [&](const auto* d) { return d->text != word; });
    if (any_wrong) {
      ++t.wrong;
      for (const auto* d : acted)
        if (d->text != word) t.notes.push_back(file.stem().string() + " " + word + "→" + d->text);
    } else if (!acted.empty()) {
      ++t.right;
      // The clean recording tells where speech ends in a mixed or quieter copy.
      const fs::path clean = dir.parent_path().parent_path() / "commands" / dir.filename() / file.filename();
      const WavAudio reference = fs::exists(clean) ? read_wav_16k_mono(clean.string()) : wav;
      t.latency.push_back(acted.front()->decided_at - speech_end(reference.samples));
      if (t.latency.back() > 0.25)
        t.notes.push_back(file.stem().string() + " " + word + " late: " + std::to_string(t.latency.back()));
    } else {
      ++t.missed;
      std::string heard;
      for (const auto& d : decisions) heard += "[" + d.heard + "]";
      t.notes.push_back(file.stem().string() + " " + word + " missed " + heard);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: recognition_eval SETS_DIR [anywhere] [shipped-only] [name=value ...]\n");
    return 1;
  }
  const fs::path sets = argv[1];
  SpotterSettings settings;
  bool shipped_only = false, verbose = false;
  std::string only;  // "only=talk,sounds": just these sets
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "anywhere") {
      settings.mode = MatchMode::anywhere;
    } else if (arg == "shipped-only") {
      shipped_only = true;
    } else if (arg == "verbose") {
      verbose = true;
    } else if (arg.rfind("only=", 0) == 0) {
      only = "," + arg.substr(5) + ",";
    } else if (!set_option(settings, arg)) {
      std::fprintf(stderr, "unknown option %s\n", arg.c_str());
      return 1;
    }
  }
  EngineOptions options;
  ModelPaths paths;
  std::string why, error;
  if (!find_models(options, paths, why)) {
    std::fprintf(stderr, "no models: %s", why.c_str());
    return 1;
  }
  auto model = SpotterModel::load(paths, settings, error);
  if (!model) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const SharedReadings readings;
  SpotterCore core(*model, readings);
  std::vector<std::string> vocabulary = shipped_phrases();
  if (!shipped_only) vocabulary.insert(vocabulary.end(), kRecordedWords.begin(), kRecordedWords.end());
  std::vector<std::string> unsupported;
  if (const auto status = core.set_phrases(vocabulary, unsupported); !status.ok) {
    std::fprintf(stderr, "%s\n", status.error.c_str());
    return 1;
  }
  std::printf("mode %s, %zu phrases listening (%zu cannot be listened for)\n",
              settings.mode == MatchMode::alone ? "alone" : "anywhere", vocabulary.size() - unsupported.size(),
              unsupported.size());

  struct Set {
    const char* name;
    Kind kind;
  };
  const std::vector<Set> list = {{"commands", Kind::commands},       {"commands-sound", Kind::commands},
                                 {"commands-quiet", Kind::commands}, {"takes", Kind::commands},
                                 {"narrowband", Kind::commands},     {"sentences", Kind::inside},
                                 {"talk", Kind::negatives},          {"talk-sound", Kind::negatives},
                                 {"sounds", Kind::negatives},        {"noise", Kind::negatives}};
  std::printf("| set | half | right | wrong | missed | false per 10 min | latency median / p90 / max ms |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  for (const auto& set : list) {
    if (shipped_only && set.kind == Kind::commands) continue;
    if (!only.empty() && only.find("," + std::string(set.name) + ",") == std::string::npos) continue;
    for (const char* half : {"tune", "held"}) {
      const fs::path dir = sets / set.name / half;
      if (!fs::is_directory(dir)) continue;
      Tally t;
      run_set(core, dir, set.kind, t);
      const int n = t.right + t.wrong + t.missed;
      if (set.kind == Kind::inside) {
        std::printf("| %s | %s | found %.1f %% | | | others: %d in %.1f min = %.1f | |\n", set.name, half,
                    100.0 * t.right / n, t.fires, t.seconds / 60, t.fires * 600.0 / t.seconds);
      } else if (set.kind == Kind::commands) {
        std::printf("| %s | %s | %.1f %% | %.1f %% | %.1f %% | | %.0f / %.0f / %.0f |\n", set.name, half,
                    100.0 * t.right / n, 100.0 * t.wrong / n, 100.0 * t.missed / n, 1000 * percentile(t.latency, 0.5),
                    1000 * percentile(t.latency, 0.9), 1000 * percentile(t.latency, 1.0));
      } else {
        std::printf("| %s | %s | | | | %d in %.1f min = %.1f | |\n", set.name, half, t.fires, t.seconds / 60,
                    t.fires * 600.0 / t.seconds);
      }
      if (verbose)
        for (const auto& note : t.notes) std::printf("    %s\n", note.c_str());
      std::fflush(stdout);
    }
  }
  return 0;
}
