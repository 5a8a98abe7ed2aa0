#pragma once

// Turns a recognised phrase into input: finds its action in the current
// vocabulary text and carries it out, or, in test mode, only shows the phrase.

#include <functional>
#include <string>
#include <string_view>

#include "commands/executor.h"

namespace quillon {

// Shows a heard phrase where test mode shows it (the feedback box).
using ShowHeard = std::function<void(const std::string& phrase)>;
// Told of a phrase's action just before it runs.
using ShowActing = std::function<void(const std::string& phrase, const std::string& action)>;
// A line for the log: why a heard phrase did nothing.
using LogLine = std::function<void(const std::string& line)>;

class Dispatcher {
 public:
  // `vocab_text` and `test_mode` are the window's own state, read at the start
  // of every run; later changes do not affect a run under way.
  Dispatcher(const std::string& vocab_text, const bool& test_mode, Executor& executor, ShowHeard show_heard,
             ShowActing show_acting = {}, LogLine log = {})
      : vocab_text_(vocab_text),
        test_mode_(test_mode),
        executor_(executor),
        show_heard_(std::move(show_heard)),
        show_acting_(std::move(show_acting)),
        log_(std::move(log)) {}

  // A phrase said with a number runs its entry's action with "{n}" replaced
  // by the number; a number for which that names no key does nothing.
  void on_recognition(std::string_view phrase);

 private:
  const std::string& vocab_text_;
  const bool& test_mode_;
  Executor& executor_;
  ShowHeard show_heard_;
  ShowActing show_acting_;
  LogLine log_;
};

}  // namespace quillon
