#include "commands/dispatcher.h"

#include "vocabulary/vocab_text.h"

namespace quillon {

void Dispatcher::on_recognition(std::string_view phrase) {
  if (test_mode_) {
    show_heard_(std::string(phrase));
    return;
  }
  // The action is copied out before the first event: a nested run or an edit
  // during a wait may replace the vocabulary text.
  const std::optional<std::string> action = find_action(vocab_text_, phrase);
  if (!action) return;
  if (show_acting_) show_acting_(std::string(phrase), *action);
  const ActionPlan plan = read_action(*action);
  executor_.run(plan);
}

}  // namespace quillon
