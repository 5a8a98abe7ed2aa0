// The vocabulary follows the focus: which window a tie fits, and when a switch
// is made or waits for a running action.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/window_follower.h"

namespace quillon {
namespace {

using By = WindowTie::By;

TEST(WindowTie, TheTextFormReadsBackAndRefusesEmptyParts) {
  const struct {
    const char* text;
    std::optional<WindowTie> tie;
  } cases[] = {
      {"帝国时代=age2_x1.exe", WindowTie{"帝国时代", By::window_class, "age2_x1.exe"}},
      {"Browser=title:Mozilla Firefox", WindowTie{"Browser", By::title, "Mozilla Firefox"}},
      {"A=b=c", WindowTie{"A", By::window_class, "b=c"}},
      {"A=title:x=y, z", WindowTie{"A", By::title, "x=y, z"}},
      {"A=title", WindowTie{"A", By::window_class, "title"}},
      {"A=", std::nullopt},
      {"=cls", std::nullopt},
      {"A=title:", std::nullopt},
      {"no equals", std::nullopt},
      {"A=cl\nass", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto tie = read_tie(c.text);
    EXPECT_EQ(tie, c.tie) << c.text;
    if (tie) {
      EXPECT_EQ(tie_text(*tie), c.text);
    }
  }
}

TEST(WindowTie, AClassTieFitsTheWholeClassOrProgramAndATitleTieAPartOfTheTitle) {
  const std::vector<WindowTie> ties{
      {"AoE", By::window_class, "Age2_X1.exe"},
      {"Browser", By::title, "firefox"},
      {"Chat", By::window_class, "chat"},
      {"Late", By::title, "Firefox"},  // never reached: the first fitting tie wins
  };
  const struct {
    WindowInfo window;
    std::optional<std::string> game;
  } cases[] = {
      {{"age2_x1.exe", "", "Age of Empires II"}, "AoE"},
      {{"Wine", "AGE2_X1.EXE", "x"}, "AoE"},
      {{"age2_x1", "", ""}, std::nullopt},
      {{"Navigator", "firefox-esr", "Start — Mozilla FIREFOX"}, "Browser"},
      {{"chatty", "", ""}, std::nullopt},
      {{"CHAT", "", "firefox"}, "Browser"},
      {{"xterm", "xterm", "~"}, std::nullopt},
      {{}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(tied_game(ties, c.window), c.game) << c.window.window_class;
  EXPECT_EQ(tied_game({}, {"age2_x1.exe", "", ""}), std::nullopt);
}

// Each step is a focus change to the window of `window_class` (or, with
// "start"/"finish", an action beginning or ending) and the switch it must give.
struct Step {
  const char* event;
  std::optional<std::string> switch_to;
};

TEST(WindowFollower, SwitchesForTiedWindowsOnlyAndNeverWhileAnActionRuns) {
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"tied windows switch, untied change nothing, the current game is not switched to again",
       {{"a", "A"}, {"xterm", {}}, {"a", {}}, {"b", "B"}, {"a", "A"}}},
      {"a switch during an action waits for its end", {{"start", {}}, {"a", {}}, {"finish", "A"}, {"finish", {}}}},
      {"the latest focus wins, and an untied one cancels the switch",
       {{"start", {}}, {"a", {}}, {"b", {}}, {"finish", "B"}, {"start", {}}, {"a", {}}, {"xterm", {}}, {"finish", {}}}},
      {"nested actions: the switch waits for the outermost",
       {{"start", {}}, {"start", {}}, {"a", {}}, {"finish", {}}, {"finish", "A"}}},
      {"focus back on the current game's window while waiting: nothing to do",
       {{"a", "A"}, {"start", {}}, {"b", {}}, {"a", {}}, {"finish", {}}}},
      {"a finish without a start is harmless", {{"finish", {}}, {"a", "A"}}},
  };
  for (const auto& c : cases) {
    WindowFollower follower({{"A", By::window_class, "a"}, {"B", By::window_class, "b"}});
    for (const Step& step : c.steps) {
      const std::string event = step.event;
      std::optional<std::string> got;
      if (event == "start") {
        follower.action_started();
      } else if (event == "finish") {
        got = follower.action_finished();
      } else {
        got = follower.focus_changed({event, "", "title"});
      }
      EXPECT_EQ(got, step.switch_to) << c.what << ": " << event;
    }
  }
}

TEST(WindowFollower, AGameChosenByHandIsTheCurrentOneAndTiesCanChange) {
  WindowFollower follower({{"A", By::window_class, "a"}});
  follower.set_current_game("A");
  EXPECT_EQ(follower.focus_changed({"a", "", ""}), std::nullopt);
  follower.set_current_game("Other");
  EXPECT_EQ(follower.focus_changed({"a", "", ""}), "A");
  follower.set_ties({{"C", By::title, "c"}});
  EXPECT_EQ(follower.focus_changed({"a", "", ""}), std::nullopt);
  EXPECT_EQ(follower.focus_changed({"x", "", "abc"}), "C");
}

}  // namespace
}  // namespace quillon
