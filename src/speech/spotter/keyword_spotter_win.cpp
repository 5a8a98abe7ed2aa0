#include "speech/spotter/keyword_spotter.h"

// The spotter's runtime is the Linux build of sherpa-onnx; on Windows the
// platform's own recogniser is used instead.

namespace quillon {

bool keyword_spotter_available(const EngineOptions&) { return false; }

std::unique_ptr<Recognizer> make_keyword_spotter(const EngineOptions&, std::string& log) {
  log += "keyword spotter: not built for Windows\n";
  return nullptr;
}

}  // namespace quillon
