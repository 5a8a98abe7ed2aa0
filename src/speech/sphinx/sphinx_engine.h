#pragma once

// The fallback engine for a machine without the Mandarin model: PocketSphinx
// with Debian's US English model, every phrase given pronunciations in English
// phones derived from its pinyin. Fewer commands are heard and more speech
// that is no command is taken for one than with the keyword spotter.

#include <memory>
#include <string>

#include "speech/engines.h"

namespace quillon {

inline constexpr char kPocketSphinxEngine[] = "pocketsphinx";

// The acoustic model is installed (Linux only).
bool pocketsphinx_available(const EngineOptions& options);
// Null when unavailable; `log` says why.
std::unique_ptr<Recognizer> make_pocketsphinx(const EngineOptions& options, std::string& log);

}  // namespace quillon
