#pragma once

// Values for tuning the engines on recordings, given for one run (they are
// never kept in the settings file). Each value not given leaves the engine's
// own default; each engine keeps a given value within the range it can use.

#include <optional>
#include <string>

namespace quillon {

struct EngineTuning {
  // The keyword spotter, in the match mode in use: how sure it must be of a
  // phrase (0.01 to 0.99), and how strongly it favours phrases (0.1 to 10).
  std::optional<float> spotter_threshold, spotter_score;

  // The fallback engine: the probability of its loop of sounds that are no
  // phrase, the 10 ms frames of silence that end an utterance, the lowest
  // acoustic fit per frame and loudness contrast (dB) that may act, the frames
  // of a segment a phrase may leave uncovered, the faint noise added to the
  // input, and the most pronunciations per phrase (see SphinxSettings).
  std::optional<float> sphinx_garbage, sphinx_end_frames;
  std::optional<float> sphinx_min_score, sphinx_min_contrast, sphinx_extra_frames;
  std::optional<float> sphinx_noise_floor, sphinx_pronunciations;
  std::string sphinx_model;    // its acoustic model's folder; empty: the Debian package's
  std::string sphinx_options;  // further decoder options, "-name value ..."

  bool operator==(const EngineTuning&) const = default;
};

}  // namespace quillon
