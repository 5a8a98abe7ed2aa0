// Teaching through the window with the real engine: a player's recording is
// the microphone, the dialog records it take after take, and what was kept
// lands in the program folder's file and marks the phrase.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "core/main_controller.h"
#include "speech/engines.h"
#include "speech/taught_voice_file.h"
#include "speech/wav_reader.h"
#include "spotter/model_location.h"
#include "support/recording_platform.h"
#include "support/vocab_samples.h"
#include "ui/main_window.h"
#include "ui/teach_dialog.h"
#include "vocabulary/folder_store.h"

namespace quillon {
namespace {

// 北京 said alone by one speaker of the development recordings.
constexpr char kRecording[] = "dsp20__s01__6.wav";

TEST(TeachingWithTheEngine, ARecordingFedAsTheMicrophoneIsTaughtThroughTheWindow) {
  const std::string recordings = testing::command_recordings_folder();
  if (recordings.empty()) GTEST_SKIP() << "no development recordings beside the checkout";
  const WavAudio wav = read_wav_16k_mono(recordings + "/" + kRecording);
  ASSERT_TRUE(wav.ok) << wav.error;

  QTemporaryDir folder;
  FolderStore store(folder.path().toStdString());
  ASSERT_EQ(store.create_game("测试").outcome, GameCreation::Created);
  ASSERT_TRUE(store.write("测试", testing::vocabulary(testing::entry("F1", "北京") + testing::entry("F2", "上海"))).ok);
  EngineOptions options;
  options.program_folder = store.folder();
  options.model_dir = testing::models_folder();
  options.post_to_gui = [](std::function<void()> work) {
    QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
  };
  std::string log;
  const std::unique_ptr<Recognizer> engine = make_recognizer("sherpa", options, log);
  if (!engine || !engine->can_be_taught()) GTEST_SKIP() << "the engine cannot be taught here: " << log;

  testing::RecordingPlatform desktop;
  MainWindow window;
  TaughtVoiceFile taught(store.folder());
  MainController controller(window, engine.get(), store, desktop.platform());
  controller.set_taught_voice_store(&taught);
  std::vector<std::string> shown;
  controller.set_teacher([&](const TeachRequest& request) {
    // The player says the phrase twice, then is done.
    QTimer::singleShot(0, &window, [&] {
      auto* dialog = window.findChild<TeachDialog*>();
      auto* takes = dialog->findChild<QListWidget*>("TeachTakes");
      // A take that never ends closes the dialog rather than hanging the test.
      if (!QTest::qWaitFor([&] { return takes->count() == 1; }, 10000)) return dialog->reject();
      QTest::mouseClick(dialog->findChild<QPushButton*>("TeachTakeButton"), Qt::LeftButton);
      if (!QTest::qWaitFor([&] { return takes->count() == 2; }, 10000)) return dialog->reject();
      for (int row = 0; row < takes->count(); ++row) shown.push_back(takes->item(row)->text().toStdString());
      QTest::mouseClick(dialog->findChild<QPushButton*>("TeachDone"), Qt::LeftButton);
    });
    return run_teach_dialog(&window, request, [&](std::string&) -> std::unique_ptr<AudioSource> {
      return std::make_unique<FileAudioSource>(wav.samples);
    });
  });
  window.connect_controller(controller, {});
  window.show();
  controller.start_up(false);
  const std::vector<std::string> games = controller.game_names();
  const int row = static_cast<int>(std::find(games.begin(), games.end(), "测试") - games.begin());
  window.select_game_row(row);
  controller.choose_game(row);
  auto* phrases = window.findChild<QListWidget*>("List1");
  phrases->setCurrentRow(0);
  window.findChild<QAction*>("TeachAction")->trigger();

  ASSERT_EQ(shown.size(), 2u);
  for (const std::string& take : shown) EXPECT_NE(take.find("记住了"), std::string::npos) << take;
  EXPECT_EQ(TaughtVoiceFile(store.folder()).load().voice.at("北京").size(), 2u);
  EXPECT_FALSE(phrases->item(0)->icon().isNull());
  EXPECT_TRUE(phrases->item(1)->icon().isNull());
}

}  // namespace
}  // namespace quillon
