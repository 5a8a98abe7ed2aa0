// Quillon as a separate process: `--do` on the private server (pasting into
// another program, quitting in the middle of a hold), a run without a display,
// and a recording that cannot be used.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "spotter/model_location.h"
#include "support/raw_recorder.h"
#include "support/wav_file.h"
#include "support/x_probe.h"
#include "x11/quillon_process.h"
#include "x11/x11_environment.h"

namespace quillon::testing {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// Reads lines from `process` until one starts with `prefix`; returns its rest.
std::string read_line_starting(QProcess& process, const std::string& prefix, int timeout_ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < timeout_ms) {
    while (process.canReadLine()) {
      const std::string line = process.readLine().trimmed().toStdString();
      if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    }
    process.waitForReadyRead(100);
  }
  return "<timed out>";
}

TEST(QuillonProcessTest, WritePastesChineseTextIntoAnotherProgram) {
  const char* target_path = std::getenv("QUILLON_PASTE_TARGET");

  // The line edit fills the screen; the pointer over it keeps the focus there.
  XProbe probe(test_display());
  probe.put_pointer(512, 384);
  QProcess target;
  target.start(QString::fromLocal8Bit(target_path ? target_path : QUILLON_DEFAULT_PASTE_TARGET), {});
  ASSERT_TRUE(target.waitForStarted(5000));
  ASSERT_EQ(read_line_starting(target, "ready", 10000), "");

  QProcess run;
  run.start(quillon_binary(), {"--do", "Write[你好，世界]"});
  ASSERT_TRUE(run.waitForFinished(10000));
  EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

  target.write("quit\n");
  EXPECT_EQ(read_line_starting(target, "text:", 5000), "你好，世界");
  target.waitForFinished(5000);
}

// With nobody to read the clipboard, the process gives up after 2 s, still
// successfully: the text stays on offer only while the process lives.
TEST(QuillonProcessTest, WriteWithoutAReaderEndsAfterTwoSeconds) {
  QElapsedTimer timer;
  timer.start();
  QProcess run;
  run.start(quillon_binary(), {"--do", "Write[x]"});
  ASSERT_TRUE(run.waitForFinished(10000));
  EXPECT_GE(timer.elapsed(), 2000);
  EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(run.exitCode(), 0);
}

struct QuitRow {
  const char* action;
  std::size_t events_before_quit;
  Strings expected;
};

// SIGTERM during a hold ends the wait at once; every key the run pressed still
// goes up, and the process is gone promptly.
TEST(QuillonProcessTest, QuittingDuringAHoldReleasesEveryKey) {
  const QuitRow rows[] = {
      {"Up!5000", 1, {"down Up", "up Up"}},
      {"Ctrl+Alt!5000+Up", 4, {"down Control_L", "down Alt_L", "down Up", "up Control_L", "up Alt_L", "up Up"}},
      // Nobody reads this clipboard: the process is waiting for a request.
      {"Write[x]", 4, {"down Control_L", "down v", "up Control_L", "up v"}},
  };
  for (const QuitRow& row : rows) {
    RawEventRecorder recorder(test_display());
    ASSERT_TRUE(recorder.ok());
    QProcess run;
    run.start(quillon_binary(), {"--do", row.action});
    ASSERT_TRUE(run.waitForStarted(5000));
    // Its keys are down: it is in the hold, or about to wait in it.
    ASSERT_EQ(recorder.wait_for(row.events_before_quit, 10s).size(), row.events_before_quit) << row.action;
    QElapsedTimer since_quit;
    since_quit.start();
    run.terminate();
    ASSERT_TRUE(run.waitForFinished(5000)) << row.action;
    EXPECT_LT(since_quit.elapsed(), 1000) << row.action;
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << row.action;
    EXPECT_EQ(texts(recorder.wait_for(row.expected.size(), 2s)), row.expected) << row.action;
  }
}

// Over SSH or in a script: what needs no display answers, the rest says that
// there is none and fails, instead of being aborted by the toolkit.
TEST(QuillonProcessTest, WithoutADisplayOnlyTheConsoleOptionsRun) {
  const struct {
    QStringList arguments;
    const char* display;  // nullptr: unset
    int exit_code;
    const char* said;  // on standard output when the run succeeds, else on standard error
  } rows[] = {
      {{"--version"}, nullptr, 0, "Quillon "},
      {{"--help"}, nullptr, 0, "--list-recognizers"},
      {{"--list-recognizers"}, nullptr, 0, "scripted"},
      {{"--no-such-option"}, nullptr, 1, "no-such-option"},
      {{"--do", "Ctrl+V"}, nullptr, 1, "no display found (DISPLAY is not set)"},
      {{"--no-intro"}, nullptr, 1, "no display found"},
      {{"--do", "Ctrl+V"}, ":59999", 1, "the X display :59999 cannot be opened"},
  };
  for (const auto& row : rows) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    if (row.display) environment.insert("DISPLAY", row.display);
    QProcess run;
    run.setProcessEnvironment(environment);
    run.start(quillon_binary(), row.arguments);
    ASSERT_TRUE(run.waitForFinished(10000)) << row.arguments.join(' ').toStdString();
    const std::string out = run.readAllStandardOutput().toStdString();
    const std::string err = run.readAllStandardError().toStdString();
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << row.arguments.join(' ').toStdString() << err;
    EXPECT_EQ(run.exitCode(), row.exit_code) << row.arguments.join(' ').toStdString() << err;
    EXPECT_NE((row.exit_code == 0 ? out : err).find(row.said), std::string::npos) << out << err;
  }
}

// A recording that cannot be used ends an --exit-after-audio run at once,
// unsuccessfully, with the file and its fault on standard error and no
// message box to wait for.
TEST(QuillonProcessTest, AnUnusableRecordingEndsTheRunNamingItsFault) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const std::filesystem::path sound = folder.filePath("sound.wav").toStdString();
  ASSERT_TRUE(write_wav(sound, std::vector<float>(1600, 0.25f)));
  std::ifstream in(sound, std::ios::binary);
  const std::string wav((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string seven_bits = wav;
  seven_bits[34] = 7;  // bits per sample

  const struct {
    const char* name;
    std::string bytes;
    const char* fault;
  } rows[] = {
      {"empty.wav", "", "empty"},
      {"cut.wav", wav.substr(0, 30), "cut short"},
      {"seven.wav", seven_bits, "7-bit PCM samples"},
  };
  for (const auto& row : rows) {
    const QString path = folder.filePath(row.name);
    std::ofstream(path.toStdString(), std::ios::binary) << row.bytes;
    QElapsedTimer timer;
    timer.start();
    QProcess run;
    run.start(quillon_binary(),
              {"--no-intro", "--program-folder", folder.path(), "--model-dir", QString::fromStdString(models_folder()),
               "--game", "Windows", "--listen", "--audio-file", path, "--exit-after-audio"});
    ASSERT_TRUE(run.waitForFinished(20000)) << row.name;
    const std::string log = run.readAllStandardError().toStdString();
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << log;
    EXPECT_EQ(run.exitCode(), 1) << log;
    EXPECT_NE(log.find(path.toStdString() + ": " + row.fault), std::string::npos) << log;
    // Found before the speech engine starts, which takes a second or more.
    EXPECT_LT(timer.elapsed(), 3000) << row.name;
  }
}

// --teach runs without a display and, given one bad argument among good ones,
// names it, fails and keeps nothing.
TEST(QuillonProcessTest, TeachingFromRecordingsTeachesNothingWhenAnArgumentIsBad) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString word = folder.filePath("word.wav");
  std::vector<float> samples(1600, 0.0f);
  for (int k = 0; k < 4800; ++k) samples.push_back(0.3f * static_cast<float>(std::sin(0.0864 * k)));
  samples.resize(samples.size() + 8000, 0.0f);
  ASSERT_TRUE(write_wav(word.toStdString(), samples));
  ASSERT_TRUE(write_wav(folder.filePath("silence.wav").toStdString(), std::vector<float>(16000, 0.0f)));
  std::ofstream(folder.filePath("notes.wav").toStdString()) << "not a recording";
  const struct {
    QString bad;
    const char* said;
  } rows[] = {
      {"攻击", "expected PHRASE=FILE.wav"},
      {"没有这个词=" + word, "no vocabulary in the program folder holds the phrase 没有这个词"},
      {"攻击=" + folder.filePath("notes.wav"), "cannot use the recording"},
      {"攻击=" + folder.filePath("silence.wav"), "no speech in the recording"},
  };
  for (const auto& row : rows) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    QProcess run;
    run.setProcessEnvironment(environment);
    run.start(quillon_binary(),
              {"--program-folder", folder.path(), "--model-dir", QString::fromStdString(models_folder()), "--teach",
               "城堡=" + word, "--teach", row.bad});
    ASSERT_TRUE(run.waitForFinished(20000)) << row.bad.toStdString();
    const std::string err = run.readAllStandardError().toStdString();
    EXPECT_EQ(run.exitCode(), 2) << err;
    EXPECT_NE(err.find("--teach " + row.bad.toStdString() + ": " + row.said), std::string::npos) << err;
    EXPECT_TRUE(run.readAllStandardOutput().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(folder.filePath("taught-voice.txt").toStdString()));
  }
}

}  // namespace
}  // namespace quillon::testing
