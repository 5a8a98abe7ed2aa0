// Push-to-talk: which hotkeys can be named, and when audio is decoded as the
// hotkey goes down and up, on a clock the test moves.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/hotkey.h"
#include "core/push_to_talk.h"

namespace quillon {
namespace {

TEST(Hotkey, KeyNamesAndSideButtonsAreReadAndNamedBack) {
  using D = Hotkey::Device;
  const struct {
    const char* text;
    std::optional<Hotkey> hotkey;
    const char* name;
  } cases[] = {
      {"F9", Hotkey{D::keyboard, 0x78}, "F9"},
      {"capslock", Hotkey{D::keyboard, 0x14}, "CapsLock"},
      {"a", Hotkey{D::keyboard, 0x41}, "A"},
      {"MB8", Hotkey{D::mouse, 8}, "MB8"},
      {"mb9", Hotkey{D::mouse, 9}, "MB9"},
      {"MB1", std::nullopt, ""},
      {"MB10", std::nullopt, ""},
      {"MLBC", std::nullopt, ""},
      {"Ctrl+V", std::nullopt, ""},
      {"", std::nullopt, ""},
      {"F13", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    const std::optional<Hotkey> read = read_hotkey(c.text);
    EXPECT_EQ(read, c.hotkey) << c.text;
    if (read) {
      EXPECT_EQ(hotkey_name(*read), c.name) << c.text;
    }
  }
}

// Each step moves the clock to `at`, then presses (+), releases (-) or only
// looks (.); `toggles` and `decoding` are what must follow.
struct Step {
  double at;
  char event;
  bool toggles;
  bool decoding;
};

void run_steps(PushToTalkMode mode, const std::vector<Step>& steps, const char* what) {
  double now = 0;
  PushToTalk talk([&now] { return now; }, mode, 0.4);
  for (const Step& step : steps) {
    now = step.at;
    bool toggled = false;
    if (step.event == '+') toggled = talk.press();
    if (step.event == '-') talk.release();
    EXPECT_EQ(toggled, step.toggles) << what << " at " << step.at;
    EXPECT_EQ(talk.decoding(), step.decoding) << what << " at " << step.at;
  }
}

TEST(PushToTalk, HoldDecodesWhileHeldAndForTheTailAfterTheRelease) {
  run_steps(PushToTalkMode::hold,
            {
                {0.0, '.', false, false},  // nothing before the first press
                {1.0, '-', false, false},  // a release without a press opens nothing
                {2.0, '+', false, true},
                {2.1, '+', false, true},  // auto repeat
                {9.0, '.', false, true},  // held as long as it is held
                {9.5, '-', false, true},
                {9.89, '.', false, true},
                {9.9, '.', false, false},  // the tail is over
                {10.0, '+', false, true},
                {10.1, '-', false, true},
                {10.3, '+', false, true},  // a press inside the tail keeps it open past the tail
                {10.8, '.', false, true},
            },
            "hold");
}

TEST(PushToTalk, ToggleAsksForAToggleOncePerPressAndNeverClosesTheAudio) {
  run_steps(PushToTalkMode::toggle,
            {
                {0.0, '.', false, true},
                {1.0, '+', true, true},
                {1.1, '+', false, true},  // auto repeat
                {1.5, '-', false, true},
                {3.0, '-', false, true},
                {4.0, '+', true, true},
            },
            "toggle");
  run_steps(PushToTalkMode::off, {{0.0, '.', false, true}, {1.0, '+', false, true}, {2.0, '-', false, true}}, "off");
}

TEST(PushToTalk, ChangingTheModeForgetsAHeldKey) {
  double now = 0;
  PushToTalk talk([&now] { return now; }, PushToTalkMode::toggle);
  EXPECT_TRUE(talk.press());
  talk.set_mode(PushToTalkMode::hold);
  EXPECT_FALSE(talk.decoding()) << "hold starts closed";
  talk.release();
  EXPECT_FALSE(talk.decoding()) << "the release of a press made before the change opens nothing";
  talk.set_mode(PushToTalkMode::toggle);
  EXPECT_TRUE(talk.press()) << "a press after a change is a first press";
  EXPECT_EQ(talk.mode(), PushToTalkMode::toggle);
}

}  // namespace
}  // namespace quillon
