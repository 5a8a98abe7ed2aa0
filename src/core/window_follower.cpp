#include "core/window_follower.h"

#include <algorithm>
#include <utility>

#include "vocabulary/ascii_case.h"

namespace quillon {
namespace {

constexpr std::string_view kTitlePrefix = "title:";

bool has_control(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

bool fits(const WindowTie& tie, const WindowInfo& window) {
  const std::string pattern = ascii_lower(tie.pattern);
  if (tie.by == WindowTie::By::title) return ascii_lower(window.title).find(pattern) != std::string::npos;
  return pattern == ascii_lower(window.window_class) || pattern == ascii_lower(window.program);
}

}  // namespace

std::optional<WindowTie> read_tie(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos || has_control(text)) return std::nullopt;
  WindowTie tie{std::string(text.substr(0, equals)), WindowTie::By::window_class, std::string(text.substr(equals + 1))};
  if (tie.pattern.starts_with(kTitlePrefix)) {
    tie.by = WindowTie::By::title;
    tie.pattern.erase(0, kTitlePrefix.size());
  }
  if (tie.game.empty() || tie.pattern.empty()) return std::nullopt;
  return tie;
}

std::string tie_text(const WindowTie& tie) {
  return tie.game + "=" + (tie.by == WindowTie::By::title ? std::string(kTitlePrefix) : "") + tie.pattern;
}

std::optional<std::string> tied_game(std::span<const WindowTie> ties, const WindowInfo& window) {
  for (const WindowTie& tie : ties) {
    if (fits(tie, window)) return tie.game;
  }
  return std::nullopt;
}

WindowFollower::WindowFollower(std::vector<WindowTie> ties) : ties_(std::move(ties)) {}

void WindowFollower::set_ties(std::vector<WindowTie> ties) { ties_ = std::move(ties); }

void WindowFollower::set_current_game(std::string game) { current_game_ = std::move(game); }

std::optional<std::string> WindowFollower::focus_changed(const WindowInfo& window) {
  if (running_actions_ > 0) {
    waiting_focus_ = window;
    return std::nullopt;
  }
  return switch_for(window);
}

void WindowFollower::action_started() { ++running_actions_; }

std::optional<std::string> WindowFollower::action_finished() {
  if (running_actions_ > 0) --running_actions_;
  if (running_actions_ > 0 || !waiting_focus_) return std::nullopt;
  const WindowInfo window = *std::exchange(waiting_focus_, std::nullopt);
  return switch_for(window);
}

std::optional<std::string> WindowFollower::switch_for(const WindowInfo& window) {
  std::optional<std::string> game = tied_game(ties_, window);
  if (!game || *game == current_game_) return std::nullopt;
  current_game_ = *game;
  return game;
}

}  // namespace quillon
