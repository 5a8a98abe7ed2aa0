// Ending the Quillon window from outside (SIGTERM, SIGINT, SIGHUP) at the
// moments that run an event loop of their own: the start-up advice, a message
// box, the file dialog, the help window, a hold and the pauses of a voice
// command. The process must be gone within a second, by its own hand, with no
// key it pressed left down and no page opened on the way out.

#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <thread>

#include "support/raw_recorder.h"
#include "support/vocab_samples.h"
#include "support/x_probe.h"
#include "ui/main_window.h"
#include "vocabulary/folder_store.h"
#include "x11/quillon_process.h"
#include "x11/x11_environment.h"

namespace quillon::testing {
namespace {

using namespace std::chrono_literals;

constexpr const char* kMainWindow = "Quillon8.0版";

// Keys pressed and not released, in the order recorded.
std::vector<std::string> keys_left_down(const std::vector<RawEvent>& events) {
  std::map<unsigned, std::string> down;
  for (const RawEvent& e : events) {
    if (e.kind == RawEvent::Kind::KeyDown) down[e.keycode] = e.keysym;
    if (e.kind == RawEvent::Kind::KeyUp) down.erase(e.keycode);
  }
  std::vector<std::string> names;
  for (const auto& [keycode, name] : down) names.push_back(name);
  return names;
}

bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

// One Quillon window with a program folder of its own; a fake xdg-open
// records every page or file it would have opened.
class QuillonWindow {
 public:
  QuillonWindow() : probe_(test_display()) {
    FolderStore store(folder_.path().toStdString());
    store.write("退出", vocabulary(entry("Ctrl+Alt!5000+Up", "按住") + entry("A*B*C*D*E*F*G*H", "连按")));
    QDir(folder_.path()).mkpath("bin");
    QFile opener(folder_.filePath("bin/xdg-open"));
    opener.open(QIODevice::WriteOnly);
    opener.write(("#!/bin/sh\necho \"$@\" >> '" + folder_.filePath("opened") + "'\n").toUtf8());
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  void start(QStringList arguments, const std::map<QString, QString>& environment = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", folder_.filePath("bin") + ":" + env.value("PATH"));
    for (const auto& [name, value] : environment) env.insert(name, value);
    run_.setProcessEnvironment(env);
    arguments << "--program-folder" << folder_.path();
    run_.start(quillon_binary(), arguments);
    ASSERT_TRUE(run_.waitForStarted(5000));
  }

  bool shows(const std::string& title) {
    return wait_until([&] { return probe_.window_origin(title).has_value(); }, 15s);
  }
  // Clicks a control of the main window at its place in twips (centre of
  // the given rectangle, relative to the window's client area).
  void click_main_window(int left, int top, int width, int height) {
    const auto origin = probe_.window_origin(kMainWindow);
    ASSERT_TRUE(origin.has_value());
    probe_.click(origin->first + MainWindow::twips(left + width / 2),
                 origin->second + MainWindow::twips(top + height / 2));
  }
  void say(const char* line) {
    run_.write(line);
    ASSERT_TRUE(run_.waitForBytesWritten(5000));
  }

  // Sends `signal_number`; the milliseconds until the process was gone.
  qint64 end_with(int signal_number) {
    QElapsedTimer since;
    since.start();
    ::kill(static_cast<pid_t>(run_.processId()), signal_number);
    if (!run_.waitForFinished(5000)) return -1;
    return since.elapsed();
  }
  QProcess& process() { return run_; }
  bool opened_anything() const { return QFile::exists(folder_.filePath("opened")); }

 private:
  QTemporaryDir folder_;
  XProbe probe_;
  QProcess run_;
};

struct Moment {
  const char* what;
  int signal_number;
  QStringList arguments;
  std::map<QString, QString> environment;
  // Brings the window to the moment; false when it never got there.
  std::function<bool(QuillonWindow&, RawEventRecorder&)> reach;
};

bool events_seen(RawEventRecorder& recorder, std::size_t count) {
  return recorder.wait_for(count, 10s, 0ms).size() >= count;
}

TEST(QuillonQuits, OnASignalAtEveryMoment) {
  const QStringList scripted = {"--recognizer", "scripted"};
  const QStringList quiet = {"--no-intro", "--recognizer", "scripted"};
  const QStringList listening = quiet + QStringList{"--game", "退出", "--listen"};
  const auto shows = [](const char* title) {
    return [title](QuillonWindow& w, RawEventRecorder&) { return w.shows(title); };
  };
  // Main window controls: Frame1 is at (3960, 0); the picture of a document
  // and the help button lie in it.
  const auto clicks = [](int left, int top, int width, int height, const char* title) {
    return [=](QuillonWindow& w, RawEventRecorder&) {
      if (!w.shows(kMainWindow)) return false;
      w.click_main_window(3960 + left, top, width, height);
      return w.shows(title);
    };
  };
  const Moment moments[] = {
      {"start-up advice, SIGTERM", SIGTERM, scripted, {}, shows("Information")},
      {"start-up advice, SIGINT", SIGINT, scripted, {}, shows("Information")},
      {"start-up advice, SIGHUP", SIGHUP, scripted, {}, shows("Information")},
      // The keyword spotter cannot open this capture device: the voice commands
      // of the game cannot start, and a message box says so.
      {"message box",
       SIGINT,
       {"--no-intro", "--game", "退出", "--listen"},
       {{"QUILLON_ALSA_DEVICE", "quillon_no_such_device"}},
       shows("Quillon")},
      {"file dialog", SIGTERM, quiet, {}, clicks(3300, 3800, 450, 450, "打开文件")},
      {"help window", SIGHUP, quiet, {}, clicks(120, 120, 1095, 355, "帮助")},
      {"hold",
       SIGTERM,
       listening,
       {},
       [](QuillonWindow& w, RawEventRecorder& r) {
         w.say("按住\n");
         return events_seen(r, 3);
       }},
      {"pause between steps",
       SIGINT,
       listening,
       {},
       [](QuillonWindow& w, RawEventRecorder& r) {
         w.say("连按\n");
         return events_seen(r, 2);
       }},
  };
  for (const Moment& moment : moments) {
    XProbe(test_display()).put_pointer(5, 5);
    RawEventRecorder recorder(test_display());
    ASSERT_TRUE(recorder.ok());
    QuillonWindow window;
    window.start(moment.arguments, moment.environment);
    ASSERT_TRUE(moment.reach(window, recorder)) << moment.what << ": never got there\n"
                                                << window.process().readAllStandardError().toStdString();
    const qint64 ms = window.end_with(moment.signal_number);
    EXPECT_GE(ms, 0) << moment.what << ": still running";
    EXPECT_LT(ms, 1000) << moment.what;
    EXPECT_EQ(window.process().exitStatus(), QProcess::NormalExit) << moment.what;
    EXPECT_EQ(keys_left_down(recorder.wait_for(1000, 300ms, 0ms)), std::vector<std::string>{}) << moment.what;
    EXPECT_FALSE(window.opened_anything()) << moment.what;
  }
}

}  // namespace
}  // namespace quillon::testing
