#include "commands/number_action.h"

#include "commands/action.h"
#include "vocabulary/number_slot.h"

namespace quillon {

namespace {

// The keys of a plan: all of a key action, those after a command.
const KeyPlan& keys_of(const ActionPlan& plan) {
  if (const auto* command = std::get_if<CommandPlan>(&plan)) return command->then;
  return std::get<KeyPlan>(plan);
}

}  // namespace

std::optional<std::string> unknown_name_with_number(std::string_view action, int number) {
  const ActionPlan written_plan = read_action(action);
  const ActionPlan said_plan = read_action(with_number(action, number));
  const KeyPlan& written = keys_of(written_plan);
  const KeyPlan& said = keys_of(said_plan);
  // Digits add no separator, so both plans have the same steps and elements.
  for (std::size_t s = 0; s < written.steps.size() && s < said.steps.size(); ++s) {
    const auto& marked = written.steps[s].elements;
    const auto& resolved = said.steps[s].elements;
    for (std::size_t e = 0; e < marked.size() && e < resolved.size(); ++e) {
      if (marked[e].name.find(kNumberMark) == std::string::npos) continue;
      if (std::holds_alternative<std::monostate>(resolved[e].target)) return resolved[e].name;
    }
  }
  return std::nullopt;
}

std::optional<int> first_number_without_key(std::string_view action, int first, int last) {
  for (int n = first; n <= last; ++n) {
    if (unknown_name_with_number(action, n)) return n;
  }
  return std::nullopt;
}

}  // namespace quillon
