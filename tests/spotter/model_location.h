#pragma once

// The speech models of this source tree, and the model's own test recordings,
// which are never committed: they lie in shared/models beside the checkout (or
// beside one of its parents) on a development machine and in CI.

#include <filesystem>
#include <string>

#include "speech/spotter/keyword_spotter.h"

namespace quillon::testing {

inline std::string models_folder() { return QUILLON_SOURCE_DIR "/models"; }

// Empty when the recordings are not there.
inline std::string recordings_folder() {
  namespace fs = std::filesystem;
  for (fs::path dir = QUILLON_SOURCE_DIR; !dir.empty(); dir = dir.parent_path()) {
    const fs::path wavs = dir / "shared" / "models" / kKwsModelName / "test_wavs";
    if (fs::is_directory(wavs)) return wavs.string();
    if (dir == dir.root_path()) break;
  }
  return {};
}

inline std::string test_wav(int n) { return recordings_folder() + "/" + std::to_string(n) + ".wav"; }

// Short words said on their own by several speakers (shared/speech/dev-commands
// beside the checkout); empty when not there.
inline std::string command_recordings_folder() {
  namespace fs = std::filesystem;
  for (fs::path dir = QUILLON_SOURCE_DIR; !dir.empty(); dir = dir.parent_path()) {
    const fs::path wavs = dir / "shared" / "speech" / "dev-commands";
    if (fs::is_directory(wavs)) return wavs.string();
    if (dir == dir.root_path()) break;
  }
  return {};
}

}  // namespace quillon::testing

// For a test (or SetUp) that listens to the recordings; the test includes gtest.
#define QUILLON_SKIP_WITHOUT_RECORDINGS()                                                              \
  if (::quillon::testing::recordings_folder().empty())                                                 \
  GTEST_SKIP() << "the model's test recordings (shared/models/.../test_wavs beside the checkout) are " \
                  "not here"

#define QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS()                                                        \
  if (::quillon::testing::command_recordings_folder().empty())                                           \
  GTEST_SKIP() << "the recordings of words said alone (shared/speech/dev-commands beside the checkout) " \
                  "are not here"
