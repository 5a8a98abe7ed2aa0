// Teaching from the window and from the command line: the dialog records take
// after take and shows each result without freezing, the phrase list marks
// taught phrases, and --teach checks every argument before keeping anything.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

#include "core/main_controller.h"
#include "core/teaching.h"
#include "core/texts.h"
#include "support/fake_window.h"
#include "support/wav_file.h"
#include "ui/main_window.h"
#include "ui/teach_command.h"
#include "ui/teach_dialog.h"

namespace quillon {
namespace {

const TaughtTake kTake{{"g", "ōng", "j", "ī"}, 0.4};

std::vector<float> word_then_silence() {
  std::vector<float> samples(static_cast<std::size_t>(0.1 * 16000), 0.0f);
  for (int k = 0; k < 16000 * 3 / 10; ++k) samples.push_back(0.3f * static_cast<float>(std::sin(0.0864 * k)));
  samples.resize(samples.size() + 16000 * 2, 0.0f);
  return samples;
}

OpenMicrophone file_microphone(std::vector<float> samples, int* opened = nullptr) {
  return [samples, opened](std::string&) -> std::unique_ptr<AudioSource> {
    if (opened) ++*opened;
    return std::make_unique<FileAudioSource>(samples);
  };
}

// Judges take after take as scripted, taking a while as a real decoder does.
TeachRequest scripted(std::vector<TakeHearing> hearings, std::chrono::milliseconds decoding = {}) {
  auto next = std::make_shared<std::size_t>(0);
  return {"攻击", [hearings, next, decoding](const std::vector<float>&) -> std::optional<TakeHearing> {
            std::this_thread::sleep_for(decoding);
            if (*next >= hearings.size()) return std::nullopt;
            return hearings[(*next)++];
          }};
}

int takes_shown(TeachDialog& dialog) { return dialog.findChild<QListWidget*>("TeachTakes")->count(); }
bool wait_for_takes(TeachDialog& dialog, int count) {
  return QTest::qWaitFor([&] { return takes_shown(dialog) >= count; }, 5000);
}

TEST(TeachDialog, RecordsTakeAfterTakeAndShowsEachResult) {
  TeachDialog dialog(scripted({{TakeVerdict::kept_by_sound, "g ōng j ī", "", kTake},
                               {TakeVerdict::too_close, "g ōng j ī", "公鸡", kTake}},
                              std::chrono::milliseconds(300)),
                     file_microphone(word_then_silence()));
  dialog.show();
  auto* level = dialog.findChild<QProgressBar*>("TeachLevel");
  auto* done = dialog.findChild<QPushButton*>("TeachDone");
  auto* take_button = dialog.findChild<QPushButton*>("TeachTakeButton");
  EXPECT_TRUE(QTest::qWaitFor([&] { return level->value() > 30; }, 2000)) << "the level of the voice is in view";
  EXPECT_FALSE(done->isEnabled());

  // The window goes on while the take is judged.
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(20);
  ASSERT_TRUE(wait_for_takes(dialog, 1));
  EXPECT_GE(ticks, 5);
  const QString first = dialog.findChild<QListWidget*>("TeachTakes")->item(0)->text();
  EXPECT_TRUE(
      first.contains(QString::fromStdString(take_caption({TakeVerdict::kept_by_sound, "g ōng j ī", "", kTake}))));
  EXPECT_TRUE(done->isEnabled());
  EXPECT_EQ(take_button->text(), text::kTeachAnotherTake);

  QTest::mouseClick(take_button, Qt::LeftButton);
  EXPECT_EQ(take_button->text(), text::kTeachStopTake);
  ASSERT_TRUE(wait_for_takes(dialog, 2));
  const QString second = dialog.findChild<QListWidget*>("TeachTakes")->item(1)->text();
  EXPECT_TRUE(second.contains("公鸡")) << second.toStdString();
  EXPECT_EQ(dialog.findChild<QLabel*>("TeachStatus")->text(), second.mid(3));
  EXPECT_EQ(dialog.kept(), std::vector<TaughtTake>{kTake});
}

TEST(TeachDialog, DoneKeepsTheKeptTakesAndCancelKeepsNone) {
  for (const char* button : {"TeachDone", "TeachCancel"}) {
    QWidget parent;
    QTimer::singleShot(0, &parent, [&] {
      auto* dialog = parent.findChild<TeachDialog*>();
      ASSERT_TRUE(dialog);
      ASSERT_TRUE(wait_for_takes(*dialog, 1));
      QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    });
    const std::vector<TaughtTake> kept = run_teach_dialog(
        &parent, scripted({{TakeVerdict::kept, "g ōng j ī", "", kTake}}), file_microphone(word_then_silence()));
    EXPECT_EQ(kept, std::string(button) == "TeachDone" ? std::vector<TaughtTake>{kTake} : std::vector<TaughtTake>{})
        << button;
  }
}

TEST(TeachDialog, TheUserEndsATakeWithTheButton) {
  std::vector<float> long_word(16000 * 8);
  for (std::size_t k = 0; k < long_word.size(); ++k)
    long_word[k] = 0.3f * static_cast<float>(std::sin(0.0864 * static_cast<double>(k)));
  TeachDialog dialog(scripted({{TakeVerdict::unclear, "", "", {}}}), file_microphone(long_word));
  dialog.show();
  auto* take_button = dialog.findChild<QPushButton*>("TeachTakeButton");
  QTest::qWait(200);
  const auto start = std::chrono::steady_clock::now();
  QTest::mouseClick(take_button, Qt::LeftButton);
  EXPECT_EQ(dialog.findChild<QLabel*>("TeachStatus")->text(), text::kTeachHearing);
  ASSERT_TRUE(wait_for_takes(dialog, 1));
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
  EXPECT_TRUE(dialog.findChild<QListWidget*>("TeachTakes")->item(0)->text().contains(text::kTakeUnclear));
  EXPECT_FALSE(dialog.findChild<QPushButton*>("TeachDone")->isEnabled());
}

TEST(TeachDialog, AMicrophoneThatCannotBeOpenedIsNamed) {
  TeachDialog dialog(scripted({}), [](std::string& error) -> std::unique_ptr<AudioSource> {
    error = "hw:7: no such device";
    return nullptr;
  });
  dialog.show();
  auto* status = dialog.findChild<QLabel*>("TeachStatus");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !status->text().isEmpty(); }, 1000));
  EXPECT_EQ(status->text(), QString(text::kTeachNoMicrophone) + "hw:7: no such device");
  EXPECT_EQ(dialog.findChild<QPushButton*>("TeachTakeButton")->text(), text::kTeachAnotherTake) << "to try again";
}

struct Wired {
  testing::RecordingPlatform desktop;
  MainWindow window;
  testing::FakeStore store;
  testing::FakeRecognizer recognizer{desktop.log};
  MainController controller{window, &recognizer, store, desktop.platform()};

  explicit Wired(bool teachable) {
    recognizer.teachable = teachable;
    store.files["帝国时代2"] = testing::vocabulary(testing::entry("Ctrl+V", "城堡") + testing::entry("F1", "攻击"));
    window.connect_controller(controller, {});
    controller.set_teacher([](const TeachRequest&) { return std::vector<TaughtTake>{kTake}; });
    window.show();
    controller.start_up(false);
    window.select_game_row(0);
    controller.choose_game(0);
  }
  QListWidget* phrases() { return window.findChild<QListWidget*>("List1"); }
  QAction* action(const char* name) { return window.findChild<QAction*>(name); }
};

TEST(TeachingInTheWindow, ATaughtPhraseIsMarkedAndCanBeForgotten) {
  Wired w(true);
  ASSERT_TRUE(w.action("TeachAction"));
  EXPECT_FALSE(w.action("TeachAction")->isEnabled()) << "nothing selected";
  w.phrases()->setCurrentRow(1);
  EXPECT_TRUE(w.action("TeachAction")->isEnabled());
  EXPECT_FALSE(w.action("ForgetAction")->isEnabled());
  w.action("TeachAction")->trigger();
  QListWidgetItem* taught = w.phrases()->item(1);
  EXPECT_EQ(taught->text(), "攻击(F1)") << "the mark leaves the text alone";
  EXPECT_FALSE(taught->icon().isNull());
  EXPECT_EQ(taught->toolTip(), text::kTaughtTooltip);
  EXPECT_TRUE(w.phrases()->item(0)->icon().isNull());
  EXPECT_TRUE(w.action("ForgetAction")->isEnabled());

  w.action("ForgetAction")->trigger();
  EXPECT_TRUE(w.phrases()->item(1)->icon().isNull());
  EXPECT_TRUE(w.phrases()->item(1)->toolTip().isEmpty());
  EXPECT_FALSE(w.action("ForgetAction")->isEnabled());
}

TEST(TeachingInTheWindow, AnEngineThatCannotBeTaughtSaysWhy) {
  Wired w(false);
  w.phrases()->setCurrentRow(0);
  EXPECT_FALSE(w.action("TeachAction")->isEnabled());
  EXPECT_EQ(w.action("TeachAction")->toolTip(), text::kCannotTeach);
}

// ---- --teach ---------------------------------------------------------------

class MemoryTaughtStore : public TaughtVoiceStore {
 public:
  TaughtVoice voice;
  int saves = 0;
  TaughtVoiceLoad load() override { return {voice, ""}; }
  std::optional<std::string> save(const TaughtVoice& v) override {
    voice = v;
    ++saves;
    return std::nullopt;
  }
};

struct Console {
  QTemporaryDir dir;
  std::vector<std::string> log;
  testing::FakeStore store;
  MemoryTaughtStore taught;
  std::vector<TakeHearing> hearings;
  int engines_made = 0;

  Console() {
    store.files["帝国时代2"] = testing::vocabulary(testing::entry("Ctrl+V", "城堡") + testing::entry("F1", "攻击"));
    store.files["Windows"] = testing::vocabulary(testing::entry("Alt+F4", "关闭程序"));
    testing::write_wav(path("word.wav"), word_then_silence());
    testing::write_wav(path("silence.wav"), std::vector<float>(16000, 0.0f));
    std::ofstream(path("text.wav")) << "not a recording\n";
  }
  std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
  TeachRun teach(const std::vector<std::string>& arguments) {
    return teach_from_recordings(arguments, store, taught, [this](std::string&) {
      ++engines_made;
      auto engine = std::make_unique<testing::FakeRecognizer>(log);
      engine->hearings = hearings;
      return engine;
    });
  }
};

TEST(TeachCommand, BadArgumentsAreAllNamedAndNothingIsTaught) {
  Console c;
  const std::string word = c.path("word.wav");
  const struct {
    std::string bad;
    const char* says;
  } rows[] = {
      {"攻击" + word, "expected PHRASE=FILE.wav"},
      {"=" + word, "expected PHRASE=FILE.wav"},
      {"攻击=", "expected PHRASE=FILE.wav"},
      {"防御=" + word, "no vocabulary in the program folder holds the phrase 防御"},
      {"攻击=" + c.path("missing.wav"), "cannot use the recording"},
      {"攻击=" + c.path("text.wav"), "cannot use the recording"},
      {"攻击=" + c.path("silence.wav"), "no speech in the recording"},
  };
  for (const auto& row : rows) {
    c.hearings = {{TakeVerdict::kept, "g ōng j ī", "", kTake}};
    const TeachRun run = c.teach({"城堡=" + word, row.bad});
    EXPECT_EQ(run.status, 2) << row.bad;
    EXPECT_NE(run.err.find("--teach " + row.bad + ": " + row.says), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("城堡="), std::string::npos) << "the good argument is not blamed";
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(c.taught.saves, 0) << row.bad;
    EXPECT_EQ(c.engines_made, 0) << "the engine starts only for good arguments";
  }
}

TEST(TeachCommand, ATakeTheEngineHearsNoSpeechInTeachesNothing) {
  Console c;
  c.hearings = {{TakeVerdict::kept, "ch éng b ǎo", "", kTake}, {TakeVerdict::no_speech, "", "", {}}};
  const TeachRun run = c.teach({"城堡=" + c.path("word.wav"), "攻击=" + c.path("word.wav")});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("攻击=" + c.path("word.wav") + ": no speech"), std::string::npos) << run.err;
  EXPECT_EQ(c.taught.saves, 0);
}

TEST(TeachCommand, SaysEveryTakeKeepsTheKeptAndFailsWhenAPhraseKeptNone) {
  const struct {
    std::vector<TakeHearing> hearings;
    int status;
    std::size_t kept_of_attack;
  } rows[] = {
      {{{TakeVerdict::kept, "g ōng j ī", "", kTake}, {TakeVerdict::unlike, "d uì", "", {}}}, 0, 1},
      {{{TakeVerdict::other_phrase, "ch éng b ǎo", "城堡", {}}, {TakeVerdict::unclear, "", "", {}}}, 1, 0},
      {{{TakeVerdict::unclear, "", "", {}}, {TakeVerdict::kept_by_sound, "d uì g ě", "", kTake}}, 0, 1},
  };
  for (const auto& row : rows) {
    Console c;
    c.hearings = row.hearings;
    const std::string a = "攻击=" + c.path("word.wav");
    const TeachRun run = c.teach({a, a});
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.out, take_line(a, row.hearings[0]) + "\n" + take_line(a, row.hearings[1]) + "\n");
    EXPECT_EQ(c.taught.voice["攻击"].size(), row.kept_of_attack);
    EXPECT_EQ(c.taught.saves, row.kept_of_attack ? 1 : 0);
  }
}

TEST(TeachCommand, AnEngineThatCannotBeTaughtIsRefused) {
  Console c;
  const TeachRun run = teach_from_recordings({"攻击=" + c.path("word.wav")}, c.store, c.taught, [&](std::string& why) {
    why = "no model";
    return std::unique_ptr<Recognizer>();
  });
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("no model"), std::string::npos);
}

}  // namespace
}  // namespace quillon
