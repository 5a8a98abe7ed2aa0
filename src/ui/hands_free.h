#pragma once

// The hands-free parts put together: the push-to-talk key, the vocabulary that
// follows the focused window, the on-screen echo and the tray icon. The window
// and its logic reach them through the calls below and the hooks they give;
// everything runs on the GUI thread except decoding(), which the engines' audio
// thread asks.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "commands/hotkey.h"
#include "core/push_to_talk.h"
#include "core/settings.h"
#include "core/window_follower.h"
#include "core/window_logic_observer.h"
#include "input/desktop_windows.h"
#include "input/hotkey_watcher.h"
#include "ui/on_screen_echo.h"
#include "ui/tray_icon.h"

namespace quillon {

struct HandsFreeHooks {
  // As the start/stop button of the voice commands.
  std::function<void()> toggle_voice_commands;
  // Uses `game`'s vocabulary while the voice commands run, without message
  // boxes; false when it could not (the next focus on its window tries again).
  std::function<bool(const std::string& game)> use_game;
  // As a click on `game` in the game list.
  std::function<void(const std::string& game)> choose_game;
  std::function<void()> show_window;
  std::function<void()> quit;
  // As the start/stop button, for the push-to-talk key in toggle mode: the
  // game has the screen, so a refusal must not open a message box over it.
  std::function<void()> toggle_by_key;
};

// The platform's watchers; either may be null where the desktop has none.
struct HandsFreeWatchers {
  std::unique_ptr<HotkeyWatcher> hotkey;
  std::unique_ptr<FocusWatcher> focus;
};

class HandsFree : public WindowLogicObserver {
 public:
  // `clock`: seconds on a steady clock, callable from any thread; the real one when empty.
  HandsFree(HandsFreeWatchers watchers, HandsFreeHooks hooks, PushToTalk::Clock clock = {},
            int echo_ms = OnScreenEcho::kShownMs);

  // The settings in use, at start and after each change. Without a way to
  // watch the push-to-talk key, push-to-talk is off (never deaf for good).
  void apply(const Settings& settings);

  // Whether audio heard now is to be decoded; for the audio thread.
  bool decoding() const { return push_to_talk_.decoding(); }

  // What the window logic tells.
  void voice_commands_changed(bool running) override;
  void test_mode_changed(bool testing) override;
  void games_changed(const std::vector<std::string>& games, const std::string& current) override;
  void game_chosen(const std::string& game) override;
  void heard(const std::string& phrase, const std::string& action) override;
  void action_started() override;
  void action_finished() override;

  TrayIcon& tray() { return tray_; }
  OnScreenEcho& echo() { return echo_; }

 private:
  void watch_hotkey(const Settings& settings);
  void hotkey_changed(bool down);
  void focus_changed(const WindowInfo& window);
  void use_game(const std::string& game);
  void update_tray();

  HandsFreeWatchers watchers_;
  HandsFreeHooks hooks_;
  PushToTalk push_to_talk_;
  WindowFollower follower_;
  OnScreenEcho echo_;
  TrayIcon tray_;
  std::vector<std::string> games_;
  std::string current_game_;
  bool echo_on_ = true;
  bool running_ = false;
  bool testing_ = false;
};

}  // namespace quillon
