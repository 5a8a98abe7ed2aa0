// What loading a vocabulary costs each engine, as the window pays it when a
// game is chosen or the focused window switches games: the engine's
// load_grammar() on a vocabulary file (read, slot phrases expanded, phrases
// converted and handed to the decoder). Every shipped vocabulary, and the
// largest one with four number slots of up to 99 numbers added. The first
// load of a vocabulary in a session can cost more than later ones (the
// fallback keeps the pronunciations it made). Wall time depends on what else
// the machine runs; processor time less so. Prints a table; not a test.
//
//   vocabulary_switch_eval [ROUNDS]

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "measures.h"
#include "speech/engines.h"
#include "vocabulary/builtin_vocab.h"
#include "vocabulary/number_slot.h"
#include "vocabulary/vocab_file.h"
#include "vocabulary/vocab_text.h"

using namespace quillon;
using namespace quillon::bench;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Four slot phrases of a strategy game and a slide show: as large as slots
// get (4 × 99 numbers and 两), and as they would be written.
const Entries kWidestSlots = {
    {"[1-99]号部队过来", "Write[{n}]*MRBC"},
    {"选择[1-99]号部队", "Write[{n}]"},
    {"第[1-99]张", "Write[{n}]*Enter"},
    {"[1-99]倍速度", "Write[{n}]"},
};
const Entries kUsualSlots = {
    {"[1-9]号部队过来", "{n}*MRBC"},
    {"选择[1-9]号部队", "{n}"},
    {"第[1-99]张", "Write[{n}]*Enter"},
    {"[2-8]倍速度", "Ctrl+{n}"},
};

struct Vocabulary {
  std::string name, path;
  std::size_t said = 0;  // phrases the engines listen for
};

double ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  QTemporaryDir folder;
  std::vector<Vocabulary> vocabularies;
  std::string largest;
  for (const BuiltinVocabulary& builtin : builtin_vocabularies("")) {
    const std::string path = folder.filePath(QString::fromStdString(builtin.file_name)).toStdString();
    write_vocab_file(path, builtin.text);
    if (list_entries(builtin.text).size() > list_entries(largest).size()) largest = builtin.text;
    vocabularies.push_back({builtin.file_name, path});
  }
  const auto add_slots = [&](const Entries& entries, const char* file, const char* name) {
    std::string text = largest;
    for (const auto& [phrase, action] : entries) text = insert_entry(text, phrase, action);
    const std::string path = folder.filePath(file).toStdString();
    write_vocab_file(path, text);
    vocabularies.push_back({name, path});
  };
  add_slots(kUsualSlots, "usual.xml", "largest + [1-9]号部队过来, 选择[1-9]号部队, 第[1-99]张, [2-8]倍速度");
  add_slots(kWidestSlots, "widest.xml", "largest + 4 slots of 1 to 99");
  for (Vocabulary& v : vocabularies) {
    std::vector<std::string> phrases;
    for (const VocabEntry& e : list_entries(read_vocab_file(v.path).text)) phrases.push_back(e.phrase);
    v.said = phrases_to_hear(phrases).said.size();
  }

  EngineOptions options;
  options.post_to_gui = [](std::function<void()>) {};
  std::printf(
      "| engine | vocabulary | phrases heard | first load ms (CPU) | later loads, median / max ms (CPU median) |\n"
      "|---|---|---|---|---|\n");
  for (const std::string& engine : available_engines(options)) {
    if (engine == "scripted") continue;
    std::string log;
    std::unique_ptr<Recognizer> recognizer = make_recognizer(engine, options, log);
    if (!recognizer || !recognizer->create_context().ok || !recognizer->init_grammar().ok) {
      std::fprintf(stderr, "%s: %s\n", engine.c_str(), log.c_str());
      continue;
    }
    for (const Vocabulary& v : vocabularies) {
      std::vector<double> wall, cpu;
      for (int i = 0; i <= rounds; ++i) {
        // Another vocabulary in between, as a switch between two games would.
        if (i > 0) recognizer->load_grammar(vocabularies.front().path);
        const double cpu_before = cpu_seconds();
        const auto t0 = std::chrono::steady_clock::now();
        const GrammarLoad load = recognizer->load_grammar(v.path);
        wall.push_back(ms_since(t0));
        cpu.push_back(1000 * (cpu_seconds() - cpu_before));
        if (!load.status.ok) std::fprintf(stderr, "%s: %s\n", v.name.c_str(), load.status.error.c_str());
      }
      const std::vector<double> later_wall(wall.begin() + 1, wall.end()), later_cpu(cpu.begin() + 1, cpu.end());
      std::printf("| %s | %s | %zu | %.1f (%.1f) | %.1f / %.1f (%.1f) |\n", engine.c_str(), v.name.c_str(), v.said,
                  wall.front(), cpu.front(), percentile(later_wall, 0.5), percentile(later_wall, 1.0),
                  percentile(later_cpu, 0.5));
      std::fflush(stdout);
    }
  }
  return 0;
}
