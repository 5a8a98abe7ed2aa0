// The microphone list and the level meter in the window: where they sit, what
// the list offers, where a choice goes, and the meter while the rules listen.

#include <gtest/gtest.h>

#include <QProgressBar>
#include <QTest>

#include "core/main_controller.h"
#include "core/texts.h"
#include "support/fake_window.h"
#include "ui/main_window.h"
#include "ui/microphone_box.h"

namespace quillon {
namespace {

using Devices = std::vector<CaptureDevice>;

QStringList labels(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  return items;
}

TEST(MicrophoneControls, LieInsideTheWindowAndCoverNoOtherControl) {
  MainWindow window;
  window.show();
  const QStringList ours{"MicrophoneLabel", "Microphone", "MicrophoneLevel"};
  for (const QString& name : ours) {
    auto* w = window.findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << name.toStdString();
    EXPECT_TRUE(w->isVisible()) << name.toStdString();
    EXPECT_TRUE(window.rect().contains(w->geometry())) << name.toStdString();
    for (QWidget* other : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (ours.contains(other->objectName()) || !other->isVisible()) continue;
      EXPECT_FALSE(w->geometry().intersects(other->geometry()))
          << name.toStdString() << " covers " << other->objectName().toStdString();
    }
  }
}

TEST(MicrophoneBox, ListsTheDevicesAndKeepsAChosenOneThatIsGone) {
  MicrophoneBox box;
  Devices devices{{"default", "", true}, {"pulse", "PulseAudio", true}};
  std::vector<std::string> chosen;
  box.use([&] { return devices; }, "plughw:CARD=U0,DEV=0", false,
          [&](const std::string& device) { chosen.push_back(device); });
  EXPECT_EQ(labels(box), (QStringList{text::kDefaultMicrophone, "PulseAudio",
                                      QString("plughw:CARD=U0,DEV=0") + text::kMicrophoneNotFound}));
  EXPECT_EQ(box.current_device(), "plughw:CARD=U0,DEV=0");

  // Opening the list reads the devices again: a headset plugged in appears.
  devices.push_back({"dsnoop:CARD=U0,DEV=0", "USB Headset", true});
  box.showPopup();
  box.hidePopup();
  EXPECT_EQ(box.count(), 4);
  EXPECT_EQ(box.current_device(), "plughw:CARD=U0,DEV=0");
  EXPECT_TRUE(chosen.empty()) << "filling the list is no choice";

  box.setCurrentIndex(0);
  QTest::keyClick(&box, Qt::Key_Down);
  EXPECT_EQ(chosen, std::vector<std::string>{"pulse"});
}

TEST(MicrophoneBox, AChoiceIsSavedWhileTheRecognizerKeepsTheDeviceGivenFromOutside) {
  std::vector<std::string> log;
  testing::FakeRecognizer recognizer(log);
  std::vector<SettingValues> written;
  SettingsKeeper settings({{}, {{kCaptureDeviceKey, "pulse"}}, {}}, [&](const SettingValues& values) {
    written.push_back(values);
    return std::nullopt;
  });
  MicrophoneBox box;
  connect_microphone(box, &recognizer, settings);
  EXPECT_FALSE(box.isEnabled());
  box.addItem("headset", "plughw:CARD=U0,DEV=0");
  emit box.activated(box.count() - 1);
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0].at(kCaptureDeviceKey), "plughw:CARD=U0,DEV=0");
  EXPECT_EQ(recognizer.capture_device, "pulse");
}

TEST(LevelMeter, FollowsTheRecognizerWhileTheRulesListen) {
  testing::RecordingPlatform desktop;
  MainWindow window;
  testing::FakeStore store;
  store.files["Windows"] = testing::vocabulary(testing::entry("Alt+F4", "关闭程序"));
  testing::FakeRecognizer recognizer{desktop.log};
  MainController controller{window, &recognizer, store, desktop.platform()};
  window.connect_controller(controller, {});
  window.show();
  controller.start_up(false);
  window.select_game_row(0);
  controller.choose_game(0);

  auto* meter = window.findChild<QProgressBar*>("MicrophoneLevel");
  recognizer.level = 0.4f;
  EXPECT_EQ(meter->value(), 0);
  EXPECT_FALSE(meter->isEnabled());
  controller.toggle_voice_commands();
  EXPECT_FALSE(window.microphone_box().isEnabled());
  QTRY_COMPARE_WITH_TIMEOUT(meter->value(), 40, 2000);
  EXPECT_TRUE(meter->isEnabled());
  controller.toggle_voice_commands();
  EXPECT_EQ(meter->value(), 0);
  EXPECT_FALSE(meter->isEnabled());
  EXPECT_TRUE(window.microphone_box().isEnabled());
}

}  // namespace
}  // namespace quillon
