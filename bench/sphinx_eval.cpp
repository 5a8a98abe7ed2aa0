// Evaluates the PocketSphinx fallback engine on the recordings that
// bench/sphinx_eval.sh lists, with every shipped phrase that has no Latin
// letter listening (and the words of the command recordings): commands said
// alone carried out right, wrongly or missed, and false actions per 10
// minutes of each kind of negative audio, for the half the settings were
// tuned on and the half kept aside. Files are heard one after another by one
// decoder, as in a session, in 0.1 s chunks as the audio sources deliver
// them. Prints a table; not a test. The engine's tuning comes from the
// environment (QUILLON_SPHINX_*), as it does for the program.
//
//   sphinx_eval MANIFEST [--decisions FILE]
//   MANIFEST lines: wav path, half (tune|aside), kind (command|talk|sound|...), expected phrase or "-"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings.h"
#include "measures.h"
#include "speech/grammar_file.h"
#include "speech/sphinx/pinyin_phones.h"
#include "speech/sphinx/sphinx_core.h"
#include "speech/wav_reader.h"

using namespace quillon;
using namespace quillon::bench;

namespace {

EngineTuning tuning_from_environment() {
  return resolve_settings({{}, settings_from_environment(std::getenv), {}}).effective.tuning;
}

struct Item {
  std::string path, half, kind, expected;
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
  const double peak = energy.empty() ? 0 : *std::max_element(energy.begin(), energy.end());
  std::size_t last = 0;
  for (std::size_t k = 0; k < energy.size(); ++k)
    if (energy[k] > peak / 300) last = k;
  return double(last + 1) * 0.01;
}

bool has_latin_letter(const std::string& phrase) {
  return std::any_of(phrase.begin(), phrase.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

// The phrases of the vocabularies that ship with the program. Their files
// declare gb2312 but are kept as UTF-8 in the source tree.
std::vector<std::string> shipped_phrases() {
  std::vector<std::string> phrases;
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(QUILLON_SOURCE_DIR) / "src/ui/builtin"))
    if (entry.path().extension() == ".xml") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    if (const auto at = bytes.find("gb2312"); at != std::string::npos) bytes.replace(at, 6, "utf-8");
    for (const auto& phrase : parse_grammar_bytes(bytes).phrases)
      if (!has_latin_letter(phrase)) phrases.push_back(phrase);
  }
  return phrases;
}

struct Tally {
  int commands = 0, right = 0, wrong = 0, missed = 0;
  double seconds = 0;  // negative audio
  int false_actions = 0;
};

struct Session {
  std::map<std::string, Tally> tallies;  // "half/kind"
  std::vector<double> latencies;         // right commands, seconds
  std::map<std::string, int> confusions;
  double cpu = 0, audio = 0;
};

std::string describe(const SphinxDecision& d) { return d.recognised ? d.text : "-"; }

void tally(Session& session, const Item& item, const std::vector<SphinxDecision>& decisions, double recognised_at) {
  std::vector<std::string> heard;
  for (const auto& d : decisions)
    if (d.recognised) heard.push_back(d.text);
  Tally& t = session.tallies[item.half + "/" + item.kind];
  if (item.kind != "command") {
    t.seconds += double(item.samples.size()) / 16000;
    t.false_actions += static_cast<int>(heard.size());
    return;
  }
  ++t.commands;
  if (heard.empty()) {
    ++t.missed;
  } else if (heard.size() == 1 && heard.front() == item.expected) {
    ++t.right;
    session.latencies.push_back(recognised_at - item.speech_end);
  } else {
    ++t.wrong;
    ++session.confusions[item.expected + " → " + heard.front()];
  }
}

Session run(std::vector<Item>& items, const std::vector<std::string>& phrases, std::FILE* log) {
  std::string error;
  const PinyinReadings readings = read_system_readings();
  auto core = SphinxCore::create(sphinx_settings(tuning_from_environment()), readings, error);
  if (!core) {
    std::fprintf(stderr, "sphinx_eval: %s\n", error.c_str());
    std::exit(1);
  }
  std::vector<std::string> unsupported;
  core->set_phrases(phrases, unsupported);
  for (const auto& u : unsupported) std::fprintf(stderr, "cannot listen for: %s\n", u.c_str());

  Session session;
  const std::vector<float> gap(8000, 0.0f);  // 0.5 s between files
  const double t0 = cpu_seconds();
  for (auto& item : items) {
    std::vector<float> audio = item.samples;
    audio.insert(audio.end(), gap.begin(), gap.end());
    const double start = core->audio_time();
    std::vector<SphinxDecision> decisions;
    double recognised_at = -1;
    for (std::size_t at = 0; at < audio.size(); at += 1600) {
      const std::size_t before = decisions.size();
      core->accept(audio.data() + at, std::min<std::size_t>(1600, audio.size() - at), decisions);
      for (std::size_t k = before; k < decisions.size(); ++k)
        if (decisions[k].recognised && recognised_at < 0) recognised_at = core->audio_time() - start;
    }
    tally(session, item, decisions, recognised_at);
    if (log)
      for (const auto& d : decisions)
        std::fprintf(log, "%s\t%s\t%s\t%s\t%s\t%s\t%s\t%d\t%d\t%ld\t%.1f\n", item.half.c_str(), item.kind.c_str(),
                     std::filesystem::path(item.path).filename().c_str(), item.expected.c_str(), describe(d).c_str(),
                     d.text.c_str(), verdict_name(d.verdict), d.heard.frames, d.heard.phrase_frames,
                     d.heard.phrase_score, double(d.heard.contrast_db));
    session.audio += double(audio.size()) / 16000;
  }
  session.cpu = cpu_seconds() - t0;
  return session;
}

void print_table(Session& s) {
  static const char* kNegatives[] = {"talk", "sound", "talk+sound", "synthetic", "made-sound"};
  std::printf("| half | commands right / wrong / missed |");
  for (const char* kind : kNegatives) std::printf(" %s: false actions per 10 min |", kind);
  std::printf("\n|---|---|---|---|---|---|---|\n");
  for (const char* half : {"tune", "aside"}) {
    const Tally& c = s.tallies[std::string(half) + "/command"];
    const auto pct = [&](int v) { return c.commands ? 100.0 * v / c.commands : 0.0; };
    std::printf("| %s | %d / %d / %d of %d (%.0f / %.0f / %.0f %%) |", half, c.right, c.wrong, c.missed, c.commands,
                pct(c.right), pct(c.wrong), pct(c.missed));
    for (const char* kind : kNegatives) {
      const Tally& t = s.tallies[std::string(half) + "/" + kind];
      std::printf(" %.1f (%d in %.1f min) |", t.seconds > 0 ? t.false_actions * 600.0 / t.seconds : 0.0,
                  t.false_actions, t.seconds / 60);
    }
    std::printf("\n");
  }
  auto& l = s.latencies;
  std::sort(l.begin(), l.end());
  if (!l.empty())
    std::printf("\nend of speech → decision, right commands (0.1 s chunks): median %.0f ms, 90th percentile %.0f ms\n",
                l[l.size() / 2] * 1000, l[l.size() * 9 / 10] * 1000);
  std::vector<std::pair<int, std::string>> top;
  for (const auto& [pair, n] : s.confusions) top.emplace_back(n, pair);
  std::sort(top.rbegin(), top.rend());
  std::printf("wrong actions:");
  for (const auto& [n, pair] : top) std::printf(" %s (%d);", pair.c_str(), n);
  std::printf("\ndecoding: real-time factor %.3f\n", s.cpu / s.audio);
}

std::vector<Item> read_manifest(const std::string& path) {
  std::vector<Item> items;
  std::ifstream manifest(path);
  std::string line;
  while (std::getline(manifest, line)) {
    Item item;
    std::stringstream fields(line);
    std::getline(fields, item.path, '\t');
    std::getline(fields, item.half, '\t');
    std::getline(fields, item.kind, '\t');
    std::getline(fields, item.expected, '\t');
    WavAudio wav = read_wav_16k_mono(item.path);
    if (!wav.ok) {
      std::fprintf(stderr, "%s: %s\n", item.path.c_str(), wav.error.c_str());
      std::exit(1);
    }
    item.samples = std::move(wav.samples);
    item.speech_end = speech_end(item.samples);
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sphinx_eval MANIFEST [--decisions FILE]\n");
    return 2;
  }
  std::FILE* log = nullptr;
  for (int i = 2; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--decisions") log = std::fopen(argv[++i], "w");

  std::vector<Item> items = read_manifest(argv[1]);
  std::vector<std::string> phrases = shipped_phrases();
  const std::size_t shipped = phrases.size();
  for (const auto& item : items)
    if (item.kind == "command" && std::find(phrases.begin(), phrases.end(), item.expected) == phrases.end())
      phrases.push_back(item.expected);
  // Interleave the kinds, as a session would: commands, talk and sound mixed.
  std::mt19937 rng(1);
  std::shuffle(items.begin(), items.end(), rng);
  std::printf("%zu files; %zu phrases listening (%zu shipped, %zu more from the commands)\n\n", items.size(),
              phrases.size(), shipped, phrases.size() - shipped);
  Session session = run(items, phrases, log);
  if (log) std::fclose(log);
  print_table(session);
  return 0;
}
