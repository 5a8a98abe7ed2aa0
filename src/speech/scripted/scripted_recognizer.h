#pragma once

// A recogniser that hears typed text: each line of its input is one
// utterance. For automation and end-to-end tests.

#include <istream>
#include <memory>
#include <string>

#include "speech/engines.h"
#include "speech/recognizer_base.h"

namespace quillon {

inline constexpr char kScriptedEngine[] = "scripted";

class ScriptedRecognizer : public RecognizerBase {
 public:
  // Reads `input` (UTF-8 lines) on a thread of its own once the context is
  // created, and hands each line to hear() through options.post_to_gui. At
  // the end of the input the listener hears on_audio_finished(). The reader
  // never posts after destruction; one still blocked in a read is left to end
  // with its input or with the process.
  ScriptedRecognizer(std::shared_ptr<std::istream> input, EngineOptions options);
  ~ScriptedRecognizer() override;

  // One utterance, on the GUI thread: while the rules are active, a phrase of
  // the grammar (exactly, case and blanks included) is a recognition, anything
  // else a false recognition; while they are inactive, or while
  // options.decoding says no, it is ignored.
  void hear(const std::string& utterance);

 protected:
  SpeechStatus open_context() override;
  GrammarParse read_grammar(const std::string& path) override;
  GrammarLoad use_phrases(const std::vector<std::string>& phrases) override;

 private:
  struct Reader;
  struct Self {
    ScriptedRecognizer* recognizer;
  };

  std::shared_ptr<std::istream> input_;
  EngineOptions options_;
  std::shared_ptr<Self> self_;  // posted work finds the recogniser through it, or finds it gone
  std::shared_ptr<Reader> reader_;
};

// Over standard input; fails without options.post_to_gui.
bool scripted_recognizer_available(const EngineOptions& options);
std::unique_ptr<Recognizer> make_scripted_recognizer(const EngineOptions& options, std::string& log);

}  // namespace quillon
