#include "speech/recognizer_base.h"

#include <algorithm>
#include <unordered_map>

#include "vocabulary/number_slot.h"

namespace quillon {

SpeechStatus RecognizerBase::create_context() {
  if (has_context_) return SpeechStatus::success();
  SpeechStatus status = open_context();
  has_context_ = status.ok;
  return status;
}

SpeechStatus RecognizerBase::init_grammar() {
  if (!has_context_) return SpeechStatus::failure("no recognition context");
  has_grammar_ = true;
  return SpeechStatus::success();
}

SpeechStatus RecognizerBase::add_event_interest(SpeechEvent event) {
  if (!has_context_) return SpeechStatus::failure("no recognition context");
  (event == SpeechEvent::Recognition ? wants_recognition_ : wants_false_recognition_) = true;
  return SpeechStatus::success();
}

GrammarLoad RecognizerBase::load_grammar(const std::string& path) {
  if (!has_grammar_) return {SpeechStatus::failure("no grammar"), {}};
  GrammarParse parse = read_grammar(path);
  if (!parse.status.ok) {
    phrases_.clear();
    use_phrases(phrases_);
    return {parse.status, {}};
  }
  HeardPhrases heard = phrases_to_hear(parse.phrases);
  GrammarLoad load = use_phrases(heard.said);
  // The user wrote the slot phrase, not its expansions: it is named once.
  std::unordered_map<std::string, std::size_t> written_of;
  for (std::size_t k = 0; k < heard.said.size(); ++k) written_of.emplace(heard.said[k], heard.written[k]);
  std::vector<std::string> unsupported;
  const auto report = [&](const std::string& phrase) {
    if (std::find(unsupported.begin(), unsupported.end(), phrase) == unsupported.end()) unsupported.push_back(phrase);
  };
  for (const std::string& said : load.unsupported_phrases) {
    const auto found = written_of.find(said);
    report(found == written_of.end() ? said : parse.phrases[found->second]);
  }
  for (const std::string& phrase : heard.unsayable) report(phrase);
  load.unsupported_phrases = std::move(unsupported);
  phrases_ = load.status.ok ? std::move(heard.said) : std::vector<std::string>{};
  return load;
}

SpeechStatus RecognizerBase::set_rules_active(bool active) {
  if (!has_grammar_) return SpeechStatus::failure("no grammar");
  if (active == active_) return SpeechStatus::success();
  if (active) {
    SpeechStatus status = start_listening();
    if (!status.ok) return status;
  } else {
    stop_listening();
  }
  active_ = active;
  return SpeechStatus::success();
}

void RecognizerBase::set_listener(RecognitionListener* listener) { listener_ = listener; }

void RecognizerBase::deliver_recognition(const std::string& text, bool taught) {
  if (!listener_ || !active_ || !wants_recognition_) return;
  if (taught) {
    listener_->on_taught_recognition(text);
  } else {
    listener_->on_recognition(text);
  }
}

void RecognizerBase::deliver_false_recognition() {
  if (listener_ && active_ && wants_false_recognition_) listener_->on_false_recognition();
}

void RecognizerBase::deliver_audio_finished() {
  if (listener_) listener_->on_audio_finished();
}

bool RecognizerBase::is_phrase(const std::string& text) const {
  return std::find(phrases_.begin(), phrases_.end(), text) != phrases_.end();
}

}  // namespace quillon
