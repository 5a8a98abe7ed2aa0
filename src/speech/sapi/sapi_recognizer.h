#pragma once

#include <memory>
#include <string>

#include "speech/engines.h"

namespace quillon {

// The Windows speech platform's shared recogniser (SAPI 5 over COM). Its events
// are delivered by the creating thread's message loop, so make it on the GUI
// thread. Never null; appends to `log` which engine this is.
std::unique_ptr<Recognizer> make_sapi_recognizer(std::string& log);

inline constexpr char kSapiEngine[] = "sapi";
// The engine table's entry points; on other platforms the engine is absent.
bool sapi_available(const EngineOptions& options);
std::unique_ptr<Recognizer> make_sapi_engine(const EngineOptions& options, std::string& log);

}  // namespace quillon
