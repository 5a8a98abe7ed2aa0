// Hands-free play through the whole program on the private server: with
// push-to-talk only what is said while the key is held acts, and the key
// still reaches the game; the vocabulary follows the focused game's window.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "speech/wav_reader.h"
#include "spotter/model_location.h"
#include "support/raw_recorder.h"
#include "support/test_window.h"
#include "support/wav_file.h"
#include "support/x_probe.h"
#include "vocabulary/builtin_vocab.h"
#include "x11/quillon_process.h"
#include "x11/x11_environment.h"

namespace quillon::testing {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

// Words said on their own: 上海 and 中国, by one speaker.
constexpr const char* kShanghai = "dsp20__s03__5.wav";
constexpr const char* kZhongguo = "dsp20__s03__2.wav";

// Two words said alone with quiet between, and where the second lies.
struct TwoWords {
  QString path;
  double second_begins = 0;  // seconds from the start of the file
  double second_ends = 0;
};

TwoWords two_words(const QTemporaryDir& dir, const char* first, const char* second, double gap) {
  const auto read = [](const char* file) { return read_wav_16k_mono(command_recordings_folder() + "/" + file); };
  const WavAudio a = read(first), b = read(second);
  EXPECT_TRUE(a.ok && b.ok) << a.error << b.error;
  std::vector<float> all = a.samples;
  all.resize(all.size() + static_cast<std::size_t>(gap * 16000), 0.0f);
  const double begins = static_cast<double>(all.size()) / 16000;
  all.insert(all.end(), b.samples.begin(), b.samples.end());
  const double ends = static_cast<double>(all.size()) / 16000;
  all.resize(all.size() + 16000 * 3 / 2, 0.0f);
  const QString path = dir.filePath("said.wav");
  EXPECT_TRUE(write_wav(path.toStdString(), all));
  return {path, begins, ends};
}

QStringList listening_to(const QTemporaryDir& folder, const TwoWords& audio, const char* game) {
  return {"--no-intro",
          "--program-folder",
          folder.path(),
          "--model-dir",
          QString::fromStdString(models_folder()),
          "--game",
          game,
          "--listen",
          "--audio-file",
          audio.path,
          "--exit-after-audio"};
}

void wait_until(Clock::time_point when) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now());
  if (left.count() > 0) QTest::qWait(static_cast<int>(left.count()));
}

Strings without(const Strings& events, const std::string& keysym) {
  Strings out;
  for (const std::string& e : events) {
    if (!e.ends_with(" " + keysym)) out.push_back(e);
  }
  return out;
}

TEST(HandsFreeEndToEnd, WithPushToTalkOnlyWhatIsSaidWhileTheKeyIsHeldActs) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const struct {
    const char* name;
    QStringList options;
    bool hold_during_second;
    Strings keys;
  } rows[] = {
      {"without push-to-talk", {}, false, {"down a", "up a", "down c", "up c"}},
      {"F9 held during the second word",
       {"--push-to-talk", "F9", "--push-to-talk-mode", "hold"},
       true,
       {"down c", "up c"}},
  };
  for (const auto& row : rows) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    write_game(folder.path(), "录音", {{"上海", "A"}, {"中国", "C"}});
    const TwoWords audio = two_words(folder, kShanghai, kZhongguo, 4.0);
    XProbe probe(test_display());
    TestWindow game(test_display(), {"game", "Game", "game", 0, 0, 300, 300});
    ASSERT_TRUE(game.ok());
    game.focus();
    RawEventRecorder recorder(test_display());
    ASSERT_TRUE(recorder.ok());

    QuillonProcess run(listening_to(folder, audio, "录音") + row.options);
    ASSERT_TRUE(run.wait_for_log("listening to", 20s)) << run.log();
    const auto start = Clock::now();
    const auto at = [&](double seconds) { return start + std::chrono::milliseconds(static_cast<int>(seconds * 1000)); };
    if (row.hold_during_second) {
      // Pressed well before the word, long after the first was decided (a busy machine
      // decodes late, and the key counts when a chunk is decoded), and let go as it ends.
      wait_until(at(audio.second_begins - 1.5));
      probe.key(probe.keycode_of("F9"), true);
      wait_until(at(audio.second_ends));
      probe.key(probe.keycode_of("F9"), false);
    }
    ASSERT_TRUE(run.process().waitForFinished(20000)) << row.name;
    EXPECT_EQ(run.process().exitCode(), 0) << row.name << run.log();
    const Strings keys = without_motion(recorder.wait_for(row.keys.size() + (row.hold_during_second ? 2 : 0), 2s));
    EXPECT_EQ(without(keys, "F9"), row.keys) << row.name << "\n" << run.log();
    if (row.hold_during_second) {
      const Strings reached = game.wait_for_input(4, 2s);
      EXPECT_NE(std::find(reached.begin(), reached.end(), "key down F9"), reached.end()) << "the game gets its key";
      EXPECT_NE(std::find(reached.begin(), reached.end(), "key up F9"), reached.end());
    }
  }
}

// Two shipped games, each given 上海 with keys of its own and tied to a window
// class: the same word gives the keys of the game whose window has the focus.
TEST(HandsFreeEndToEnd, TheVocabularyFollowsTheFocusedGamesWindow) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  ASSERT_TRUE(write_missing_builtin_vocabularies(folder.path().toStdString()).empty());
  write_game(folder.path(), "帝国时代2", {{"上海", "A"}});
  write_game(folder.path(), "Windows", {{"上海", "B"}});
  const TwoWords audio = two_words(folder, kShanghai, kShanghai, 4.0);
  TestWindow alpha(test_display(), {"alpha", "Alpha", "Alpha game", 0, 0, 200, 150});
  TestWindow beta(test_display(), {"beta", "Beta", "Beta game", 300, 0, 200, 150});
  ASSERT_TRUE(alpha.ok() && beta.ok());
  ASSERT_TRUE(xdotool({"windowfocus", std::to_string(alpha.id())}));
  RawEventRecorder recorder(test_display());
  ASSERT_TRUE(recorder.ok());

  QuillonProcess run(listening_to(folder, audio, "帝国时代2") +
                     QStringList{"--tie", "帝国时代2=Alpha", "--tie", "Windows=title:beta"});
  ASSERT_TRUE(run.wait_for_log("listening to", 20s)) << run.log();
  EXPECT_EQ(without_motion(recorder.wait_for(2, 8s)), (Strings{"down a", "up a"})) << run.log();
  ASSERT_TRUE(xdotool({"windowfocus", std::to_string(beta.id())}));
  ASSERT_TRUE(run.wait_for_log("the vocabulary of Windows in use", 5s)) << run.log();
  ASSERT_TRUE(run.process().waitForFinished(20000));
  EXPECT_EQ(without_motion(recorder.wait_for(4, 2s)), (Strings{"down a", "up a", "down b", "up b"})) << run.log();

  std::smatch took;
  const std::string log = run.log();
  ASSERT_TRUE(std::regex_search(log, took, std::regex("vocabulary of Windows in use after ([0-9.]+) ms"))) << log;
  std::printf("focus to a 32-phrase vocabulary in use: %s ms\n", took[1].str().c_str());
  RecordProperty("vocabulary_switch_ms", took[1].str());
}

}  // namespace
}  // namespace quillon::testing
