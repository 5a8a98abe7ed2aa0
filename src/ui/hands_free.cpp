#include "ui/hands_free.h"

#include <QTimer>
#include <chrono>
#include <cstdio>

namespace quillon {
namespace {

double steady_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

HandsFree::HandsFree(HandsFreeWatchers watchers, HandsFreeHooks hooks, PushToTalk::Clock clock, int echo_ms)
    : watchers_(std::move(watchers)),
      hooks_(std::move(hooks)),
      push_to_talk_(clock ? std::move(clock) : PushToTalk::Clock(steady_seconds)),
      echo_(echo_ms) {
  QObject::connect(&tray_, &TrayIcon::start_stop_requested, [this] { hooks_.toggle_voice_commands(); });
  QObject::connect(&tray_, &TrayIcon::game_chosen,
                   [this](const QString& game) { hooks_.choose_game(game.toStdString()); });
  QObject::connect(&tray_, &TrayIcon::show_window_requested, [this] { hooks_.show_window(); });
  QObject::connect(&tray_, &TrayIcon::quit_requested, [this] { hooks_.quit(); });
}

void HandsFree::apply(const Settings& settings) {
  watch_hotkey(settings);
  follower_.set_ties(settings.ties);
  echo_on_ = settings.echo;
  if (!echo_on_) echo_.hide();
}

void HandsFree::watch_hotkey(const Settings& settings) {
  PushToTalkMode mode = settings.push_to_talk_mode;
  const std::optional<Hotkey> hotkey = read_hotkey(settings.push_to_talk_key);
  if (watchers_.hotkey) watchers_.hotkey->stop();
  if (mode != PushToTalkMode::off) {
    const bool watched =
        hotkey && watchers_.hotkey && watchers_.hotkey->watch(*hotkey, [this](bool down) { hotkey_changed(down); });
    if (!watched) {
      std::fprintf(stderr, "quillon: the push-to-talk key \"%s\" cannot be watched here; push-to-talk is off\n",
                   settings.push_to_talk_key.c_str());
      mode = PushToTalkMode::off;
    }
  }
  push_to_talk_.set_mode(mode);
}

void HandsFree::hotkey_changed(bool down) {
  if (!down) {
    push_to_talk_.release();
    return;
  }
  // Later, from the event loop: starting may show a message box, which must
  // not open inside the watcher's own event handling.
  if (push_to_talk_.press()) QTimer::singleShot(0, &tray_, [this] { hooks_.toggle_by_key(); });
}

void HandsFree::voice_commands_changed(bool running) {
  running_ = running;
  update_tray();
  if (!watchers_.focus) return;
  // The focus is followed only while voice commands run; starting reports the
  // window focused now.
  if (running) {
    watchers_.focus->start([this](const WindowInfo& window) { focus_changed(window); });
  } else {
    watchers_.focus->stop();
  }
}

// At once rather than later: the follower knows whether an action runs now.
void HandsFree::focus_changed(const WindowInfo& window) {
  if (const auto game = follower_.focus_changed(window)) use_game(*game);
}

void HandsFree::test_mode_changed(bool testing) {
  testing_ = testing;
  update_tray();
}

void HandsFree::games_changed(const std::vector<std::string>& games, const std::string& current) {
  games_ = games;
  game_chosen(current);
}

void HandsFree::game_chosen(const std::string& game) {
  current_game_ = game;
  follower_.set_current_game(game);
  tray_.set_games(games_, game);
}

void HandsFree::heard(const std::string& phrase, const std::string& action) {
  if (echo_on_) echo_.show_heard(phrase, action);
}

void HandsFree::action_started() { follower_.action_started(); }

void HandsFree::action_finished() {
  if (const auto game = follower_.action_finished()) use_game(*game);
}

// Says how long the switch took, so a slow one can be told from a missed one.
void HandsFree::use_game(const std::string& game) {
  const double began = steady_seconds();
  if (!hooks_.use_game(game)) {
    std::fprintf(stderr, "quillon: the vocabulary of %s cannot be used; %s's stays\n", game.c_str(),
                 current_game_.c_str());
    follower_.set_current_game(current_game_);
    return;
  }
  std::fprintf(stderr, "quillon: the vocabulary of %s in use after %.1f ms\n", game.c_str(),
               (steady_seconds() - began) * 1000.0);
  current_game_ = game;
  tray_.set_games(games_, game);
}

void HandsFree::update_tray() {
  tray_.set_state(running_ ? TrayState::voice_commands : testing_ ? TrayState::test_mode : TrayState::idle);
}

}  // namespace quillon
