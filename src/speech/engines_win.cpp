// The engines whose runtimes are built for Linux only (the keyword spotter on
// sherpa-onnx, the fallback on Debian's PocketSphinx): on Windows the
// platform's own recogniser listens instead.

#include <string>

#include "speech/sphinx/sphinx_engine.h"
#include "speech/spotter/keyword_spotter.h"

namespace quillon {
namespace {

std::unique_ptr<Recognizer> not_built(const char* engine, std::string& log) {
  log += std::string(engine) + ": not built for Windows\n";
  return nullptr;
}

}  // namespace

bool keyword_spotter_available(const EngineOptions&) { return false; }
bool pocketsphinx_available(const EngineOptions&) { return false; }

std::unique_ptr<Recognizer> make_keyword_spotter(const EngineOptions&, std::string& log) {
  return not_built("keyword spotter", log);
}

std::unique_ptr<Recognizer> make_pocketsphinx(const EngineOptions&, std::string& log) {
  return not_built("pocketsphinx", log);
}

}  // namespace quillon
