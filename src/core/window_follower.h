#pragma once

// The vocabulary follows the focused window: games tied to windows by their
// class or a part of their title, and when to switch to a tied game's
// vocabulary. Plain logic; the focus itself comes from a FocusWatcher.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/desktop_windows.h"

namespace quillon {

struct WindowTie {
  enum class By { window_class, title };
  std::string game;
  By by = By::window_class;
  // A class (or program) name, matched whole; or a part of the title. Both
  // compared without regard to the case of Latin letters.
  std::string pattern;

  bool operator==(const WindowTie&) const = default;
};

// "GAME=CLASS" ties by class, "GAME=title:PART" by a part of the title; the
// game ends at the first "=". Nothing when a part is empty or holds a control
// character.
std::optional<WindowTie> read_tie(std::string_view text);
std::string tie_text(const WindowTie& tie);

// The game of the first tie that fits `window`; nothing for an untied window.
// A class tie fits the window's class or its program.
std::optional<std::string> tied_game(std::span<const WindowTie> ties, const WindowInfo& window);

// Decides the switches of vocabulary as the focus moves. A switch never
// happens while an action runs: it waits until the last running action ends
// and is then made for the window focused last.
class WindowFollower {
 public:
  explicit WindowFollower(std::vector<WindowTie> ties = {});

  void set_ties(std::vector<WindowTie> ties);
  // The game whose vocabulary is in use, whoever chose it.
  void set_current_game(std::string game);

  // The focus moved to `window`. The game to switch to now, if any: the
  // window's tied game when it is not the current one and no action runs.
  // The returned game counts as the current one from then on.
  std::optional<std::string> focus_changed(const WindowInfo& window);

  // Actions may nest (a recognition inside another's wait); each start has
  // its finish.
  void action_started();
  // The switch that waited for the actions to end, if the window focused last
  // still asks for one.
  std::optional<std::string> action_finished();

 private:
  std::optional<std::string> switch_for(const WindowInfo& window);

  std::vector<WindowTie> ties_;
  std::string current_game_;
  int running_actions_ = 0;
  std::optional<WindowInfo> waiting_focus_;
};

}  // namespace quillon
