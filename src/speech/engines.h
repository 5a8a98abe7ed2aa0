#pragma once

// Making a speech engine: what every engine is given, and the registry that
// lists the engines best first and makes one by name.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "speech/engine_tuning.h"
#include "speech/pinyin_readings.h"
#include "speech/recognizer.h"

namespace quillon {

// Runs a function on the GUI thread, later; engines with threads use it to
// deliver their events.
using PostToGui = std::function<void(std::function<void()>)>;

// How a command is told from talk. `alone`: an utterance acts only when it
// holds vocabulary phrases and little else. `anywhere`: a phrase acts wherever
// it is heard in running speech.
enum class MatchMode { alone, anywhere };

struct EngineOptions {
  std::string program_folder;
  std::string executable_folder;  // where the models of a portable copy or an installation are; may be empty
  std::string model_dir;          // empty: search the usual places
  std::string audio_file;         // empty: the capture device
  std::string capture_device = "default";
  MatchMode match = MatchMode::alone;
  bool exit_after_audio = false;
  EngineTuning tuning;
  PostToGui post_to_gui;
  // Whether what is heard now is to be decoded (push-to-talk); asked from the
  // audio thread. Empty: always.
  std::function<bool()> decoding;
  // How phrases are said; read when an engine first needs them.
  std::shared_ptr<const SharedReadings> readings = std::make_shared<SharedReadings>();
};

// Engine names, best first, of those that can run here.
std::vector<std::string> available_engines(const EngineOptions& options);

// Makes the named engine, or the best available one when `name` is empty.
// Null when none can be made; `log` says why and which one was chosen.
std::unique_ptr<Recognizer> make_recognizer(const std::string& name, const EngineOptions& options, std::string& log);

// The display name of a registered engine; empty for an unknown one.
std::string engine_display_name(const std::string& engine);

// The list an engine gives as its recognizer_names(): its own display name
// first, then those of the other engines that can run here, best first.
std::vector<std::string> recognizer_display_names(const std::string& engine, const EngineOptions& options);

}  // namespace quillon
