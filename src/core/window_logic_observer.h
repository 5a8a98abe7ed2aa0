#pragma once

#include <string>
#include <vector>

namespace quillon {

// Those who follow the window logic from outside the window (the tray, the
// on-screen echo, the vocabulary that follows the focus). Called on the GUI
// thread, after the change.
class WindowLogicObserver {
 public:
  virtual ~WindowLogicObserver() = default;
  virtual void voice_commands_changed(bool running) = 0;
  virtual void test_mode_changed(bool testing) = 0;
  virtual void games_changed(const std::vector<std::string>& games, const std::string& current) = 0;
  virtual void game_chosen(const std::string& game) = 0;
  // A phrase heard and the action string about to run for it (empty in test mode).
  virtual void heard(const std::string& phrase, const std::string& action) = 0;
  // Around each recognition's run; runs may nest.
  virtual void action_started() = 0;
  virtual void action_finished() = 0;
};

}  // namespace quillon
