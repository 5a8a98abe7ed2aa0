// What teaching does for a speaker: each speaker of the takes sets teaches
// every word with their first takes (as the teaching window would: each take
// heard and judged beside every other phrase), then says the word again in
// their other takes. Reported per set and half, taught and untaught on the
// same test takes, with what became of the teaching takes, how long judging a
// take took, and false actions on talk and talk over game sound for a user
// who taught what all those speakers taught (the nearest sounds come nearer)
// and for each speaker as the one user (their own takes stand further apart).
// Every shipped phrase listens, with the recorded words beside them.
//
//   teach_eval SETS_DIR [takes=N] [verbose] [only=SET/HALF] [talk=SET/HALF]
//
// talk=: teaches as always but hears only that talk (quicker, for tuning).

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "hear_recordings.h"
#include "measures.h"
#include "shipped_phrases.h"
#include "speech/spotter/spotter_core.h"
#include "speech/spotter/take_hearing.h"
#include "speech/voice_template.h"
#include "speech/wav_reader.h"

using namespace quillon;
using namespace quillon::bench;
namespace fs = std::filesystem;

namespace {

std::vector<float> samples_of(const fs::path& file) {
  const WavAudio wav = read_wav_16k_mono(file.string());
  return wav.ok ? wav.samples : std::vector<float>{};
}

struct Tally {
  int right = 0, wrong = 0, missed = 0, by_teaching = 0;
  void add(const std::vector<SpotterDecision>& heard, const std::string& said) {
    std::vector<const SpotterDecision*> acted;
    for (const auto& d : heard)
      if (d.recognised) acted.push_back(&d);
    if (acted.empty()) {
      ++missed;
    } else if (acted.size() == 1 && acted.front()->text == said) {
      ++right;
      by_teaching += acted.front()->taught ? 1 : 0;
    } else {
      ++wrong;
    }
  }
  std::string row() const {
    const double n = std::max(1, right + wrong + missed);
    char line[96];
    std::snprintf(line, sizeof line, "%.1f / %.1f / %.1f (%d)", 100 * right / n, 100 * wrong / n, 100 * missed / n,
                  right + wrong + missed);
    return line;
  }
};

const char* verdict_name(TakeVerdict v) {
  switch (v) {
    case TakeVerdict::kept:
      return "kept";
    case TakeVerdict::kept_by_sound:
      return "kept by sound";
    case TakeVerdict::no_speech:
      return "no speech";
    case TakeVerdict::unclear:
      return "unclear";
    case TakeVerdict::unlike:
      return "unlike";
    case TakeVerdict::other_phrase:
      return "other phrase";
    case TakeVerdict::too_close:
      return "too close";
  }
  return "?";
}

struct Run {
  SpotterModel& model;
  const SharedReadings& readings;
  const std::vector<std::string>& vocabulary;
  std::size_t teach_takes;
  bool verbose;
};

std::vector<std::string> others_than(const std::vector<std::string>& vocabulary, const std::string& phrase) {
  std::vector<std::string> others;
  for (const auto& p : vocabulary)
    if (p != phrase) others.push_back(p);
  return others;
}

// One speaker teaches their words; returns what they taught.
TaughtVoice teach(const Run& run, const fs::path& dir, const std::map<std::string, std::vector<std::string>>& words,
                  std::map<std::string, int>& verdicts, std::vector<double>& judge_ms) {
  TaughtVoice taught;
  for (const auto& [word, takes] : words) {
    for (std::size_t k = 0; k < std::min(run.teach_takes, takes.size()); ++k) {
      const double started = cpu_seconds();
      const TakeHearing h = hear_take_with(run.model, run.readings, word, samples_of(dir / takes[k]),
                                           others_than(run.vocabulary, word), taught);
      judge_ms.push_back(1000 * (cpu_seconds() - started));
      ++verdicts[verdict_name(h.verdict)];
      if (take_kept(h.verdict)) taught[word].push_back(h.take);
      if (run.verbose)
        std::fprintf(stderr, "teach %s %s: %s [%s] %s %.0f ms\n", takes[k].c_str(), word.c_str(),
                     verdict_name(h.verdict), h.heard.c_str(), h.other.c_str(), judge_ms.back());
    }
  }
  return taught;
}

// The two taught words nearest a take, for the log.
template <typename Distance>
void print_nearest(const char* by, const std::string& word, const TaughtVoice& taught, Distance distance) {
  std::vector<std::pair<double, std::string>> near;
  for (const auto& [w, takes] : taught) {
    double d = 1e9;
    for (const auto& take : takes) d = std::min(d, distance(take));
    near.emplace_back(d, w);
  }
  std::sort(near.begin(), near.end());
  if (near.size() > 1)
    std::fprintf(stderr, "%s %s %s %.3f %s %.3f\n", by, word.c_str(), near[0].second.c_str(), near[0].first,
                 near[1].second.c_str(), near[1].first);
}

// Actions on a phrase that the talk does say (with a pause after it, a
// command) are counted in `said`, not as false actions.
double false_per_10_min(const Run& run, const TaughtVoice& taught, const fs::path& dir, int& fires, int& said) {
  SpotterCore core(run.model, run.readings);
  core.set_taught_voice(taught);
  std::vector<std::string> unsupported;
  core.set_phrases(run.vocabulary, unsupported);
  const auto transcripts = read_transcripts(dir);
  double seconds = 0;
  fires = said = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".wav") continue;
    const auto samples = samples_of(entry.path());
    seconds += static_cast<double>(samples.size()) / 16000.0;
    for (const auto& d : hear(core, samples)) {
      if (!d.recognised) continue;
      const bool says = talk_says(transcripts, entry.path(), d.text);
      ++(says ? said : fires);
      if (run.verbose)
        std::fprintf(stderr, "%s %s: %s%s [%s] %.2f\n", says ? "said" : "false", entry.path().filename().c_str(),
                     d.text.c_str(), d.taught ? " (taught)" : "", d.heard.c_str(), d.sound_distance);
    }
  }
  return seconds > 0 ? fires * 600.0 / seconds : 0;
}

double talk_minutes(const fs::path& dir) {
  double seconds = 0;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.path().extension() == ".wav") seconds += static_cast<double>(samples_of(entry.path()).size()) / 16000.0;
  return seconds / 60;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: teach_eval SETS_DIR [takes=N] [verbose]\n");
    return 2;
  }
  const fs::path sets = argv[1];
  std::size_t teach_takes = 2;
  bool verbose = false;
  std::string only;       // SET/HALF
  std::string talk_only;  // SET/HALF: teach everything, test nothing but that talk
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("takes=", 0) == 0) teach_takes = std::stoul(arg.substr(6));
    if (arg == "verbose") verbose = true;
    if (arg.rfind("only=", 0) == 0) only = arg.substr(5);
    if (arg.rfind("talk=", 0) == 0) talk_only = arg.substr(5);
  }
  auto model = load_model(spotter_settings(MatchMode::alone, {}));
  if (!model) return 1;
  const SharedReadings readings;
  std::vector<std::string> vocabulary = shipped_phrases();
  for (const auto& w : kRecordedWords)
    if (std::find(vocabulary.begin(), vocabulary.end(), w) == vocabulary.end()) vocabulary.push_back(w);
  const Run run{*model, readings, vocabulary, teach_takes, verbose};

  std::printf("%zu phrases listening; each word taught with its speaker's first %zu takes\n\n", vocabulary.size(),
              teach_takes);
  std::printf("| set | half | speakers | untaught right / wrong / missed %% | taught | right by teaching | takes |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  std::map<std::string, TaughtVoice> everyone;            // per half
  std::map<std::string, std::vector<TaughtVoice>> users;  // per half, each speaker's own
  std::vector<double> judge_ms;
  for (const char* set : {"takes", "takes-8k", "narrowband"}) {
    for (const char* half : {"tune", "held"}) {
      const fs::path dir = sets / set / half;
      if (!fs::exists(dir / "words.tsv")) continue;
      if (!only.empty() && only != std::string(set) + "/" + half) continue;
      Tally untaught, taught_tally;
      std::map<std::string, int> verdicts;
      const auto speakers = read_takes(dir);
      SpotterCore plain(*model, readings);
      std::vector<std::string> unsupported;
      plain.set_phrases(vocabulary, unsupported);
      for (const auto& [speaker, words] : speakers) {
        const TaughtVoice taught = teach(run, dir, words, verdicts, judge_ms);
        for (const auto& [word, takes] : taught)
          for (const auto& take : takes) everyone[half][word].push_back(take);
        users[half].push_back(taught);
        SpotterCore core(*model, readings);
        core.set_taught_voice(taught);
        core.set_phrases(vocabulary, unsupported);
        for (const auto& [word, takes] : words) {
          for (std::size_t k = teach_takes; k < takes.size() && talk_only.empty(); ++k) {
            const auto samples = samples_of(dir / takes[k]);
            untaught.add(hear(plain, samples), word);
            const auto heard = hear(core, samples);
            taught_tally.add(heard, word);
            if (verbose) {
              std::string said;
              for (const auto& d : heard)
                said += (d.recognised ? d.text : "?") + (d.taught ? "*" : "") + " [" + d.heard + "] " +
                        std::to_string(d.sound_distance) + " ";
              std::fprintf(stderr, "test %s %s: %s\n", takes[k].c_str(), word.c_str(), said.c_str());
              const VoiceTemplate t = voice_template(samples.data(), samples.size());
              print_nearest("sound", word, taught, [&](const TaughtTake& x) { return template_distance(t, x.sound); });
              const EncodedFrames e = model->encoded_sound(samples);
              print_nearest("encoded", word, taught,
                            [&](const TaughtTake& x) { return encoded_distance(e, x.encoded); });
            }
          }
        }
      }
      std::string kept;
      for (const auto& [name, count] : verdicts) kept += name + " " + std::to_string(count) + ", ";
      std::printf("| %s | %s | %zu | %s | %s | %d | %s |\n", set, half, speakers.size(), untaught.row().c_str(),
                  taught_tally.row().c_str(), taught_tally.by_teaching, kept.c_str());
      std::fflush(stdout);
    }
  }
  std::printf("\njudging a take: median %.0f ms, p90 %.0f ms, max %.0f ms CPU\n\n", percentile(judge_ms, 0.5),
              percentile(judge_ms, 0.9), percentile(judge_ms, 1.0));
  std::printf(
      "| talk set | half | false actions per 10 min, untaught | with everyone's teaching | each speaker's "
      "teaching alone, mean |\n|---|---|---|---|---|\n");
  for (const char* set : {"talk", "talk-sound"}) {
    if (!only.empty()) break;
    for (const char* half : {"tune", "held"}) {
      const fs::path dir = sets / set / half;
      if (!fs::exists(dir)) continue;
      if (!talk_only.empty() && talk_only != std::string(set) + "/" + half) continue;
      int fires_plain = 0, fires_taught = 0, said_plain = 0, said_taught = 0, said = 0;
      const double plain = false_per_10_min(run, {}, dir, fires_plain, said_plain);
      const double taught = false_per_10_min(run, everyone[half], dir, fires_taught, said_taught);
      // Each speaker as the one user: what their own teaching makes of other people's talk.
      int fires_users = 0, worst = 0;
      for (const auto& user : users[half]) {
        int fires = 0;
        false_per_10_min(run, user, dir, fires, said);
        fires_users += fires;
        worst = std::max(worst, fires);
      }
      const double minutes = talk_minutes(dir);
      const double per_user =
          users[half].empty() ? 0 : 10 * fires_users / minutes / static_cast<double>(users[half].size());
      std::printf("| %s | %s | %.2f (%d; +%d said) | %.2f (%d; +%d said) | %.2f (%d in all, at most %d by one) |\n",
                  set, half, plain, fires_plain, said_plain, taught, fires_taught, said_taught, per_user, fires_users,
                  worst);
      std::fflush(stdout);
    }
  }
  return 0;
}
