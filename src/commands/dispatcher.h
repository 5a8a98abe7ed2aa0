#pragma once

// Turns a recognised phrase into input: finds its action in the current
// vocabulary text and carries it out, or, in test mode, only shows the phrase.

#include <string>
#include <string_view>

#include "commands/executor.h"

namespace quillon {

// Where test mode shows the heard phrase (the feedback box).
class FeedbackTarget {
 public:
  virtual ~FeedbackTarget() = default;
  virtual void show_heard(const std::string& phrase) = 0;
};

class Dispatcher {
 public:
  // `vocab_text` and `test_mode` are the window's own state, read at the start
  // of every run; later changes do not affect a run under way.
  Dispatcher(const std::string& vocab_text, const bool& test_mode, Executor& executor, FeedbackTarget& feedback)
      : vocab_text_(vocab_text), test_mode_(test_mode), executor_(executor), feedback_(feedback) {}

  void on_recognition(std::string_view phrase);

 private:
  const std::string& vocab_text_;
  const bool& test_mode_;
  Executor& executor_;
  FeedbackTarget& feedback_;
};

}  // namespace quillon
