// The hands-free parts put together, with fake watchers and a clock the test
// moves: push-to-talk as set, the vocabulary following the focus only while
// voice commands run, the echo as set, the tray's menu reaching the window.

#include <gtest/gtest.h>

#include <QTest>

#include "core/texts.h"
#include "ui/hands_free.h"

namespace quillon {
namespace {

class FakeHotkeyWatcher : public HotkeyWatcher {
 public:
  bool watch(Hotkey hotkey, Changed report) override {
    if (!can_watch) return false;
    watched = hotkey;
    changed = std::move(report);
    return true;
  }
  void stop() override {
    watched.reset();
    changed = nullptr;
  }
  bool can_watch = true;
  std::optional<Hotkey> watched;
  Changed changed;
};

class FakeFocusWatcher : public FocusWatcher {
 public:
  bool start(Focused report) override {
    focused = std::move(report);
    focused(now);
    return true;
  }
  void stop() override { focused = nullptr; }
  void move_to(const WindowInfo& window) {
    now = window;
    if (focused) focused(window);
  }
  WindowInfo now;
  Focused focused;
};

struct Rig {
  explicit Rig(Settings settings = {}) {
    auto hotkey_watcher = std::make_unique<FakeHotkeyWatcher>();
    auto focus_watcher = std::make_unique<FakeFocusWatcher>();
    hotkey = hotkey_watcher.get();
    focus = focus_watcher.get();
    HandsFreeHooks hooks{[this] { log.push_back("toggle"); },
                         [this](const std::string& game) {
                           log.push_back("use " + game);
                           return game != "Broken";
                         },
                         [this](const std::string& game) { log.push_back("choose " + game); },
                         [this] { log.push_back("show"); },
                         [this] { log.push_back("quit"); },
                         [this] { log.push_back("toggle by key"); }};
    hands_free = std::make_unique<HandsFree>(
        HandsFreeWatchers{std::move(hotkey_watcher), std::move(focus_watcher)}, std::move(hooks),
        [this] { return now; }, 200);
    hands_free->apply(settings);
  }
  FakeHotkeyWatcher* hotkey;
  FakeFocusWatcher* focus;
  std::unique_ptr<HandsFree> hands_free;
  std::vector<std::string> log;
  double now = 0;
};

Settings push_to_talk(const char* key, PushToTalkMode mode) {
  Settings settings;
  settings.push_to_talk_key = key;
  settings.push_to_talk_mode = mode;
  return settings;
}

TEST(HandsFree, PushToTalkIsWatchedAsSetAndIsOffWhenTheKeyCannotBeWatched) {
  const struct {
    const char* what;
    Settings settings;
    bool can_watch;
    bool watched, decoding_before_press;
  } cases[] = {
      {"hold", push_to_talk("F9", PushToTalkMode::hold), true, true, false},
      {"off", push_to_talk("F9", PushToTalkMode::off), true, false, true},
      {"hold without a key", push_to_talk("", PushToTalkMode::hold), true, false, true},
      {"hold, key not watchable", push_to_talk("F9", PushToTalkMode::hold), false, false, true},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.hotkey->can_watch = c.can_watch;
    rig.hands_free->apply(c.settings);
    EXPECT_EQ(rig.hotkey->watched.has_value(), c.watched) << c.what;
    EXPECT_EQ(rig.hands_free->decoding(), c.decoding_before_press) << c.what;
  }
  Rig hold(push_to_talk("MB8", PushToTalkMode::hold));
  EXPECT_EQ(hold.hotkey->watched, (Hotkey{Hotkey::Device::mouse, 8}));
  hold.hotkey->changed(true);
  EXPECT_TRUE(hold.hands_free->decoding());
  hold.now = 1;
  hold.hotkey->changed(false);
  hold.now = 1.5;
  EXPECT_FALSE(hold.hands_free->decoding()) << "closed after the tail";
}

TEST(HandsFree, ToggleModeStartsAndStopsVoiceCommandsOncePerPressFromTheEventLoop) {
  Rig rig(push_to_talk("F9", PushToTalkMode::toggle));
  rig.hotkey->changed(true);
  EXPECT_TRUE(rig.log.empty()) << "not inside the watcher's handler";
  rig.hotkey->changed(true);  // auto repeat
  rig.hotkey->changed(false);
  rig.hotkey->changed(true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return rig.log.size() >= 2; }, 1000));
  EXPECT_EQ(rig.log, (std::vector<std::string>{"toggle by key", "toggle by key"}));
}

TEST(HandsFree, TheVocabularyFollowsTheFocusOnlyWhileVoiceCommandsRun) {
  Settings settings;
  settings.ties = {{"A", WindowTie::By::window_class, "a"}, {"Broken", WindowTie::By::window_class, "broken"}};
  Rig rig(settings);
  rig.hands_free->games_changed({"A", "B", "Broken"}, "B");
  rig.focus->now = {"a", "", ""};
  rig.hands_free->voice_commands_changed(true);  // the focused window counts at once
  rig.focus->move_to({"xterm", "", ""});
  rig.hands_free->action_started();
  rig.focus->move_to({"broken", "", ""});
  rig.hands_free->action_finished();
  rig.focus->move_to({"broken", "", ""});  // tried again: the first attempt failed
  rig.hands_free->voice_commands_changed(false);
  rig.focus->move_to({"a", "", ""});
  EXPECT_EQ(rig.log, (std::vector<std::string>{"use A", "use Broken", "use Broken"}));
  EXPECT_FALSE(rig.focus->focused) << "not watched while voice commands are off";
}

TEST(HandsFree, TheEchoShowsWhatWasHeardUnlessTurnedOffAndTheTrayReachesTheWindow) {
  Rig rig;
  rig.hands_free->heard("城堡", "Ctrl+V");
  EXPECT_TRUE(rig.hands_free->echo().isVisible());
  EXPECT_EQ(rig.hands_free->echo().text(), "城堡 → Ctrl+V");
  Settings quiet;
  quiet.echo = false;
  rig.hands_free->apply(quiet);
  EXPECT_FALSE(rig.hands_free->echo().isVisible());
  rig.hands_free->heard("城堡", "");
  EXPECT_FALSE(rig.hands_free->echo().isVisible());

  rig.hands_free->games_changed({"A", "B"}, "A");
  rig.hands_free->voice_commands_changed(true);
  QMenu& menu = rig.hands_free->tray().menu();
  for (QAction* action : menu.actions()) {
    if (action->menu()) {
      action->menu()->actions().at(1)->trigger();
    } else if (!action->isSeparator()) {
      action->trigger();
    }
  }
  EXPECT_EQ(rig.log, (std::vector<std::string>{"toggle", "choose B", "show", "quit"}));
  EXPECT_EQ(menu.actions().at(0)->text(), text::kTrayStop);
}

}  // namespace
}  // namespace quillon
