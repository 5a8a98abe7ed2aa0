// Action strings carried out against the recording fake: whole transcripts of
// events and waits, compared line by line.

#include <gtest/gtest.h>

#include "commands/action.h"
#include "commands/executor.h"
#include "support/recording_platform.h"

namespace quillon {
namespace {

using Transcript = std::vector<std::string>;

Transcript run(const std::string& action, testing::RecordingPlatform& fake) {
  Executor executor(fake.platform());
  executor.run(read_action(action));
  return fake.log;
}

Transcript run(const std::string& action) {
  testing::RecordingPlatform fake;
  return run(action, fake);
}

struct Case {
  const char* action;
  Transcript expected;
};

class KeyFamily : public ::testing::TestWithParam<Case> {};

TEST_P(KeyFamily, SendsExactlyTheseEventsAndWaits) {
  EXPECT_EQ(run(GetParam().action), GetParam().expected) << GetParam().action;
}

INSTANTIATE_TEST_SUITE_P(
    Transcripts, KeyFamily,
    ::testing::Values(
        Case{"Ctrl+V", {"down Ctrl", "down V", "up Ctrl", "up V"}},
        Case{"ctrl+v", {"down Ctrl", "down V", "up Ctrl", "up V"}},
        Case{"CTRL + V", {"down Ctrl", "down V", "up Ctrl", "up V"}},
        Case{"Alt+F*A*Enter",
             {"down Alt", "down F", "up Alt", "up F", "wait 0.5", "down A", "up A", "wait 0.5", "down Enter",
              "up Enter", "wait 0.5"}},
        Case{"3*MRBC", {"down 3", "up 3", "wait 0.5", "right click", "wait 0.5"}},
        Case{"MRBC*S", {"right click", "wait 0.5", "down S", "up S", "wait 0.5"}},
        Case{"Up!1000", {"down Up", "wait 1", "up Up"}},
        Case{"Ctrl+Up!1000", {"down Ctrl", "down Up", "up Ctrl", "wait 1", "up Up"}},
        Case{"Up!1000+Ctrl", {"down Up", "down Ctrl", "wait 1", "up Up", "up Ctrl"}},
        Case{"A!1000+B!1000", {"down A", "down B", "wait 1", "up A", "wait 1", "up B"}},
        Case{"H*", {"down H", "up H", "wait 0.5", "wait 0.5"}}, Case{"**", {"wait 0.5", "wait 0.5", "wait 0.5"}},
        Case{"Ctrl++V", {"down Ctrl", "down V", "up Ctrl", "up V"}}, Case{"!500", {"wait 0.5"}},
        Case{"A*!250*B", {"down A", "up A", "wait 0.5", "wait 0.25", "wait 0.5", "down B", "up B", "wait 0.5"}},
        Case{"Ctrl+MLBC", {"down Ctrl", "left click", "up Ctrl"}}, Case{"MLBDC", {"left click", "left click"}},
        Case{"MRBDC", {"right click", "right click"}}, Case{"MLBC!1000", {"left click", "wait 1"}},
        Case{"MUpBM*MDownBM", {"move 0 -100", "wait 0.5", "move 0 100", "wait 0.5"}},
        Case{"MLEFTM+MRIGHTM+MUPM+MDOWNM", {"move -10 0", "move 10 0", "move 0 -10", "move 0 10"}},
        Case{"MLeftBM+MRightBM", {"move -100 0", "move 100 0"}}, Case{"Page Up", {"down PageUp", "up PageUp"}},
        Case{"Print Screen", {"down PrintScreen", "up PrintScreen"}}, Case{"F 1", {"down F1", "up F1"}},
        Case{"F13+F01+Foo+MMBC", {}}, Case{"", {}}, Case{"   ", {}}, Case{"Up!abc", {"down Up", "wait 0", "up Up"}},
        Case{"Up!-5", {"down Up", "wait -0.005", "up Up"}}, Case{"Up!1e3ms", {"down Up", "wait 1", "up Up"}},
        Case{"Up!2!3", {"down Up", "wait 0.002", "up Up"}},
        Case{"Add+Sub+Mul+Div",
             {"down Add", "down Sub", "down Mul", "down Div", "up Add", "up Sub", "up Mul", "up Div"}},
        Case{"LWindows*R", {"down LWindows", "up LWindows", "wait 0.5", "down R", "up R", "wait 0.5"}}));

class CommandFamily : public ::testing::TestWithParam<Case> {};

TEST_P(CommandFamily, CarriesOutEveryKeywordInFixedOrder) {
  EXPECT_EQ(run(GetParam().action), GetParam().expected) << GetParam().action;
}

INSTANTIATE_TEST_SUITE_P(
    Transcripts, CommandFamily,
    ::testing::Values(Case{"openIE[http://example.com]", {"open http://example.com"}},
                      Case{"OpenFile[f:\\music\\a b.mp3]", {"open f:\\music\\a b.mp3"}},
                      Case{"openProgram[/bin/true --x]", {"start /bin/true --x"}},
                      Case{"Write[你好 世界]", {"clipboard 你好 世界", "down Ctrl", "down V", "up Ctrl", "up V"}},
                      Case{"Write[]", {"clipboard ", "down Ctrl", "down V", "up Ctrl", "up V"}},
                      Case{"Write[please openProgram now]",
                           {"start please openProgram now", "clipboard please openProgram now", "down Ctrl", "down V",
                            "up Ctrl", "up V"}},
                      Case{"openIE[http://write.example]",
                           {"open http://write.example", "clipboard http://write.example", "down Ctrl", "down V",
                            "up Ctrl", "up V"}},
                      Case{"Ctrl+Write[abc]", {"clipboard abc", "down Ctrl", "down V", "up Ctrl", "up V"}},
                      Case{"OpenPage[x]", {}}, Case{"Write no brackets", {}}, Case{"Write]abc[", {}},
                      Case{"Write[a[b]c]", {"clipboard a[b", "down Ctrl", "down V", "up Ctrl", "up V"}},
                      Case{"openfile[ ]", {"open  "}},
                      Case{"Write[12]*Enter",
                           {"clipboard 12", "down Ctrl", "down V", "up Ctrl", "up V", "wait 0.5", "down Enter",
                            "up Enter", "wait 0.5"}},
                      Case{"openIE[x] * Ctrl+L*",
                           {"open x", "wait 0.5", "down Ctrl", "down L", "up Ctrl", "up L", "wait 0.5", "wait 0.5"}},
                      Case{"Write[a]b*Enter", {"clipboard a", "down Ctrl", "down V", "up Ctrl", "up V"}},
                      Case{"Write[a]*", {"clipboard a", "down Ctrl", "down V", "up Ctrl", "up V"}}));

TEST(CommandFamily, OpenIeNavigatesAnOpenBrowserWindowInstead) {
  testing::RecordingPlatform fake;
  fake.browser_windows = 1;
  EXPECT_EQ(run("openIE[http://a.example]", fake), Transcript{"navigate _blank http://a.example"});
}

TEST(CommandFamily, ProgramThatCannotStartShowsMessageAndCarriesOn) {
  testing::RecordingPlatform fake;
  fake.program_starts = false;
  EXPECT_EQ(run("openProgram[write.exe]", fake),
            (Transcript{"start write.exe", "message 提示 这个路径下没有对应的程序！", "clipboard write.exe",
                        "down Ctrl", "down V", "up Ctrl", "up V"}));
}

TEST(CommandFamily, WriteSkipsThePasteWhenTheClipboardIsHeldElsewhere) {
  testing::RecordingPlatform fake;
  fake.clipboard_works = false;
  EXPECT_EQ(run("Write[abc]", fake), Transcript{});
}

TEST(Quitting, DuringAHoldReleasesEveryPressedKeyWithoutFurtherSteps) {
  testing::RecordingPlatform fake;
  fake.during_wait = [&](double) { fake.quit_requested = true; };
  EXPECT_EQ(run("Ctrl+Alt!5000+Up!1000*B", fake),
            (Transcript{"down Ctrl", "down Alt", "down Up", "up Ctrl", "wait 5", "up Alt", "up Up"}));
}

TEST(Quitting, DuringAStepPauseStartsNoFurtherStep) {
  testing::RecordingPlatform fake;
  fake.during_wait = [&](double) { fake.quit_requested = true; };
  EXPECT_EQ(run("A*B", fake), (Transcript{"down A", "up A", "wait 0.5"}));
}

TEST(Quitting, AfterACommandStartsNoKeyStep) {
  testing::RecordingPlatform fake;
  fake.during_wait = [&](double) { fake.quit_requested = true; };
  EXPECT_EQ(run("Write[12]*Enter", fake),
            (Transcript{"clipboard 12", "down Ctrl", "down V", "up Ctrl", "up V", "wait 0.5"}));
}

TEST(Quitting, BeforeARunSendsNothing) {
  for (const char* action : {"A*B", "openProgram[x]", "Write[x]", "openIE[x]"}) {
    testing::RecordingPlatform fake;
    fake.quit_requested = true;
    EXPECT_EQ(run(action, fake), Transcript{}) << action;
  }
}

TEST(Quitting, DuringTheNoProgramMessagePastesNothing) {
  testing::RecordingPlatform fake;
  fake.program_starts = false;
  fake.during_message = [&] { fake.quit_requested = true; };
  EXPECT_EQ(run("openProgram[write.exe]", fake),
            (Transcript{"start write.exe", "message 提示 这个路径下没有对应的程序！"}));
}

}  // namespace
}  // namespace quillon
