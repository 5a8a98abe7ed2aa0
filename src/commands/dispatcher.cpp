#include "commands/dispatcher.h"

#include "commands/number_action.h"
#include "vocabulary/number_slot.h"

namespace quillon {

void Dispatcher::on_recognition(std::string_view phrase) {
  if (test_mode_) {
    show_heard_(std::string(phrase));
    return;
  }
  // The action is copied out before the first event: a nested run or an edit
  // during a wait may replace the vocabulary text.
  const std::optional<HeardEntry> entry = entry_heard(vocab_text_, phrase);
  if (!entry) return;
  std::string action = entry->action;
  if (entry->number) {
    // A file edited by hand may hold an action the editor would refuse.
    if (const auto name = unknown_name_with_number(action, *entry->number)) {
      if (log_) {
        log_(std::string(phrase) + ": \"" + action + "\" of " + entry->phrase + " names no key for " +
             std::to_string(*entry->number) + " (\"" + *name + "\"); nothing done");
      }
      return;
    }
    action = with_number(action, *entry->number);
  }
  if (show_acting_) show_acting_(std::string(phrase), action);
  const ActionPlan plan = read_action(action);
  executor_.run(plan);
}

}  // namespace quillon
