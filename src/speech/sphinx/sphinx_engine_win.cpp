#include "speech/sphinx/sphinx_engine.h"

// Debian's PocketSphinx is the fallback on Linux only; Windows has its own
// recogniser.

namespace quillon {

bool pocketsphinx_available(const EngineOptions&) { return false; }

std::unique_ptr<Recognizer> make_pocketsphinx(const EngineOptions&, std::string& log) {
  log += "pocketsphinx: not built for Windows\n";
  return nullptr;
}

}  // namespace quillon
