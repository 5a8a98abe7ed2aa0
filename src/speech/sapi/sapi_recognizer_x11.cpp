#include "speech/sapi/sapi_recognizer.h"

// The Windows speech platform exists only on Windows.

namespace quillon {

bool sapi_available(const EngineOptions&) { return false; }

std::unique_ptr<Recognizer> make_sapi_recognizer(std::string& log, std::function<bool()>) {
  log += "Windows speech platform: not on this system\n";
  return nullptr;
}

std::unique_ptr<Recognizer> make_sapi_engine(const EngineOptions&, std::string& log) {
  return make_sapi_recognizer(log);
}

}  // namespace quillon
