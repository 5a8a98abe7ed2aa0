// The hands-free adapters on the private server: the push-to-talk key is seen
// without being taken from the focused window, and the focused and open
// windows are reported as a window manager's user sees them.

#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands/hotkey.h"
#include "input/desktop_windows.h"
#include "input/hotkey_watcher.h"
#include "support/test_window.h"
#include "support/x_probe.h"
#include "x11/x11_environment.h"

namespace quillon::testing {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

struct HotkeyCase {
  const char* name;
  const char* keysym;  // empty for a mouse button
  unsigned button;
};

TEST(HotkeyWatcher, SeesTheHotkeyWhichStillReachesTheFocusedWindow) {
  XProbe probe(test_display());
  TestWindow game(test_display(), {"game", "Game", "game", 0, 0, 300, 300});
  ASSERT_TRUE(game.ok());
  game.focus();
  probe.put_pointer(50, 50);  // buttons go to the window under the pointer
  std::string log;
  const auto watcher = make_hotkey_watcher(log);
  ASSERT_TRUE(watcher) << log;
  const unsigned other = probe.keycode_of("b");
  const HotkeyCase cases[] = {
      {"F9", "F9", 0}, {"Ctrl", "Control_L", 0}, {"a", "a", 0}, {"MB8", "", 8}, {"MB9", "", 9},
  };
  Strings expected_input;
  for (const HotkeyCase& c : cases) {
    Strings seen;
    ASSERT_TRUE(watcher->watch(*read_hotkey(c.name), [&seen](bool down) { seen.push_back(down ? "down" : "up"); }));
    // Another key first: it must not count.
    probe.key(other, true);
    probe.key(other, false);
    const std::string what = *c.keysym ? std::string("key ") : std::string("button ");
    const std::string target = *c.keysym ? std::string(c.keysym) : std::to_string(c.button);
    if (*c.keysym) {
      probe.key(probe.keycode_of(c.keysym), true);
      probe.key(probe.keycode_of(c.keysym), false);
    } else {
      probe.button(c.button, true);
      probe.button(c.button, false);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 2; }, 3000)) << c.name;
    EXPECT_EQ(seen, (Strings{"down", "up"})) << c.name;
    expected_input.insert(expected_input.end(),
                          {"key down b", "key up b", what + "down " + target, what + "up " + target});
  }
  EXPECT_EQ(game.wait_for_input(expected_input.size(), 3s), expected_input);
}

TEST(HotkeyWatcher, FollowsAKeyboardMapChangeAndANewWatchReplacesTheOld) {
  XProbe probe(test_display());
  std::string log;
  const auto watcher = make_hotkey_watcher(log);
  ASSERT_TRUE(watcher) << log;
  Strings seen;
  const auto record = [&seen](const char* key) {
    return [&seen, key](bool down) { seen.push_back(std::string(key) + (down ? " down" : " up")); };
  };
  ASSERT_TRUE(watcher->watch(*read_hotkey("F9"), record("F9")));
  // A second key that also says F9, bound after the watch began.
  const std::vector<unsigned> bound = probe.bound_keycodes();
  unsigned spare = 255;
  while (std::find(bound.begin(), bound.end(), spare) != bound.end()) --spare;
  probe.bind(spare, {"F9"});
  probe.key(spare, true);
  probe.key(spare, false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 2; }, 3000));
  probe.bind(spare, {});

  watcher->stop();
  ASSERT_TRUE(watcher->watch(*read_hotkey("F10"), record("F10")));
  // One connection keeps the server's order: F9 would come before F10.
  for (const char* key : {"F9", "F10"}) {
    probe.key(probe.keycode_of(key), true);
    probe.key(probe.keycode_of(key), false);
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 4; }, 3000));
  EXPECT_EQ(seen, (Strings{"F9 down", "F9 up", "F10 down", "F10 up"}));
}

class FocusWatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string log;
    watcher_ = make_focus_watcher(log);
    ASSERT_TRUE(watcher_) << log;
    ASSERT_TRUE(alpha_.ok() && beta_.ok());
  }
  void TearDown() override { probe_.set_active_window(0); }

  void start() {
    ASSERT_TRUE(watcher_->start([this](const WindowInfo& window) {
      reports_.push_back(window);
      reported_at_ = Clock::now();
    }));
    ASSERT_FALSE(reports_.empty()) << "the focus at the start is reported";
  }

  // Waits for the report of a window of class `window_class` (empty: no window).
  bool wait_for(const std::string& window_class, const std::string& title = "") {
    return QTest::qWaitFor(
        [&] {
          return !reports_.empty() && reports_.back().window_class == window_class &&
                 (title.empty() || reports_.back().title == title);
        },
        3000);
  }

  XProbe probe_{test_display()};
  TestWindow alpha_{test_display(), {"alpha-game", "Alpha", "Alpha window", 0, 0, 200, 150}};
  TestWindow beta_{test_display(), {"beta-game", "Beta", "Beta 窗口", 300, 0, 200, 150}};
  std::unique_ptr<FocusWatcher> watcher_;
  std::vector<WindowInfo> reports_;
  Clock::time_point reported_at_;
};

TEST_F(FocusWatcherTest, ReportsEachFocusedWindowAndTheFocusedWindowsTitle) {
  start();
  ASSERT_TRUE(xdotool({"windowfocus", std::to_string(alpha_.id())}));
  ASSERT_TRUE(wait_for("Alpha"));
  EXPECT_EQ(reports_.back(), (WindowInfo{"Alpha", "alpha-game", "Alpha window"}));
  ASSERT_TRUE(xdotool({"windowfocus", std::to_string(beta_.id())}));
  ASSERT_TRUE(wait_for("Beta"));
  EXPECT_EQ(reports_.back(), (WindowInfo{"Beta", "beta-game", "Beta 窗口"}));

  // A title change counts for the focused window only.
  reports_.clear();
  alpha_.set_title("Alpha renamed");
  beta_.set_title("Beta renamed");
  ASSERT_TRUE(wait_for("Beta", "Beta renamed"));
  EXPECT_EQ(reports_.size(), 1u);

  {
    // A window made after the start is followed too; when it goes, the focus
    // falls back on the bare desktop.
    TestWindow gamma(test_display(), {"gamma", "Gamma", "Gamma", 0, 200, 100, 100});
    ASSERT_TRUE(xdotool({"windowfocus", std::to_string(gamma.id())}));
    ASSERT_TRUE(wait_for("Gamma"));
  }
  ASSERT_TRUE(wait_for(""));
  EXPECT_EQ(reports_.back(), WindowInfo{});
}

TEST_F(FocusWatcherTest, AWindowManagersActiveWindowIsFollowed) {
  beta_.focus();
  start();
  ASSERT_TRUE(wait_for("Beta"));
  probe_.set_active_window(alpha_.id());
  ASSERT_TRUE(wait_for("Alpha")) << "the window manager's choice wins over the input focus";
  probe_.set_active_window(0);
  ASSERT_TRUE(wait_for("Beta"));
}

// Every focus change is reported, in order; how long that took, from the
// request that moves the focus to the call on the GUI thread, is printed.
TEST_F(FocusWatcherTest, EveryFocusChangeIsReported) {
  start();
  std::vector<double> delays;
  for (int i = 0; i < 40; ++i) {
    TestWindow& next = i % 2 ? alpha_ : beta_;
    const auto before = Clock::now();
    next.focus();
    ASSERT_TRUE(wait_for(i % 2 ? "Alpha" : "Beta"));
    delays.push_back(std::chrono::duration<double, std::milli>(reported_at_ - before).count());
  }
  std::sort(delays.begin(), delays.end());
  const double median = delays[delays.size() / 2];
  std::printf("focus change reported after %.2f ms (median of %zu), %.2f ms at most\n", median, delays.size(),
              delays.back());
  RecordProperty("focus_report_median_ms", std::to_string(median));
  RecordProperty("focus_report_max_ms", std::to_string(delays.back()));
}

TEST(WindowList, ListsTheWindowsOnTheScreenWithClassProgramAndTitle) {
  TestWindow shown(test_display(), {"shown-game", "Shown", "可见", 0, 0, 100, 100});
  TestWindow hidden(test_display(), {"hidden", "Hidden", "hidden", 0, 0, 100, 100});
  TestWindow menu(test_display(), {"menu", "Menu", "menu", 0, 0, 100, 100, true});
  hidden.hide();
  const std::vector<WindowInfo> windows = make_window_list()->windows();
  const auto has = [&](const std::string& window_class) {
    return std::any_of(windows.begin(), windows.end(),
                       [&](const WindowInfo& w) { return w.window_class == window_class; });
  };
  EXPECT_TRUE(std::find(windows.begin(), windows.end(), WindowInfo{"Shown", "shown-game", "可见"}) != windows.end());
  EXPECT_FALSE(has("Hidden"));
  EXPECT_FALSE(has("Menu")) << "menus and tooltips are no windows to tie";
}

}  // namespace
}  // namespace quillon::testing
