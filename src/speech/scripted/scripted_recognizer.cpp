#include "speech/scripted/scripted_recognizer.h"

#include <atomic>
#include <iostream>
#include <mutex>
#include <thread>

#include "speech/engines.h"
#include "speech/grammar_file.h"

namespace quillon {

struct ScriptedRecognizer::Reader {
  std::mutex mutex;  // held while posting, so that stopping waits for a post under way
  bool stopped = false;
  std::atomic<bool> done{false};
  std::thread thread;

  // Posts unless stopped; false once stopped.
  bool post(const PostToGui& post_to_gui, std::function<void()> work) {
    std::lock_guard<std::mutex> lock(mutex);
    if (stopped) return false;
    post_to_gui(std::move(work));
    return true;
  }
};

ScriptedRecognizer::ScriptedRecognizer(std::shared_ptr<std::istream> input, EngineOptions options)
    : RecognizerBase(recognizer_display_names(kScriptedEngine, options)),
      input_(std::move(input)),
      options_(std::move(options)),
      self_(std::make_shared<Self>(Self{this})) {}

ScriptedRecognizer::~ScriptedRecognizer() {
  if (!reader_) return;
  {
    std::lock_guard<std::mutex> lock(reader_->mutex);
    reader_->stopped = true;
  }
  // A reader blocked on a terminal or pipe cannot be woken portably; it holds
  // its own references and ends with its input.
  if (reader_->done) {
    reader_->thread.join();
  } else {
    reader_->thread.detach();
  }
}

void ScriptedRecognizer::hear(const std::string& utterance) {
  if (!rules_active() || (options_.decoding && !options_.decoding())) return;
  if (is_phrase(utterance)) {
    deliver_recognition(utterance);
  } else {
    deliver_false_recognition();
  }
}

SpeechStatus ScriptedRecognizer::open_context() {
  if (!options_.post_to_gui) return SpeechStatus::failure("the scripted engine has no way to reach the GUI thread");
  if (reader_) return SpeechStatus::success();
  reader_ = std::make_shared<Reader>();
  reader_->thread = std::thread(
      [reader = reader_, input = input_, post_to_gui = options_.post_to_gui, self = std::weak_ptr<Self>(self_)] {
        std::string line;
        bool running = true;
        while (running && std::getline(*input, line)) {
          // A line end written on Windows is not part of the utterance.
          if (!line.empty() && line.back() == '\r') line.pop_back();
          running = reader->post(post_to_gui, [self, line] {
            if (auto alive = self.lock()) alive->recognizer->hear(line);
          });
        }
        if (running) {
          reader->post(post_to_gui, [self] {
            if (auto alive = self.lock()) alive->recognizer->deliver_audio_finished();
          });
        }
        reader->done = true;
      });
  return SpeechStatus::success();
}

GrammarParse ScriptedRecognizer::read_grammar(const std::string& path) { return parse_grammar_file(path); }

GrammarLoad ScriptedRecognizer::use_phrases(const std::vector<std::string>&) {
  // Any text can be typed, so every phrase can be heard.
  return {};
}

bool scripted_recognizer_available(const EngineOptions&) { return true; }

std::unique_ptr<Recognizer> make_scripted_recognizer(const EngineOptions& options, std::string& log) {
  if (!options.post_to_gui) {
    log += log.empty() ? "" : "\n";
    log += "the scripted engine needs post_to_gui";
    return nullptr;
  }
  // Standard input lives as long as the process.
  std::shared_ptr<std::istream> input(&std::cin, [](std::istream*) {});
  return std::make_unique<ScriptedRecognizer>(std::move(input), options);
}

}  // namespace quillon
