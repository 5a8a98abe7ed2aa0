#include "commands/action.h"
#include "vocabulary/ascii_case.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace quillon {
namespace {

std::vector<std::string_view> split_keeping_empty(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t count_digits(std::string_view text, std::size_t from) {
  std::size_t n = 0;
  while (from + n < text.size() && is_digit(text[from + n])) ++n;
  return n;
}

// Length of the longest leading decimal number of `text`, 0 when there is none.
std::size_t leading_number_length(std::string_view text) {
  std::size_t at = (!text.empty() && text[0] == '-') ? 1 : 0;
  const std::size_t integer_digits = count_digits(text, at);
  at += integer_digits;
  std::size_t fraction_digits = 0;
  if (at < text.size() && text[at] == '.') {
    fraction_digits = count_digits(text, at + 1);
    if (integer_digits + fraction_digits > 0) at += 1 + fraction_digits;
  }
  if (integer_digits + fraction_digits == 0) return 0;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    std::size_t exponent = at + 1;
    if (exponent < text.size() && (text[exponent] == '-' || text[exponent] == '+')) ++exponent;
    const std::size_t exponent_digits = count_digits(text, exponent);
    if (exponent_digits > 0) at = exponent + exponent_digits;
  }
  return at;
}

ElementTarget resolve(std::string_view name) {
  if (auto vk = key_code(name)) return KeyTarget{*vk};
  if (auto mouse = mouse_action(name)) return *mouse;
  return std::monostate{};
}

Element read_element(std::string_view text) {
  Element element;
  const std::size_t bang = text.find('!');
  element.name = std::string(text.substr(0, bang));
  element.target = resolve(element.name);
  if (bang != std::string_view::npos) {
    element.hold_seconds = read_hold_milliseconds(text.substr(bang + 1)) / 1000.0;
  }
  return element;
}

KeyPlan read_key_plan(std::string_view action) {
  std::string compact;
  compact.reserve(action.size());
  for (char c : action) {
    if (c != ' ') compact.push_back(c);
  }
  KeyPlan plan;
  if (compact.empty()) return plan;
  for (std::string_view step_text : split_keeping_empty(compact, '*')) {
    Step step;
    for (std::string_view element_text : split_keeping_empty(step_text, '+')) {
      step.elements.push_back(read_element(element_text));
    }
    plan.steps.push_back(std::move(step));
  }
  plan.pause_after_steps = plan.steps.size() >= 2;
  return plan;
}

CommandPlan read_command_plan(std::string_view action, const std::string& lower) {
  CommandPlan plan;
  const std::size_t open = action.find('[');
  const std::size_t close = action.find(']');
  if (open != std::string_view::npos && close != std::string_view::npos && open < close) {
    plan.bracket_text = std::string(action.substr(open + 1, close - open - 1));
    // Blanks mean nothing between key steps, so neither before the first.
    std::string_view after = action.substr(close + 1);
    after.remove_prefix(std::min(after.find_first_not_of(' '), after.size()));
    if (after.starts_with('*')) {
      plan.then = read_key_plan(after.substr(1));
      plan.then.pause_after_steps = true;
    }
  }
  plan.open_ie = lower.find("openie") != std::string::npos;
  plan.open_file = lower.find("openfile") != std::string::npos;
  plan.open_program = lower.find("openprogram") != std::string::npos;
  plan.write = lower.find("write") != std::string::npos;
  return plan;
}

}  // namespace

double read_hold_milliseconds(std::string_view hold_text) {
  const std::size_t length = leading_number_length(hold_text);
  if (length == 0) return 0.0;
  double value = 0.0;
  const auto result = std::from_chars(hold_text.data(), hold_text.data() + length, value);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value untouched here; tell overflow from underflow.
    const bool negative = hold_text[0] == '-';
    const std::size_t e = hold_text.substr(0, length).find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < length && hold_text[e + 1] == '-';
    if (tiny) return 0.0;
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
  return value;
}

ActionPlan read_action(std::string_view action) {
  const std::string lower = ascii_lower(action);
  if (lower.find("open") != std::string::npos || lower.find("write") != std::string::npos) {
    return read_command_plan(action, lower);
  }
  return read_key_plan(action);
}

}  // namespace quillon
