// The dispatcher: look-up by "+phrase<", test mode, and runs nested inside a
// wait.

#include <gtest/gtest.h>

#include "commands/dispatcher.h"
#include "support/recording_platform.h"
#include "support/vocab_samples.h"

namespace quillon {
namespace {

using Transcript = std::vector<std::string>;

const std::string kVocab =
    testing::vocabulary(testing::entry("Ctrl+V", "城堡") + testing::entry("3", "三号部队") +
                        testing::entry("3*MRBC", "三号部队过来") + testing::entry("Up!1000", "地图上移") +
                        testing::entry("A", "攻击") + testing::entry("B", "攻击") + testing::entry("X", "Abc"));

struct Fixture {
  testing::RecordingPlatform fake;
  Executor executor{fake.platform()};
  std::vector<std::string> shown;  // in test mode
  std::string vocab = kVocab;
  bool test_mode = false;
  // "phrase → action", with how many events had been sent by then.
  std::vector<std::pair<std::string, std::size_t>> acting;
  Dispatcher dispatcher{vocab, test_mode, executor, [this](const std::string& phrase) { shown.push_back(phrase); },
                        [this](const std::string& phrase, const std::string& action) {
                          acting.emplace_back(phrase + " → " + action, fake.log.size());
                        }};
};

TEST(Dispatcher, FindsTheActionOfExactlyThePhraseHeard) {
  struct Row {
    const char* phrase;
    Transcript expected;
  };
  const Row rows[] = {
      {"城堡", {"down Ctrl", "down V", "up Ctrl", "up V"}},
      {"三号部队", {"down 3", "up 3"}},
      {"三号部队过来", {"down 3", "up 3", "wait 0.5", "right click", "wait 0.5"}},
      {"攻击", {"down A", "up A"}},
      {"部队", {}},
      {"abc", {}},
      {"", {}},
  };
  for (const Row& row : rows) {
    Fixture f;
    f.dispatcher.on_recognition(row.phrase);
    EXPECT_EQ(f.fake.log, row.expected) << row.phrase;
  }
}

// A heard expansion runs its slot entry with the number put in; a number the
// action has no key for does nothing and says so in the log.
TEST(Dispatcher, APhraseSaidWithANumberRunsItsSlotEntry) {
  const std::string vocab =
      testing::vocabulary(testing::entry("{n}*MRBC", "[1-9]号部队过来") + testing::entry("{n}", "选择[1-9]号部队") +
                          testing::entry("Ctrl+{n}", "[2-8]倍速度") + testing::entry("Write[{n}]*Enter", "第[1-99]张") +
                          testing::entry("{n}", "[1-20]号") + testing::entry("F{n}", "功能[1-12]"));
  struct Row {
    const char* phrase;
    Transcript expected;
    std::vector<std::string> acting;
    std::vector<std::string> logged;
  };
  const Row rows[] = {
      {"三号部队过来", {"down 3", "up 3", "wait 0.5", "right click", "wait 0.5"}, {"三号部队过来 → 3*MRBC"}, {}},
      {"选择十号部队", {}, {}, {}},
      {"两倍速度", {"down Ctrl", "down 2", "up Ctrl", "up 2"}, {"两倍速度 → Ctrl+2"}, {}},
      {"第十二张",
       {"clipboard 12", "down Ctrl", "down V", "up Ctrl", "up V", "wait 0.5", "down Enter", "up Enter", "wait 0.5"},
       {"第十二张 → Write[12]*Enter"},
       {}},
      {"功能十一", {"down F11", "up F11"}, {"功能十一 → F11"}, {}},
      {"十号", {}, {}, {"十号: \"{n}\" of [1-20]号 names no key for 10 (\"10\"); nothing done"}},
      {"[1-9]号部队过来", {}, {}, {}},
  };
  for (const Row& row : rows) {
    testing::RecordingPlatform fake;
    Executor executor{fake.platform()};
    const bool test_mode = false;
    std::vector<std::string> acting, logged;
    Dispatcher dispatcher{
        vocab,
        test_mode,
        executor,
        [](const std::string&) {},
        [&](const std::string& phrase, const std::string& action) { acting.push_back(phrase + " → " + action); },
        [&](const std::string& line) { logged.push_back(line); }};
    dispatcher.on_recognition(row.phrase);
    EXPECT_EQ(fake.log, row.expected) << row.phrase;
    EXPECT_EQ(acting, row.acting) << row.phrase;
    EXPECT_EQ(logged, row.logged) << row.phrase;
  }
}

TEST(Dispatcher, TestModeOnlyShowsThePhrase) {
  Fixture f;
  f.test_mode = true;
  f.dispatcher.on_recognition("城堡");
  f.dispatcher.on_recognition("没有这个词");
  EXPECT_EQ(f.shown, (std::vector<std::string>{"城堡", "没有这个词"}));
  EXPECT_TRUE(f.fake.log.empty());
  EXPECT_TRUE(f.acting.empty());
}

// The on-screen echo is told what runs before the first key, and only for a phrase that has an action.
TEST(Dispatcher, TellsTheActionBeforeItsFirstEvent) {
  Fixture f;
  f.dispatcher.on_recognition("部队");
  f.dispatcher.on_recognition("城堡");
  f.dispatcher.on_recognition("攻击");
  using Told = std::vector<std::pair<std::string, std::size_t>>;
  EXPECT_EQ(f.acting, (Told{{"城堡 → Ctrl+V", 0}, {"攻击 → A", 4}}));
  EXPECT_TRUE(f.shown.empty());
}

TEST(Dispatcher, NestedRecognitionRunsToItsEndInsideTheOuterHold) {
  Fixture f;
  bool nested = false;
  f.fake.during_wait = [&](double) {
    if (nested) return;
    nested = true;
    f.dispatcher.on_recognition("城堡");
  };
  f.dispatcher.on_recognition("地图上移");
  EXPECT_EQ(f.fake.log, (Transcript{"down Up", "wait 1", "down Ctrl", "down V", "up Ctrl", "up V", "up Up"}));
}

TEST(Dispatcher, ChangesDuringAWaitDoNotAffectTheRunUnderWay) {
  Fixture f;
  f.fake.during_wait = [&](double) {
    f.vocab.clear();
    f.test_mode = true;
  };
  f.dispatcher.on_recognition("三号部队过来");
  EXPECT_EQ(f.fake.log, (Transcript{"down 3", "up 3", "wait 0.5", "right click", "wait 0.5"}));
  EXPECT_TRUE(f.shown.empty());
}

}  // namespace
}  // namespace quillon
