#pragma once

// What every engine shares: the state of the context, the grammar, the event
// interests and the rules' activity, and the rule that an event reaches the
// listener only while the rules are active and only when its interest was
// added. Engines supply the listening; plain C++ without Qt, usable by any
// engine.

#include <string>
#include <vector>

#include "speech/grammar_file.h"
#include "speech/recognizer.h"

namespace quillon {

class RecognizerBase : public Recognizer {
 public:
  // `names`: what recognizer_names() gives, worked out once when the engine is
  // made (it may look for other engines' models).
  explicit RecognizerBase(std::vector<std::string> names) : names_(std::move(names)) {}

  std::vector<std::string> recognizer_names() const override { return names_; }
  SpeechStatus create_context() override;
  // Fails without a context.
  SpeechStatus init_grammar() override;
  // Fails without a context.
  SpeechStatus add_event_interest(SpeechEvent event) override;
  // Fails without a grammar or when the file is refused; a refused file leaves
  // the grammar without phrases, so nothing stale is recognised afterwards.
  // The rules keep their activity. The engine is given every phrase as it is
  // said: a phrase with a number slot as its expansions (see number_slot.h).
  GrammarLoad load_grammar(const std::string& path) override;
  // Fails without a grammar, or when the engine cannot start listening (the
  // rules then stay inactive). Setting the current state again does nothing.
  SpeechStatus set_rules_active(bool active) override;
  void set_listener(RecognitionListener* listener) override;

 protected:
  // Engine hooks, all called on the GUI thread.
  virtual SpeechStatus open_context() { return SpeechStatus::success(); }
  // Reads the vocabulary file as the platform would; engines implement it
  // with parse_grammar_file (a hook, so that this class needs no Qt).
  virtual GrammarParse read_grammar(const std::string& path) = 0;
  // Takes the phrases of a grammar that loaded (possibly none), as they are
  // said, and reports those it cannot listen for.
  virtual GrammarLoad use_phrases(const std::vector<std::string>& phrases) = 0;
  virtual SpeechStatus start_listening() { return SpeechStatus::success(); }
  virtual void stop_listening() {}

  // Delivery, on the GUI thread. Recognitions are dropped unless the rules are
  // active and their interest was added; the end of the audio always goes on.
  // `taught`: recognised only through what the user taught.
  void deliver_recognition(const std::string& text, bool taught = false);
  void deliver_false_recognition();
  void deliver_audio_finished();

  bool rules_active() const { return active_; }
  // As they are said: slot phrases expanded.
  const std::vector<std::string>& phrases() const { return phrases_; }
  bool is_phrase(const std::string& text) const;

 private:
  std::vector<std::string> names_;
  bool has_context_ = false;
  bool has_grammar_ = false;
  bool active_ = false;
  bool wants_recognition_ = false;
  bool wants_false_recognition_ = false;
  RecognitionListener* listener_ = nullptr;
  std::vector<std::string> phrases_;
};

}  // namespace quillon
