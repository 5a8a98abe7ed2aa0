#pragma once

// The speech models of this source tree, and the model's own test recordings,
// which are never committed: they lie in shared/models beside the checkout (or
// beside one of its parents) on a development machine and in CI.

#include <filesystem>
#include <string>

#include "speech/spotter/keyword_spotter.h"

namespace quillon::testing {

inline std::string models_folder() { return QUILLON_SOURCE_DIR "/models"; }

// `folder` in the nearest directory up from the source tree that has it;
// empty when none has.
inline std::string beside_checkout(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  for (fs::path dir = QUILLON_SOURCE_DIR; !dir.empty(); dir = dir.parent_path()) {
    if (fs::is_directory(dir / folder)) return (dir / folder).string();
    if (dir == dir.root_path()) break;
  }
  return {};
}

inline std::string recordings_folder() {
  return beside_checkout(std::filesystem::path("shared") / "models" / kKwsModelName / "test_wavs");
}

inline std::string test_wav(int n) { return recordings_folder() + "/" + std::to_string(n) + ".wav"; }

// Short words said on their own by several speakers.
inline std::string command_recordings_folder() { return beside_checkout("shared/speech/dev-commands"); }

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
