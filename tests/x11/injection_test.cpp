// What the real executor, XTest injector and Qt waiter put into the X server,
// as an independent XInput2 raw-event recorder sees it.

#include <gtest/gtest.h>

#include <QTimer>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "commands/action.h"
#include "commands/executor.h"
#include "input/desktop.h"
#include "input/injector_x11.h"
#include "input/messages_qt.h"
#include "input/waiter_qt.h"
#include "support/raw_recorder.h"
#include "support/x_probe.h"
#include "x11/x11_environment.h"

namespace quillon::testing {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

class InjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder_ = std::make_unique<RawEventRecorder>(test_display());
    ASSERT_TRUE(recorder_->ok());
    desktop_ = make_desktop_adapters();
    ASSERT_TRUE(desktop_.input);
    executor_ = std::make_unique<Executor>(Platform{*desktop_.input, *desktop_.shell, *desktop_.browsers,
                                                    *desktop_.processes, *desktop_.clipboard, messages_, waiter_});
    ASSERT_TRUE(probe_.ok());
  }

  // Runs `action` and returns the events that reached the server, waiting for
  // `expected` of them (and a little longer, for any extra ones).
  std::vector<RawEvent> run(const std::string& action, std::size_t expected) {
    recorder_->clear();
    executor_->run(read_action(action));
    return recorder_->wait_for(expected, 3s);
  }

  std::unique_ptr<RawEventRecorder> recorder_;
  DesktopAdapters desktop_;
  QtWaiter waiter_;
  QtMessages messages_;
  std::unique_ptr<Executor> executor_;
  XProbe probe_{test_display()};
};

struct KeyRow {
  std::string name;
  std::string keysym;
};

// Every key name, with the keysym that must arrive for it.
std::vector<KeyRow> key_rows() {
  std::vector<KeyRow> rows;
  for (char c = '0'; c <= '9'; ++c) rows.push_back({std::string(1, c), std::string(1, c)});
  // Letters written upper case must still come without Shift, as the lower-case keysym.
  for (char c = 'A'; c <= 'Z'; ++c)
    rows.push_back({std::string(1, c), std::string(1, static_cast<char>(c - 'A' + 'a'))});
  for (int n = 1; n <= 12; ++n) rows.push_back({"f" + std::to_string(n), "F" + std::to_string(n)});
  rows.insert(rows.end(), {
                              {"ctrl", "Control_L"},
                              {"alt", "Alt_L"},
                              {"shift", "Shift_L"},
                              {"backspace", "BackSpace"},
                              {"space", "space"},
                              {"tab", "Tab"},
                              {"capslock", "Caps_Lock"},
                              {"insert", "Insert"},
                              {"pageup", "Prior"},
                              {"pagedown", "Next"},
                              {"up", "Up"},
                              {"down", "Down"},
                              {"left", "Left"},
                              {"right", "Right"},
                              {"esc", "Escape"},
                              {"printscreen", "Print"},
                              {"delete", "Delete"},
                              {"home", "Home"},
                              {"end", "End"},
                              {"enter", "Return"},
                              {"scrolllock", "Scroll_Lock"},
                              {"pause", "Pause"},
                              {"numlock", "Num_Lock"},
                              {".", "period"},
                              {",", "comma"},
                              {";", "semicolon"},
                              {"'", "apostrophe"},
                              {"/", "slash"},
                              {"\\", "backslash"},
                              {"=", "equal"},
                              {"-", "minus"},
                              {"lwindows", "Super_L"},
                              {"rwindows", "Super_R"},
                              {"popmenu", "Menu"},
                              {"add", "KP_Add"},
                              {"sub", "KP_Subtract"},
                              {"mul", "KP_Multiply"},
                              {"div", "KP_Divide"},
                          });
  return rows;
}

TEST_F(InjectionTest, EveryKeyNameReachesTheServerAsItsKeysym) {
  ASSERT_EQ(key_rows().size(), 86u);
  recorder_->clear();
  Strings expected;
  for (const KeyRow& row : key_rows()) {
    executor_->run(read_action(row.name));
    expected.push_back("down " + row.keysym);
    expected.push_back("up " + row.keysym);
  }
  EXPECT_EQ(texts(recorder_->wait_for(expected.size(), 5s)), expected);
  // Put the lock keys back as they were.
  for (const char* lock : {"capslock", "numlock", "scrolllock"}) executor_->run(read_action(lock));
  recorder_->wait_for(expected.size() + 6, 2s);
}

struct SequenceRow {
  const char* action;
  Strings expected;
};

TEST_F(InjectionTest, ChordsClicksAndStepsArriveInWrittenOrder) {
  const SequenceRow rows[] = {
      {"Ctrl+V", {"down Control_L", "down v", "up Control_L", "up v"}},
      {"Shift+Alt+F4", {"down Shift_L", "down Alt_L", "down F4", "up Shift_L", "up Alt_L", "up F4"}},
      {"Ctrl+MLBC", {"down Control_L", "button down 1", "button up 1", "up Control_L"}},
      {"MLBC", {"button down 1", "button up 1"}},
      {"MRBC", {"button down 3", "button up 3"}},
      // A double click is two clicks with nothing between them.
      {"MLBDC", {"button down 1", "button up 1", "button down 1", "button up 1"}},
      {"MRBDC", {"button down 3", "button up 3", "button down 3", "button up 3"}},
      {"3*MRBC", {"down 3", "up 3", "button down 3", "button up 3"}},
      {"Up!1+Ctrl", {"down Up", "down Control_L", "up Up", "up Control_L"}},
  };
  for (const SequenceRow& row : rows) {
    EXPECT_EQ(texts(run(row.action, row.expected.size())), row.expected) << row.action;
  }
  // Well inside any double-click time.
  const std::vector<RawEvent> double_click = run("MLBDC", 4);
  ASSERT_EQ(double_click.size(), 4u);
  EXPECT_LT(double_click[3].server_ms - double_click[0].server_ms, 50u);
}

// Relative motion must move the pointer by exactly dx, dy whatever the user's
// acceleration; a steep one makes any scaling obvious.
class MoveTest : public InjectionTest {
 protected:
  void SetUp() override {
    InjectionTest::SetUp();
    old_ = probe_.set_acceleration({10, 1, 1});
  }
  void TearDown() override { probe_.set_acceleration(old_); }
  XProbe::Acceleration old_{};
};

TEST_F(MoveTest, MovesAreExactRelativeMotion) {
  const struct {
    const char* action;
    int dx, dy;
  } rows[] = {
      {"MLeftM", -10, 0},   {"MRightM", 10, 0},   {"MUpM", 0, -10},   {"MDownM", 0, 10},
      {"MLeftBM", -100, 0}, {"MRightBM", 100, 0}, {"MUpBM", 0, -100}, {"MDownBM", 0, 100},
  };
  for (const auto& row : rows) {
    probe_.put_pointer(512, 384);
    recorder_->wait_for(1, 100ms);
    const std::vector<RawEvent> events = run(row.action, 1);
    ASSERT_EQ(events.size(), 1u) << row.action;
    EXPECT_EQ(events[0].kind, RawEvent::Kind::Motion) << row.action;
    EXPECT_EQ(events[0].raw_dx, row.dx) << row.action;
    EXPECT_EQ(events[0].raw_dy, row.dy) << row.action;
    EXPECT_EQ(events[0].dx, row.dx) << row.action << " after acceleration";
    EXPECT_EQ(events[0].dy, row.dy) << row.action << " after acceleration";
    EXPECT_EQ(probe_.pointer(), std::make_pair(512 + row.dx, 384 + row.dy)) << row.action;
  }
}

// Moves sent back to back are where velocity-based acceleration would show.
TEST_F(MoveTest, QuickSuccessiveMovesAreNotAccelerated) {
  probe_.put_pointer(300, 300);
  recorder_->wait_for(1, 100ms);
  const std::vector<RawEvent> events = run("MRightBM+MRightBM+MDownBM+MRightM+MRightM+MUpM", 6);
  ASSERT_EQ(events.size(), 6u);
  const double expected[6][2] = {{100, 0}, {100, 0}, {0, 100}, {10, 0}, {10, 0}, {0, -10}};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(events[i].raw_dx, expected[i][0]) << i;
    EXPECT_EQ(events[i].raw_dy, expected[i][1]) << i;
    EXPECT_EQ(events[i].dx, expected[i][0]) << i << " after acceleration";
    EXPECT_EQ(events[i].dy, expected[i][1]) << i << " after acceleration";
  }
  EXPECT_EQ(probe_.pointer(), std::make_pair(520, 390));
}

TEST_F(InjectionTest, HoldKeepsTheKeyDownForItsTime) {
  const std::vector<RawEvent> events = run("Up!300", 2);
  ASSERT_EQ(texts(events), (Strings{"down Up", "up Up"}));
  const unsigned long held = events[1].server_ms - events[0].server_ms;
  EXPECT_GE(held, 300u);
  EXPECT_LT(held, 600u);
}

// A further recognition that starts inside a hold runs to its end before the
// hold goes on: its keys arrive between the held key's down and up.
TEST_F(InjectionTest, RecognitionNestedInAHoldRunsInsideIt) {
  bool inner_done = false;
  QTimer::singleShot(100, [&] {
    executor_->run(read_action("Shift+A"));
    inner_done = true;
  });
  const std::vector<RawEvent> events = run("Up!400", 6);
  EXPECT_TRUE(inner_done);
  EXPECT_EQ(texts(events), (Strings{"down Up", "down Shift_L", "down a", "up Shift_L", "up a", "up Up"}));
}

// A keysym the keyboard map lacks is bound to a free keycode for as long as the
// injector lives (clients read the map late), and unbound when it goes.
TEST_F(InjectionTest, MissingKeysymIsBorrowedForTheSessionAndGivenBack) {
  const unsigned usual = probe_.keycode_of("KP_Divide");
  ASSERT_NE(usual, 0u);
  const std::vector<std::string> usual_syms = probe_.keysyms_at(usual);
  const std::vector<unsigned> bound_before = probe_.bound_keycodes();
  probe_.bind(usual, {});

  unsigned borrowed = 0;
  {
    auto injector = XTestInjector::open();
    ASSERT_TRUE(injector);
    Executor executor(Platform{*injector, *desktop_.shell, *desktop_.browsers, *desktop_.processes, *desktop_.clipboard,
                               messages_, waiter_});
    recorder_->clear();
    executor.run(read_action("Div"));
    executor.run(read_action("div"));
    const std::vector<RawEvent> events = recorder_->wait_for(4, 3s);
    EXPECT_EQ(texts(events), (Strings{"down KP_Divide", "up KP_Divide", "down KP_Divide", "up KP_Divide"}));
    ASSERT_EQ(events.size(), 4u);
    borrowed = events[0].keycode;
    EXPECT_NE(borrowed, usual);
    for (const RawEvent& event : events) EXPECT_EQ(event.keycode, borrowed);
    // Still bound after the events: a client may look the keycode up only now.
    const Strings now_bound = probe_.keysyms_at(borrowed);
    ASSERT_FALSE(now_bound.empty());
    EXPECT_EQ(now_bound.front(), "KP_Divide");
  }
  EXPECT_TRUE(probe_.keysyms_at(borrowed).empty());
  probe_.bind(usual, usual_syms);
  EXPECT_EQ(probe_.bound_keycodes(), bound_before);
}

// When a new layout takes over the borrowed keycode, the keysym gets another
// one, and the layout's own key is left alone at the end.
TEST_F(InjectionTest, BorrowedKeycodeTakenOverByANewLayoutIsLeftToIt) {
  const unsigned usual = probe_.keycode_of("KP_Divide");
  const std::vector<std::string> usual_syms = probe_.keysyms_at(usual);
  probe_.bind(usual, {});
  unsigned first = 0;
  unsigned second = 0;
  {
    auto injector = XTestInjector::open();
    ASSERT_TRUE(injector);
    Executor executor(Platform{*injector, *desktop_.shell, *desktop_.browsers, *desktop_.processes, *desktop_.clipboard,
                               messages_, waiter_});
    recorder_->clear();
    executor.run(read_action("div"));
    std::vector<RawEvent> events = recorder_->wait_for(2, 3s);
    ASSERT_EQ(texts(events), (Strings{"down KP_Divide", "up KP_Divide"}));
    first = events[0].keycode;
    probe_.bind(first, {"F20"});
    recorder_->clear();
    executor.run(read_action("div"));
    events = recorder_->wait_for(2, 3s);
    ASSERT_EQ(texts(events), (Strings{"down KP_Divide", "up KP_Divide"}));
    second = events[0].keycode;
    EXPECT_NE(second, first);
  }
  const Strings left = probe_.keysyms_at(first);
  EXPECT_TRUE(!left.empty() && left.front() == "F20");
  EXPECT_TRUE(probe_.keysyms_at(second).empty());
  probe_.bind(first, {});
  probe_.bind(usual, usual_syms);
}

// The keyboard map can change under a running program (a layout switch); keys
// must follow it rather than a keycode remembered from before.
TEST_F(InjectionTest, KeysFollowAKeyboardMapChange) {
  ASSERT_EQ(texts(run("div", 2)), (Strings{"down KP_Divide", "up KP_Divide"}));
  const unsigned usual = probe_.keycode_of("KP_Divide");
  const unsigned other = probe_.keycode_of("KP_Multiply");
  const std::vector<std::string> usual_syms = probe_.keysyms_at(usual);
  const std::vector<std::string> other_syms = probe_.keysyms_at(other);
  probe_.bind(usual, other_syms);
  probe_.bind(other, usual_syms);
  const std::vector<RawEvent> events = run("div", 2);
  probe_.bind(usual, usual_syms);
  probe_.bind(other, other_syms);
  EXPECT_EQ(texts(events), (Strings{"down KP_Divide", "up KP_Divide"}));
}

// A map change in the middle of a hold must not strand the held key: it goes up
// on the keycode it went down on.
TEST_F(InjectionTest, HeldKeyGoesUpOnItsOwnKeycodeAfterAMapChange) {
  const unsigned usual = probe_.keycode_of("KP_Divide");
  const unsigned other = probe_.keycode_of("KP_Multiply");
  const std::vector<std::string> usual_syms = probe_.keysyms_at(usual);
  const std::vector<std::string> other_syms = probe_.keysyms_at(other);
  QTimer::singleShot(100, [&] {
    probe_.bind(usual, other_syms);
    probe_.bind(other, usual_syms);
  });
  const std::vector<RawEvent> events = run("div!300", 2);
  probe_.bind(usual, usual_syms);
  probe_.bind(other, other_syms);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, RawEvent::Kind::KeyDown);
  EXPECT_EQ(events[1].kind, RawEvent::Kind::KeyUp);
  EXPECT_EQ(events[0].keycode, usual);
  EXPECT_EQ(events[1].keycode, usual);
}

}  // namespace
}  // namespace quillon::testing
