// `quillon --do` as a separate process on the private server: pasting into
// another program, and quitting in the middle of a hold.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <chrono>
#include <cstdlib>
#include <string>

#include "support/raw_recorder.h"
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

}  // namespace
}  // namespace quillon::testing
