#include "speech/engines.h"

#include <iterator>

#include "speech/sapi/sapi_recognizer.h"
#include "speech/scripted/scripted_recognizer.h"
#include "speech/sphinx/sphinx_engine.h"
#include "speech/spotter/keyword_spotter.h"

namespace quillon {
namespace {

struct Engine {
  const char* name;  // what --recognizer takes
  const char* display_name;
  // False for engines made only when asked for by name: the scripted engine
  // can always run, but a user without a model must be told so, not be given
  // a recogniser that listens to standard input.
  bool chosen_by_default;
  bool (*available)(const EngineOptions&);
  std::unique_ptr<Recognizer> (*make)(const EngineOptions&, std::string& log);
};

// Best first. Adding an engine is one line here.
const Engine kEngines[] = {
    {kKeywordSpotterEngine, "Quillon 关键词 中文识别器", true, keyword_spotter_available, make_keyword_spotter},
    {kPocketSphinxEngine, "Quillon 拼音 中文识别器（备用，准确度低）", true, pocketsphinx_available, make_pocketsphinx},
    {kSapiEngine, "Windows 语音识别 中文识别器", true, sapi_available, make_sapi_engine},
    {kScriptedEngine, "Quillon 脚本 中文识别器", false, scripted_recognizer_available, make_scripted_recognizer},
};

const Engine* find_engine(const std::string& name) {
  for (const Engine& engine : kEngines) {
    if (name == engine.name) return &engine;
  }
  return nullptr;
}

void note(std::string& log, const std::string& line) {
  if (!log.empty()) log += '\n';
  log += line;
}

std::string known_names() {
  std::string names;
  for (const Engine& engine : kEngines) names += (names.empty() ? "" : ", ") + std::string(engine.name);
  return names;
}

std::unique_ptr<Recognizer> make(const Engine& engine, const EngineOptions& options, std::string& log) {
  std::unique_ptr<Recognizer> recognizer = engine.make(options, log);
  if (recognizer) {
    note(log, std::string("speech engine: ") + engine.name + " (" + engine.display_name + ")");
  } else {
    note(log, std::string("speech engine \"") + engine.name + "\" could not be started");
  }
  return recognizer;
}

}  // namespace

std::vector<std::string> available_engines(const EngineOptions& options) {
  std::vector<std::string> names;
  for (const Engine& engine : kEngines) {
    if (engine.available(options)) names.emplace_back(engine.name);
  }
  return names;
}

std::unique_ptr<Recognizer> make_recognizer(const std::string& name, const EngineOptions& options, std::string& log) {
  if (!name.empty()) {
    const Engine* engine = find_engine(name);
    if (!engine) {
      note(log, "unknown speech engine \"" + name + "\"; the engines are: " + known_names());
      return nullptr;
    }
    if (!engine->available(options)) {
      note(log, "speech engine \"" + name + "\" cannot run here");
      return nullptr;
    }
    return make(*engine, options, log);
  }
  for (const Engine& engine : kEngines) {
    // Making one that cannot run puts the reason (a damaged model file, say) in the log.
    if (!engine.chosen_by_default) continue;
    if (std::unique_ptr<Recognizer> recognizer = make(engine, options, log)) return recognizer;
  }
  note(log, "no speech engine can run here (engines: " + known_names() + ")");
  return nullptr;
}

std::string engine_display_name(const std::string& engine) {
  const Engine* found = find_engine(engine);
  return found ? found->display_name : "";
}

std::vector<std::string> recognizer_display_names(const std::string& engine, const EngineOptions& options) {
  std::vector<std::string> names;
  if (const Engine* own = find_engine(engine)) names.emplace_back(own->display_name);
  for (const Engine& other : kEngines) {
    if (engine != other.name && other.available(options)) names.emplace_back(other.display_name);
  }
  return names;
}

}  // namespace quillon
