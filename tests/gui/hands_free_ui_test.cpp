// The settings dialog, the key chooser and the tray icon's menu, offscreen:
// what they show, what they give back, and that Cancel changes nothing.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "core/texts.h"
#include "ui/hotkey_edit.h"
#include "ui/settings_dialog.h"
#include "ui/tray_icon.h"

namespace quillon {
namespace {

using By = WindowTie::By;

class FakeWindowList : public WindowList {
 public:
  explicit FakeWindowList(std::vector<WindowInfo> list) : list_(std::move(list)) {}
  std::vector<WindowInfo> windows() override { return list_; }

 private:
  std::vector<WindowInfo> list_;
};

template <typename Widget>
Widget* child(QWidget& parent, const char* name) {
  auto* found = parent.findChild<Widget*>(name);
  EXPECT_TRUE(found) << name;
  return found;
}

void choose(QComboBox* box, int row) {
  box->setCurrentIndex(row);
  emit box->activated(row);
}

TEST(HotkeyEdit, TakesTheNextKeyOrSideButtonByItsActionStringName) {
  HotkeyEdit edit;
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* shown;  // what the field shows after the key
  } cases[] = {
      {Qt::Key_F9, Qt::NoModifier, "F9"},
      {Qt::Key_CapsLock, Qt::NoModifier, "CapsLock"},
      {Qt::Key_Tab, Qt::NoModifier, "Tab"},
      {Qt::Key_Control, Qt::ControlModifier, "Ctrl"},
      {Qt::Key_A, Qt::NoModifier, "A"},
      {Qt::Key_Slash, Qt::KeypadModifier, "Div"},
      {Qt::Key_Slash, Qt::NoModifier, "/"},
      {Qt::Key_1, Qt::KeypadModifier, "/"},  // keypad digits have no name: unchanged
      {Qt::Key_VolumeUp, Qt::NoModifier, "/"},
      {Qt::Key_Escape, Qt::NoModifier, "Esc"},
  };
  for (const auto& c : cases) {
    QTest::keyClick(&edit, static_cast<Qt::Key>(c.key), c.modifiers);
    EXPECT_EQ(edit.text().toStdString(), c.shown) << c.key;
  }
  QTest::mouseClick(&edit, Qt::BackButton);
  EXPECT_EQ(edit.text(), "MB8");
  QTest::mouseClick(&edit, Qt::ForwardButton);
  EXPECT_EQ(edit.text(), "MB9");
  QTest::mouseClick(&edit, Qt::LeftButton);
  EXPECT_EQ(edit.text(), "MB9") << "a plain click only focuses the field";
}

TEST(SettingsDialog, ShowsTheSettingsAndGivesBackTheChoicesWithTiesPickedFromTheOpenWindows) {
  Settings given;
  given.capture_device = "hw:1";
  given.push_to_talk_key = "F9";
  given.push_to_talk_mode = PushToTalkMode::hold;
  given.ties = {{"A", By::window_class, "alpha"}};
  FakeWindowList windows({{"Beta", "beta-game", "Beta 窗口"}, {"", "gamma.exe", "Gamma"}});
  SettingsDialog dialog(given, {"A", "B"}, &windows);
  EXPECT_EQ(dialog.chosen(), given) << "nothing changed yet";
  EXPECT_EQ(child<QLineEdit>(dialog, "push_to_talk_key")->text(), "F9");
  auto* ties = child<QTableWidget>(dialog, "ties");
  ASSERT_EQ(ties->rowCount(), 1);
  EXPECT_EQ(ties->item(0, 1)->text().toStdString(), std::string(text::kTieByClass) + "alpha");

  QTest::mouseClick(child<QPushButton>(dialog, "clear_push_to_talk_key"), Qt::LeftButton);
  QTest::mouseClick(child<QLineEdit>(dialog, "push_to_talk_key"), Qt::ForwardButton);
  auto* mode = child<QComboBox>(dialog, "push_to_talk_mode");
  mode->setCurrentIndex(mode->findData("toggle"));

  auto* open = child<QComboBox>(dialog, "open_windows");
  auto* by = child<QComboBox>(dialog, "tie_by");
  auto* pattern = child<QLineEdit>(dialog, "tie_pattern");
  auto* add = child<QPushButton>(dialog, "add_tie");
  ASSERT_EQ(open->count(), 2);
  child<QComboBox>(dialog, "tie_game")->setCurrentIndex(1);
  choose(open, 0);
  EXPECT_EQ(pattern->text(), "Beta");
  QTest::mouseClick(add, Qt::LeftButton);
  choose(open, 1);
  EXPECT_EQ(pattern->text(), "gamma.exe") << "a window without a class is tied by its program";
  choose(by, 1);
  EXPECT_EQ(pattern->text(), "Gamma");
  pattern->setText(" Gam ");
  QTest::mouseClick(add, Qt::LeftButton);
  choose(by, 0);
  choose(open, 0);
  QTest::mouseClick(add, Qt::LeftButton);  // the same tie again
  pattern->clear();
  QTest::mouseClick(add, Qt::LeftButton);  // no pattern
  EXPECT_EQ(ties->rowCount(), 3);
  ties->selectRow(0);
  QTest::mouseClick(child<QPushButton>(dialog, "remove_tie"), Qt::LeftButton);

  child<QCheckBox>(dialog, "echo")->setChecked(false);
  child<QCheckBox>(dialog, "close_to_tray")->setChecked(true);
  Settings expected = given;
  expected.push_to_talk_key = "MB9";
  expected.push_to_talk_mode = PushToTalkMode::toggle;
  expected.ties = {{"B", By::window_class, "Beta"}, {"B", By::title, "Gam"}};
  expected.echo = false;
  expected.close_to_tray = true;
  EXPECT_EQ(dialog.chosen(), expected);
}

TEST(SettingsDialog, OkWritesThroughTheKeeperAndCancelChangesNothing) {
  const struct {
    const char* what;
    QDialogButtonBox::StandardButton pressed;
    std::optional<std::string> failure;
  } cases[] = {
      {"ok", QDialogButtonBox::Ok, std::nullopt},
      {"ok, file not written", QDialogButtonBox::Ok, "disk full"},
      {"cancel", QDialogButtonBox::Cancel, std::nullopt},
  };
  for (const auto& c : cases) {
    std::vector<SettingValues> written;
    SettingsKeeper keeper({{{kEchoKey, "on"}, {"later/key", "x"}}, {}, {}}, [&](const SettingValues& values) {
      written.push_back(values);
      return c.failure;
    });
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(dialog);
      child<QCheckBox>(*dialog, "echo")->setChecked(false);
      child<QDialogButtonBox>(*dialog, "")->button(c.pressed)->click();
    });
    const SettingsEdit edit = edit_settings(nullptr, keeper, {"A"}, nullptr);
    const bool ok = c.pressed == QDialogButtonBox::Ok;
    EXPECT_EQ(edit.accepted, ok) << c.what;
    EXPECT_EQ(edit.write_failure, c.failure) << c.what;
    ASSERT_EQ(written.size(), ok ? 1u : 0u) << c.what;
    EXPECT_EQ(keeper.current().echo, !ok) << c.what;
    if (ok) {
      EXPECT_EQ(written[0].at(kEchoKey), "off") << c.what;
      EXPECT_EQ(written[0].at("later/key"), "x") << c.what;
    }
  }
}

QAction* action_named(QMenu& menu, const QString& caption) {
  for (QAction* action : menu.actions()) {
    if (action->text() == caption) return action;
  }
  ADD_FAILURE() << caption.toStdString();
  return nullptr;
}

// What each item asks for is checked through the hands-free parts in
// hands_free_test.cpp; here, what the menu shows in each state.
TEST(TrayIcon, ItsMenuShowsTheStateAndTheChosenGameWithOrWithoutATray) {
  TrayIcon tray;
  EXPECT_EQ(tray.shown(), QSystemTrayIcon::isSystemTrayAvailable()) << "no tray offscreen, and nothing breaks";
  action_named(tray.menu(), text::kTrayStart);
  tray.set_state(TrayState::voice_commands);
  action_named(tray.menu(), text::kTrayStop);
  tray.set_state(TrayState::test_mode);
  action_named(tray.menu(), text::kTrayStart);

  QMenu* games = action_named(tray.menu(), text::kTrayGames)->menu();
  ASSERT_TRUE(games);
  tray.set_games({"帝国时代", "Browser"}, "Browser");
  ASSERT_EQ(games->actions().size(), 2);
  EXPECT_FALSE(games->actions()[0]->isChecked());
  EXPECT_TRUE(games->actions()[1]->isChecked());
  tray.set_games({"帝国时代"}, "");
  ASSERT_EQ(games->actions().size(), 1);
  EXPECT_FALSE(games->actions()[0]->isChecked());
}

}  // namespace
}  // namespace quillon
