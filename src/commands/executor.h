#pragma once

// Carries out a plan on the platform: key and mouse events in the order the
// language defines, timed waits, and the four commands.

#include "commands/action.h"
#include "input/platform.h"

namespace quillon {

class Executor {
 public:
  explicit Executor(Platform platform) : platform_(platform) {}

  // Runs the whole plan. Every key it presses is released before it returns,
  // also when the program is quitting (then without the remaining waits).
  void run(const ActionPlan& plan);

 private:
  // The two key operations every element goes through: key-down or the whole
  // mouse action, and key-up (mouse actions and unknown names send nothing).
  void press(const ElementTarget& target);
  void release(const ElementTarget& target);
  void run_keys(const KeyPlan& plan);
  void run_commands(const CommandPlan& plan);
  bool run_step(const Step& step, bool pause_after);
  void type_text(const std::string& text);

  Platform platform_;
};

}  // namespace quillon
