#include "commands/executor.h"

#include "commands/command_texts.h"

namespace quillon {
namespace {

constexpr std::uint8_t kVkControl = 0x11;
constexpr std::uint8_t kVkV = 0x56;

}  // namespace

void Executor::press(const ElementTarget& target) {
  if (const auto* key = std::get_if<KeyTarget>(&target)) {
    platform_.input.key_down(key->vk);
  } else if (const auto* mouse = std::get_if<MouseAction>(&target)) {
    for (int i = 0; i < mouse->repeat; ++i) platform_.input.mouse(mouse->flags, mouse->dx, mouse->dy);
  }
}

void Executor::release(const ElementTarget& target) {
  if (const auto* key = std::get_if<KeyTarget>(&target)) platform_.input.key_up(key->vk);
}

void Executor::run(const ActionPlan& plan) {
  if (const auto* keys = std::get_if<KeyPlan>(&plan)) {
    run_keys(*keys);
  } else {
    run_commands(std::get<CommandPlan>(plan));
  }
}

void Executor::run_keys(const KeyPlan& plan) {
  for (const Step& step : plan.steps) {
    if (!run_step(step, plan.pause_after_steps)) return;
  }
}

// Returns false when a wait was cut short by quitting: the step's keys are then
// all released at once and no further step starts.
bool Executor::run_step(const Step& step, bool pause_after) {
  if (platform_.waiter.quitting()) return false;
  for (const Element& element : step.elements) press(element.target);
  bool waiting = true;
  for (const Element& element : step.elements) {
    if (element.hold_seconds && waiting) waiting = platform_.waiter.wait(*element.hold_seconds);
    release(element.target);
  }
  if (waiting && pause_after) waiting = platform_.waiter.wait(kStepPauseSeconds);
  return waiting;
}

void Executor::run_commands(const CommandPlan& plan) {
  if (!plan.bracket_text || platform_.waiter.quitting()) return;
  const std::string& text = *plan.bracket_text;
  if (plan.open_ie) {
    if (platform_.browsers.count() != 0) {
      platform_.browsers.navigate_first(text);
    } else {
      platform_.shell.open(text);
    }
  }
  if (plan.open_file) platform_.shell.open(text);
  if (plan.open_program && !platform_.processes.start(text)) {
    platform_.messages.inform(text::kPromptTitle, text::kNoProgram);
  }
  // The message above may have been ended by a request to quit.
  if (plan.write && !platform_.waiter.quitting()) type_text(text);
  if (plan.then.steps.empty() || platform_.waiter.quitting()) return;
  if (platform_.waiter.wait(kStepPauseSeconds)) run_keys(plan.then);
}

void Executor::type_text(const std::string& text) {
  // Without the clipboard the paste would insert stale text; skip it.
  if (!platform_.clipboard.set_text(text)) return;
  platform_.input.key_down(kVkControl);
  platform_.input.key_down(kVkV);
  platform_.input.key_up(kVkControl);
  platform_.input.key_up(kVkV);
}

}  // namespace quillon
