// The whole program on the private server: a phrase heard (typed on standard
// input, or spoken in a recording) becomes keys and clicks that the X server
// really receives, and a phrase added and deleted in the real window is heard
// and then no longer acted on.

#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/main_controller.h"
#include "input/desktop.h"
#include "input/messages_qt.h"
#include "input/waiter_qt.h"
#include "speech/scripted/scripted_recognizer.h"
#include "spotter/model_location.h"
#include "support/raw_recorder.h"
#include "support/x_probe.h"
#include "ui/main_window.h"
#include "vocabulary/folder_store.h"
#include "vocabulary/vocab_text.h"
#include "x11/quillon_process.h"
#include "x11/x11_environment.h"

namespace quillon::testing {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// Keeps the pointer off the window, so a click lands on the bare root window.
void park_pointer() {
  XProbe probe(test_display());
  probe.put_pointer(5, 5);
}

TEST(QuillonEndToEnd, PhrasesOnStandardInputBecomeKeysAndClicks) {
  park_pointer();
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  RawEventRecorder recorder(test_display());
  ASSERT_TRUE(recorder.ok());

  QProcess run;
  run.start(quillon_binary(), {"--no-intro", "--program-folder", folder.path(), "--recognizer", "scripted", "--game",
                               "帝国时代2", "--listen"});
  ASSERT_TRUE(run.waitForStarted(5000));
  // Lines wait in the pipe until the window listens. A line that is no
  // phrase of the game does nothing.
  run.write("城堡\n城堡里\n三号部队过来\n");
  ASSERT_TRUE(run.waitForBytesWritten(5000));

  const Strings expected = {"down Control_L", "down v", "up Control_L",  "up v",
                            "down 3",         "up 3",   "button down 3", "button up 3"};
  const std::vector<RawEvent> events = recorder.wait_for(expected.size(), 15s, 300ms);
  EXPECT_EQ(without_motion(events), expected) << run.readAllStandardError().toStdString();
  // "*" waits half a second between the key and the click.
  unsigned long key_up = 0, click = 0;
  for (const RawEvent& e : events) {
    if (e.text() == "up 3") key_up = e.server_ms;
    if (e.text() == "button down 3") click = e.server_ms;
  }
  EXPECT_GE(click - key_up, 400u);
  EXPECT_LE(click - key_up, 900u);

  // The end of the input alone does not end the window; a polite request does.
  run.closeWriteChannel();
  EXPECT_FALSE(run.waitForFinished(300));
  run.terminate();
  ASSERT_TRUE(run.waitForFinished(5000));
  EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(run.exitCode(), 0);
  const std::string log = run.readAllStandardError().toStdString();
  EXPECT_EQ(log.find("no game named"), std::string::npos) << log;
  EXPECT_TRUE(QFile::exists(folder.filePath("帝国时代2.xml")));
}

TEST(QuillonEndToEnd, KeywordsSpokenInARecordingBecomeKeys) {
  QUILLON_SKIP_WITHOUT_RECORDINGS();
  const std::string models = models_folder();
  park_pointer();
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  // 6.wav says 朱丽楠 and 见面会; 周望军 is not said.
  write_game(folder.path(), "录音", {{"朱丽楠", "A"}, {"见面会", "B"}, {"周望军", "C"}});
  RawEventRecorder recorder(test_display());
  ASSERT_TRUE(recorder.ok());

  QProcess run;
  run.start(quillon_binary(),
            {"--no-intro", "--program-folder", folder.path(), "--model-dir", QString::fromStdString(models), "--game",
             "录音", "--listen", "--match", "anywhere",  // the phrases are said inside talk
             "--audio-file", QString::fromStdString(test_wav(6)), "--exit-after-audio"});
  ASSERT_TRUE(run.waitForStarted(5000));
  ASSERT_TRUE(run.waitForFinished(20000));
  const std::string log = run.readAllStandardError().toStdString();
  EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << log;
  EXPECT_EQ(run.exitCode(), 0) << log;
  EXPECT_EQ(without_motion(recorder.wait_for(4, 2s)), (Strings{"down a", "up a", "down b", "up b"})) << log;
}

TEST(QuillonEndToEnd, ACommandSaidAloneBecomesItsKeysAndNothingElseActs) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  park_pointer();
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  // The recording says 上海 on its own; 商行 sounds close, 中国 is not said.
  write_game(folder.path(), "录音", {{"上海", "A"}, {"商行", "B"}, {"中国", "C"}});
  RawEventRecorder recorder(test_display());
  ASSERT_TRUE(recorder.ok());

  QProcess run;
  const std::string said = command_recordings_folder() + "/dsp20__s03__5.wav";
  run.start(quillon_binary(),
            {"--no-intro", "--program-folder", folder.path(), "--model-dir", QString::fromStdString(models_folder()),
             "--game", "录音", "--listen", "--audio-file", QString::fromStdString(said), "--exit-after-audio"});
  ASSERT_TRUE(run.waitForStarted(5000));
  ASSERT_TRUE(run.waitForFinished(20000));
  const std::string log = run.readAllStandardError().toStdString();
  EXPECT_EQ(run.exitCode(), 0) << log;
  EXPECT_EQ(without_motion(recorder.wait_for(2, 2s)), (Strings{"down a", "up a"})) << log;
}

// The real window, logic, program folder and desktop in this process; the
// scripted recogniser hears what the test says. Message boxes are not
// expected on this path: any that opens is recorded and closed.
class WindowOnTheDesktop {
 public:
  WindowOnTheDesktop() : store_(folder_.path().toStdString()) {
    EngineOptions options;
    options.program_folder = store_.folder();
    options.post_to_gui = [](std::function<void()> work) {
      QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
    };
    recognizer_ = std::make_unique<ScriptedRecognizer>(std::make_shared<std::istringstream>(), options);
    platform_ = std::make_unique<Platform>(Platform{*desktop_.input, *desktop_.shell, *desktop_.browsers,
                                                    *desktop_.processes, *desktop_.clipboard, messages_, waiter_});
    controller_ = std::make_unique<MainController>(window_, recognizer_.get(), store_, *platform_);
    window_.connect_controller(*controller_, ComposerHooks{});
    QObject::connect(&watch_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        messages_seen_.push_back(box->text().toStdString());
        box->close();
      }
    });
    watch_.start(50);
    controller_->start_up(false);
    window_.show();
  }
  ~WindowOnTheDesktop() {
    waiter_.quit_all();
    window_.close();
  }

  bool ready() const { return desktop_.input != nullptr && folder_.isValid(); }
  const Strings& messages_seen() const { return messages_seen_; }
  FolderStore& store() { return store_; }
  ScriptedRecognizer& recognizer() { return *recognizer_; }

  template <typename W>
  W* find(const char* name) {
    return window_.findChild<W*>(name);
  }
  void type(const char* box, const QString& text) {
    auto* edit = find<QLineEdit>(box);
    edit->clear();
    edit->setFocus();
    for (QChar c : text) QTest::sendKeyEvent(QTest::KeyAction::Click, edit, Qt::Key_unknown, c, {});
  }
  void click(const char* button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
  void click_row(const char* list_name, int row) {
    auto* list = find<QListWidget>(list_name);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }

 private:
  QTemporaryDir folder_;
  FolderStore store_;
  DesktopAdapters desktop_ = make_desktop_adapters();
  QtMessages messages_;
  QtWaiter waiter_;
  std::unique_ptr<Platform> platform_;
  std::unique_ptr<ScriptedRecognizer> recognizer_;
  MainWindow window_;
  std::unique_ptr<MainController> controller_;
  QTimer watch_;
  Strings messages_seen_;
};

TEST(QuillonEndToEnd, APhraseAddedInTheWindowIsCarriedOutUntilItIsDeleted) {
  park_pointer();
  WindowOnTheDesktop w;
  ASSERT_TRUE(w.ready());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.find<QLabel>("Image1")->window()));

  w.type("Text3", "复制游戏");
  w.click("Command2");
  auto* games = w.find<QListWidget>("List2");
  ASSERT_NE(games->currentItem(), nullptr);
  EXPECT_EQ(games->currentItem()->text(), "复制游戏");
  EXPECT_EQ(w.find<QLabel>("Label5")->text(), "当前打开复制游戏的语音词汇！");

  w.type("Text1", "测试复制");
  w.type("Text2", "Ctrl+C");
  w.click("Command1");
  auto* phrases = w.find<QListWidget>("List1");
  ASSERT_EQ(phrases->count(), 1);
  EXPECT_EQ(phrases->item(0)->text(), "测试复制(Ctrl+C)");
  EXPECT_NE(w.store().read("复制游戏").text.find("+测试复制</P>"), std::string::npos);

  RawEventRecorder recorder(test_display());
  ASSERT_TRUE(recorder.ok());
  w.click("Command5");
  EXPECT_EQ(w.find<QPushButton>("Command5")->text(), "停止这个游戏的语音命令");
  w.recognizer().hear("测试复制");
  EXPECT_EQ(without_motion(recorder.wait_for(4, 5s)), (Strings{"down Control_L", "down c", "up Control_L", "up c"}));

  // Deleting is locked while voice commands run.
  w.click("Command5");
  w.click_row("List1", 0);
  EXPECT_EQ(w.find<QLineEdit>("Text1")->text(), "测试复制");
  w.click("Command4");
  EXPECT_EQ(phrases->count(), 0);
  EXPECT_EQ(w.store().read("复制游戏").text.find("测试复制"), std::string::npos);

  recorder.clear();
  w.click("Command5");
  w.recognizer().hear("测试复制");
  EXPECT_EQ(without_motion(recorder.wait_for(1, 1s)), Strings{});
  w.click("Command5");
  EXPECT_EQ(w.messages_seen(), Strings{});
}

// Phrases with a number slot, added in the window: each number said presses
// the keys of that number, a number outside the range does nothing, and an
// action with no key for some number of its range is refused.
TEST(QuillonEndToEnd, APhraseSaidWithANumberPressesThatNumbersKeys) {
  park_pointer();
  WindowOnTheDesktop w;
  ASSERT_TRUE(w.ready());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.find<QLabel>("Image1")->window()));
  w.type("Text3", "数字");
  w.click("Command2");
  const std::pair<const char*, const char*> entries[] = {{"[1-20]号", "{n}"},
                                                         {"[1-9]号部队过来", "{n}*MRBC"},
                                                         {"选择[1-9]号部队", "{n}"},
                                                         {"[2-8]倍速度", "Ctrl+{n}"},
                                                         {"第[1-99]张", "Write[{n}]*Enter"}};
  for (const auto& [phrase, action] : entries) {
    w.type("Text1", QString::fromUtf8(phrase));
    w.type("Text2", QString::fromUtf8(action));
    w.click("Command1");
  }
  auto* phrases = w.find<QListWidget>("List1");
  ASSERT_EQ(phrases->count(), 4);
  EXPECT_EQ(phrases->item(0)->text(), "[1-9]号部队过来({n}*MRBC)");
  EXPECT_EQ(w.messages_seen(),
            Strings{"说数字10时，快捷键会成为“10”，其中“10”不是键名（数字键只有0到9）。请改快捷键或数字范围。"});

  RawEventRecorder recorder(test_display());
  ASSERT_TRUE(recorder.ok());
  w.click("Command5");
  for (const char* said : {"三号部队过来", "选择十号部队", "两倍速度"}) w.recognizer().hear(said);
  EXPECT_EQ(
      without_motion(recorder.wait_for(8, 5s, 300ms)),
      (Strings{"down 3", "up 3", "button down 3", "button up 3", "down Control_L", "down 2", "up Control_L", "up 2"}));

  // The number is typed into the program that has the focus, then Enter.
  const char* target_path = std::getenv("QUILLON_PASTE_TARGET");
  QProcess target;
  target.start(QString::fromLocal8Bit(target_path ? target_path : QUILLON_DEFAULT_PASTE_TARGET), {});
  ASSERT_TRUE(target.waitForStarted(5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return target.canReadLine(); }, 10000));
  ASSERT_EQ(target.readLine().trimmed(), "ready");
  recorder.clear();
  w.recognizer().hear("第十二张");
  EXPECT_EQ(without_motion(recorder.wait_for(6, 5s)),
            (Strings{"down Control_L", "down v", "up Control_L", "up v", "down Return", "up Return"}));
  target.write("quit\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return target.canReadLine(); }, 5000));
  EXPECT_EQ(target.readLine().trimmed(), "text:12");
  target.waitForFinished(5000);
  w.click("Command5");
}

}  // namespace
}  // namespace quillon::testing
