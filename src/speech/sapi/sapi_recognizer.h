#pragma once

#include <functional>
#include <memory>
#include <string>

#include "speech/engines.h"

namespace quillon {

// The Windows speech platform's shared recogniser (SAPI 5 over COM). Its events
// are delivered by the creating thread's message loop, so make it on the GUI
// thread. Never null; appends to `log` which engine this is. While
// `decoding` says no, what the recogniser hears is dropped (push-to-talk).
std::unique_ptr<Recognizer> make_sapi_recognizer(std::string& log, std::function<bool()> decoding = {});

inline constexpr char kSapiEngine[] = "sapi";
// The engine table's entry points; on other platforms the engine is absent.
bool sapi_available(const EngineOptions& options);
std::unique_ptr<Recognizer> make_sapi_engine(const EngineOptions& options, std::string& log);

}  // namespace quillon
