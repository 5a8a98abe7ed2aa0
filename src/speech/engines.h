#pragma once

// The registry behind make_recognizer: what engines list about each other.

#include <string>
#include <vector>

#include "speech/recognizer.h"

namespace quillon {

// The display name of a registered engine; empty for an unknown one.
std::string engine_display_name(const std::string& engine);

// The list an engine gives as its recognizer_names(): its own display name
// first, then those of the other engines that can run here, best first.
std::vector<std::string> recognizer_display_names(const std::string& engine, const EngineOptions& options);

}  // namespace quillon
