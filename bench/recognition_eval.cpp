// How well the Mandarin engine tells commands from everything else, on real
// recordings fed through its core as fast as it decodes them: commands said
// alone (right, wrong, missed), false actions per 10 minutes of talk, game
// sound, noise and talk over game sound, and the time from the end of a
// command's speech to its decision. Every shipped phrase listens, with the
// words of the command recordings beside them. Each set has a half that was
// tuned on and a half kept aside (bench/make_speech_sets.sh builds them).
//
//   recognition_eval SETS_DIR [anywhere] [shipped-only] [numbers] [number-talk] [in-range-only] [verbose]
//                    [only=SET,...] [name=value ...]
//
// The number-* sets (bench/make_number_sets.sh) are synthetic speech of the
// `numbers` phrases: said alone with a number in range, with one outside it,
// and talk full of numbers.
// Commands said inside talk ("sentences") report how often their word was
// found: that is what `anywhere` is for, and what `alone` must not do.
// `numbers` adds four phrases with a number slot (a strategy game's and a
// slide show's), `number-talk` also slot phrases of the counting words the
// talk says (十一倍, 三十年, 四个小时 …): every number of them listens, and the
// numbers said in the talk are reported as found with their number, found
// with another number, or missed ("numbers-inside"), besides every set's
// false actions. `in-range-only` leaves out the numbers outside each slot's
// range that the engines also hear (to see what hearing them changes).
// name=value overrides a setting of the engine (see SpotterSettings), e.g.
// quiet_two=0.12, to try a change without building.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hear_recordings.h"
#include "measures.h"
#include "shipped_phrases.h"
#include "speech/spotter/spotter_core.h"
#include "speech/wav_reader.h"
#include "vocabulary/number_slot.h"

using namespace quillon;
using namespace quillon::bench;
namespace fs = std::filesystem;

namespace {

// A game's and a slide show's number phrases.
const std::vector<std::string> kNumberPhrases = {"[1-9]号部队过来", "选择[1-9]号部队", "第[1-99]张", "[2-8]倍速度"};

// Counting words the talk says after a number: as phrases, the harshest test
// of telling a command from talk full of numbers.
const std::vector<std::string> kTalkNumberPhrases = {"[1-99]倍", "[1-99]年", "[1-99]岁", "[1-99]万", "[1-99]个",
                                                     "[1-99]辆", "[1-99]位", "[1-99]组", "[1-99]套", "[1-12]月"};

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
      {"vad_rescue_threshold", &s.vad_rescue_threshold},
      {"min_silence", &s.min_silence},
      {"min_speech", &s.min_speech},
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

bool is_numeral(std::string_view utf8_char) {
  static const std::string kNumerals = "零一二两三四五六七八九十百千万亿";
  return utf8_char.size() == 3 && kNumerals.find(utf8_char) != std::string::npos;
}

// The previous character of `text` before byte `at` (UTF-8), or empty.
std::string_view char_before(std::string_view text, std::size_t at) {
  if (at == 0) return {};
  std::size_t from = at - 1;
  while (from > 0 && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) --from;
  return text.substr(from, at - from);
}

struct NumberSaid {
  std::string said;
  std::size_t slot;  // index into the slot phrases
};

// The slot phrases' expansions the transcript says: not inside a longer one
// (十一倍, not 一倍) and not the end of a larger number (四十四亿 in 一百四十四亿,
// 五年 in 二零一五年).
std::vector<NumberSaid> numbers_said(const std::string& transcript, const std::vector<std::string>& slots) {
  struct Found {
    std::size_t begin, end;
    NumberSaid said;
  };
  std::vector<Found> found;
  for (std::size_t k = 0; k < slots.size(); ++k) {
    for (const SaidNumber& x : slot_expansions(slots[k], *number_slot(slots[k]))) {
      for (std::size_t at = transcript.find(x.text); at != std::string::npos; at = transcript.find(x.text, at + 1)) {
        if (!is_numeral(char_before(transcript, at))) found.push_back({at, at + x.text.size(), {x.text, k}});
      }
    }
  }
  std::vector<NumberSaid> out;
  for (const Found& f : found) {
    const bool inside = std::any_of(found.begin(), found.end(), [&](const Found& g) {
      return g.begin <= f.begin && f.end <= g.end && g.end - g.begin > f.end - f.begin;
    });
    if (!inside) out.push_back(f.said);
  }
  return out;
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
  int said = 0;  // actions on a phrase the talk does say: a pause after it makes it a command
  double seconds = 0;
  std::vector<double> latency;
  std::vector<std::string> notes;
};

// Commands said alone; commands said inside talk (their word found, any
// other phrase a false action); audio with no command at all; or talk whose
// numbers are phrases of the slots listening.
enum class Kind { commands, inside, negatives, numbers };

// The slot phrases listening, and which of them each heard text says.
struct Slots {
  std::vector<std::string> phrases;
  std::map<std::string, std::size_t> slot_of;
  std::set<std::string> silent;  // heard, they do nothing: numbers outside their slot's range
};

// Per number the talk says: found with its own number, with another number
// of its slot phrase (wrong), or missed; anything else heard is a false action.
void run_numbers(SpotterCore& core, const fs::path& dir, const Slots& slots, Tally& t) {
  std::ifstream in(dir / "transcripts.tsv");
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::vector<NumberSaid> said = numbers_said(line.substr(tab + 1), slots.phrases);
    if (said.empty()) continue;
    const fs::path file = dir / line.substr(0, tab);
    const WavAudio wav = read_wav_16k_mono(file.string());
    if (!wav.ok) continue;
    t.seconds += static_cast<double>(wav.samples.size()) / 16000.0;
    std::vector<std::string> heard;
    for (const auto& d : hear(core, wav.samples))
      if (d.recognised && !slots.silent.count(d.text)) heard.push_back(d.text);
    for (const NumberSaid& n : said) {
      auto it = std::find(heard.begin(), heard.end(), n.said);
      if (it != heard.end()) {
        ++t.right;
      } else {
        it = std::find_if(heard.begin(), heard.end(), [&](const std::string& h) {
          return slots.slot_of.count(h) && slots.slot_of.at(h) == n.slot;
        });
        ++(it != heard.end() ? t.wrong : t.missed);
        t.notes.push_back(file.stem().string() + " " + n.said + (it != heard.end() ? " heard as " + *it : " missed"));
      }
      if (it != heard.end()) heard.erase(it);
    }
    for (const auto& h : heard) {
      ++t.fires;
      t.notes.push_back(file.stem().string() + ":" + h);
    }
  }
}

// Actions on a phrase that the talk does say are counted apart: said with a
// pause after it, as a newsreader does, it is a command (the verbose notes
// mark them for a look).
std::string said_apart(int said) { return said ? " (+" + std::to_string(said) + " on a phrase the talk says)" : ""; }

void run_set(SpotterCore& core, const fs::path& dir, Kind kind, const Slots& slots, Tally& t) {
  const auto words = read_words(dir);
  const auto transcripts = read_transcripts(dir);
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
      if (d.recognised && !slots.silent.count(d.text)) acted.push_back(&d);
    if (kind != Kind::commands) {
      for (const auto* d : acted) {
        if (kind == Kind::inside && d->text == word) continue;
        const bool said = talk_says(transcripts, file, d->text);
        ++(said ? t.said : t.fires);
        t.notes.push_back(file.stem().string() + ":" + d->text + "[" + d->heard + "]" + (said ? " (said)" : ""));
      }
      const bool found = std::any_of(acted.begin(), acted.end(), [&](const auto* d) { return d->text == word; });
      if (kind == Kind::inside) ++(found ? t.right : t.missed);
      continue;
    }
    const bool any_wrong = std::any_of(acted.begin(), acted.end(), [&](const auto* d) { return d->text != word; });
    if (any_wrong) {
      ++t.wrong;
      for (const auto* d : acted)
        if (d->text != word)
          t.notes.push_back(file.stem().string() + " " + word + "→" + d->text + " [" + d->heard + "]");
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
  bool shipped_only = false, verbose = false, in_range_only = false;
  Slots slots;
  std::string only;  // "only=talk,sounds": just these sets
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "anywhere") {
      settings.mode = MatchMode::anywhere;
    } else if (arg == "shipped-only") {
      shipped_only = true;
    } else if (arg == "numbers") {
      slots.phrases.insert(slots.phrases.end(), kNumberPhrases.begin(), kNumberPhrases.end());
    } else if (arg == "number-talk") {
      slots.phrases.insert(slots.phrases.end(), kNumberPhrases.begin(), kNumberPhrases.end());
      slots.phrases.insert(slots.phrases.end(), kTalkNumberPhrases.begin(), kTalkNumberPhrases.end());
    } else if (arg == "in-range-only") {
      in_range_only = true;
    } else if (arg == "verbose") {
      verbose = true;
    } else if (arg.rfind("only=", 0) == 0) {
      only = "," + arg.substr(5) + ",";
    } else if (!set_option(settings, arg)) {
      std::fprintf(stderr, "unknown option %s\n", arg.c_str());
      return 1;
    }
  }
  auto model = load_model(settings);
  if (!model) return 1;
  const SharedReadings readings;
  SpotterCore core(*model, readings);
  std::vector<std::string> written = shipped_phrases();
  if (!shipped_only) written.insert(written.end(), kRecordedWords.begin(), kRecordedWords.end());
  written.insert(written.end(), slots.phrases.begin(), slots.phrases.end());
  // As the engines are given them: each slot phrase said with every number.
  const HeardPhrases heard = phrases_to_hear(written);
  std::vector<std::string> vocabulary;
  for (std::size_t k = 0; k < heard.said.size(); ++k) {
    if (heard.acts[k] || !in_range_only) vocabulary.push_back(heard.said[k]);
    if (!heard.acts[k]) slots.silent.insert(heard.said[k]);
    const auto slot = std::find(slots.phrases.begin(), slots.phrases.end(), written[heard.written[k]]);
    if (slot != slots.phrases.end())
      slots.slot_of[heard.said[k]] = static_cast<std::size_t>(slot - slots.phrases.begin());
  }
  std::vector<std::string> unsupported;
  const double load_started = cpu_seconds();
  if (const auto status = core.set_phrases(vocabulary, unsupported); !status.ok) {
    std::fprintf(stderr, "%s\n", status.error.c_str());
    return 1;
  }
  std::printf("mode %s, %zu phrases listening (%zu cannot be listened for; %zu number slots), loaded in %.0f ms CPU\n",
              settings.mode == MatchMode::alone ? "alone" : "anywhere", vocabulary.size() - unsupported.size(),
              unsupported.size(), slots.phrases.size(), 1000 * (cpu_seconds() - load_started));

  struct Set {
    const char* name;
    Kind kind;
  };
  const std::vector<Set> list = {
      {"commands", Kind::commands},        {"commands-sound", Kind::commands},  {"commands-quiet", Kind::commands},
      {"takes", Kind::commands},           {"takes-8k", Kind::commands},        {"narrowband", Kind::commands},
      {"sentences", Kind::inside},         {"talk", Kind::negatives},           {"talk-sound", Kind::negatives},
      {"sounds", Kind::negatives},         {"noise", Kind::negatives},          {"talk", Kind::numbers},
      {"number-commands", Kind::commands}, {"number-outside", Kind::negatives}, {"number-talk", Kind::negatives}};
  std::printf(
      "| set | half | right | wrong | missed | false per 10 min | latency median / p90 / max ms | CPU / real time |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  for (const auto& set : list) {
    if (shipped_only && set.kind == Kind::commands) continue;
    if (set.kind == Kind::numbers && slots.phrases.empty()) continue;
    if (!only.empty() && only.find("," + std::string(set.name) + ",") == std::string::npos) continue;
    for (const char* half : {"tune", "held"}) {
      const fs::path dir = sets / set.name / half;
      if (!fs::is_directory(dir)) continue;
      Tally t;
      const double cpu_started = cpu_seconds();
      if (set.kind == Kind::numbers) {
        run_numbers(core, dir, slots, t);
      } else {
        run_set(core, dir, set.kind, slots, t);
      }
      if (t.seconds == 0) continue;  // no file of the set says a number of these slots
      const double cpu = (cpu_seconds() - cpu_started) / t.seconds;
      const int n = t.right + t.wrong + t.missed;
      if (set.kind == Kind::numbers) {
        std::printf("| numbers-inside | %s | %d of %d = %.0f %% | %d | %d | others: %d in %.1f min = %.1f | | %.3f |\n",
                    half, t.right, n, 100.0 * t.right / std::max(n, 1), t.wrong, t.missed, t.fires, t.seconds / 60,
                    t.fires * 600.0 / t.seconds, cpu);
      } else if (set.kind == Kind::inside) {
        std::printf("| %s | %s | found %.1f %% | | | others: %d in %.1f min = %.1f%s | | %.3f |\n", set.name, half,
                    100.0 * t.right / n, t.fires, t.seconds / 60, t.fires * 600.0 / t.seconds,
                    said_apart(t.said).c_str(), cpu);
      } else if (set.kind == Kind::commands) {
        std::printf("| %s | %s | %.1f %% | %.1f %% | %.1f %% | | %.0f / %.0f / %.0f | %.3f |\n", set.name, half,
                    100.0 * t.right / n, 100.0 * t.wrong / n, 100.0 * t.missed / n, 1000 * percentile(t.latency, 0.5),
                    1000 * percentile(t.latency, 0.9), 1000 * percentile(t.latency, 1.0), cpu);
      } else {
        std::printf("| %s | %s | | | | %d in %.1f min = %.1f%s | | %.3f |\n", set.name, half, t.fires, t.seconds / 60,
                    t.fires * 600.0 / t.seconds, said_apart(t.said).c_str(), cpu);
      }
      if (verbose)
        for (const auto& note : t.notes) std::printf("    %s\n", note.c_str());
      std::fflush(stdout);
    }
  }
  return 0;
}
