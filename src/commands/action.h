#pragma once

// The action string language: a pure reader that turns the text bound to a
// phrase into a plan. Nothing here sends input.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "commands/key_names.h"

namespace quillon {

struct KeyTarget {
  std::uint8_t vk;
};

// What one chord element names, resolved before anything is sent.
using ElementTarget = std::variant<std::monostate, KeyTarget, MouseAction>;

struct Element {
  std::string name;                    // as written, spaces removed
  ElementTarget target;                // monostate: names nothing
  std::optional<double> hold_seconds;  // present when the element has "!"
};

struct Step {
  std::vector<Element> elements;
};

struct KeyPlan {
  std::vector<Step> steps;
  // Sequences of two or more steps pause half a second after every step.
  bool pause_after_steps = false;
};

struct CommandPlan {
  std::optional<std::string> bracket_text;  // absent when brackets are missing or out of order
  bool open_ie = false;
  bool open_file = false;
  bool open_program = false;
  bool write = false;
  // Key steps written after the closing bracket and a "*" ("Write[12]*Enter"):
  // the command is then a step of its own, and every step pauses after it.
  KeyPlan then;
};

using ActionPlan = std::variant<KeyPlan, CommandPlan>;

inline constexpr double kStepPauseSeconds = 0.5;

// Reads an action string into its plan. Never fails: what names nothing
// produces no event.
ActionPlan read_action(std::string_view action);

// The hold text read as milliseconds: the longest leading decimal number with
// optional sign, fraction and exponent; anything else is 0. Too large a number
// gives infinity.
double read_hold_milliseconds(std::string_view hold_text);

}  // namespace quillon
