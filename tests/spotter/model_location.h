#pragma once

// The speech models beside the checkout (a development tree or a CI clone has
// shared/ next to it, or next to one of its parents).

#include <filesystem>
#include <string>

#include "speech/spotter_core.h"

namespace quillon::testing {

inline std::string models_folder() {
  namespace fs = std::filesystem;
  for (fs::path dir = QUILLON_SOURCE_DIR; !dir.empty(); dir = dir.parent_path()) {
    if (fs::is_directory(dir / "shared" / "models" / kKwsModelName)) return (dir / "shared" / "models").string();
    if (dir == dir.root_path()) break;
  }
  return {};
}

inline std::string test_wav(int n) {
  return models_folder() + "/" + kKwsModelName + "/test_wavs/" + std::to_string(n) + ".wav";
}

}  // namespace quillon::testing
