// The main window's controls: where they lie and which are hidden, and the
// widgets' wiring to the window logic.

#include <gtest/gtest.h>

#include <algorithm>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "core/main_controller.h"
#include "core/texts.h"
#include "support/fake_window.h"
#include "ui/help_window.h"
#include "ui/main_window.h"

namespace quillon {
namespace {

// The form's own controls; Qt's inner widgets have other names.
bool is_form_control(const QString& name) {
  static const QRegularExpression form("^(Frame|Label|Text|Command|List|Image|File|WebBrowser)[0-9]+$|^SREngines$");
  return form.match(name).hasMatch();
}

// Exact places and captions are constants in main_window.cpp; what can go
// wrong around them is a control outside its frame or hidden wrongly.
TEST(MainWindowLayout, ShownControlsLieInsideTheirFramesAndOnlyTheSpareOnesAreHidden) {
  MainWindow window;
  window.show();
  EXPECT_EQ(window.size(), QSize(MainWindow::twips(8355), MainWindow::twips(7755)));
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  int controls = 0;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    const QString name = w->objectName();
    if (!is_form_control(name)) continue;
    ++controls;
    const bool spare = name == "Text4" || name == "File1" || (name.startsWith("Text") && name.mid(4).toInt() >= 5);
    EXPECT_EQ(w->isVisible(), !spare) << name.toStdString();
    if (!spare) {
      EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << name.toStdString();
    } else if (name.startsWith("Text") && name != "Text4") {  // the boxes beside the form
      EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << name.toStdString();
    }
  }
  EXPECT_EQ(controls, 38);
  auto* timer = window.findChild<QTimer*>("Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 1000);
  EXPECT_TRUE(timer->isActive());
}

TEST(MainWindowLayout, TabbingVisitsOnlyVisibleControls) {
  MainWindow window;
  window.show();
  QWidget* start = window.findChild<QWidget*>("Text3");
  QWidget* w = start;
  for (int i = 0; i < 40; ++i) {
    w = w->nextInFocusChain();
    if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) {
      const QString name = w->objectName();
      EXPECT_FALSE(name == "Text4" || name == "File1" || (name.startsWith("Text") && name.mid(4).toInt() >= 5))
          << name.toStdString();
    }
  }
}

struct Wired {
  testing::RecordingPlatform desktop;
  MainWindow window;
  testing::FakeStore store;
  testing::FakeRecognizer recognizer{desktop.log};
  MainController controller{window, &recognizer, store, desktop.platform()};
  std::optional<QString> chosen_file;
  std::vector<std::string> notes;
  bool help_shown = false;

  Wired() {
    store.files["帝国时代2"] = testing::vocabulary(testing::entry("Ctrl+V", "城堡"));
    ComposerHooks hooks;
    hooks.choose_file = [this] { return chosen_file; };
    hooks.show_note = [this](const std::string& note) { notes.push_back(note); };
    hooks.show_help = [this] {
      help_shown = true;
      desktop.log.push_back("help closed");
    };
    window.connect_controller(controller, hooks);
    window.show();
    controller.start_up(false);
  }
  template <typename W>
  W* find(const char* name) {
    return window.findChild<W*>(name);
  }
  void click_game(int row) {
    auto* list = find<QListWidget>("List2");
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  }
  void type(const char* box, const QString& text) {
    auto* edit = find<QLineEdit>(box);
    edit->setFocus();
    for (QChar c : text) QTest::sendKeyEvent(QTest::KeyAction::Click, edit, Qt::Key_unknown, c, {});
  }
};

TEST(MainWindowWiring, ClickingAGameListsItsPhrasesAndStartStopsVoiceCommands) {
  Wired w;
  w.click_game(0);
  EXPECT_EQ(w.find<QListWidget>("List1")->count(), 1);
  EXPECT_EQ(w.find<QLabel>("Label5")->text(), "当前打开帝国时代2的语音词汇！");
  QTest::mouseClick(w.find<QPushButton>("Command5"), Qt::LeftButton);
  EXPECT_EQ(w.find<QPushButton>("Command5")->text(), "停止这个游戏的语音命令");
  EXPECT_FALSE(w.find<QListWidget>("List2")->isEnabled());
  EXPECT_FALSE(w.find<QComboBox>("SREngines")->isEnabled());
  w.desktop.log.clear();
  w.controller.on_recognition("城堡");
  EXPECT_EQ(w.desktop.log, (std::vector<std::string>{"down Ctrl", "down V", "up Ctrl", "up V"}));
}

// Closing to the tray hides the window and keeps it; otherwise it closes.
TEST(MainWindowWiring, TheCloseHookDecidesBetweenClosingAndHiding) {
  for (const bool closes : {false, true}) {
    Wired w;
    int asked = 0;
    w.window.set_on_close([&] {
      ++asked;
      return closes;
    });
    EXPECT_EQ(w.window.close(), closes);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(w.window.isVisible());
  }
}

TEST(MainWindowWiring, TheGameListsRightClickMenuOpensTheSettings) {
  Wired w;
  int opened = 0;
  w.window.set_on_settings([&] { ++opened; });
  auto* list = w.find<QListWidget>("List2");
  QTimer::singleShot(0, [&] {
    auto* menu = w.window.findChild<QMenu*>("GameListMenu");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().front()->text(), "设置…");
    menu->actions().front()->trigger();
    menu->close();
  });
  emit list->customContextMenuRequested(QPoint(5, 5));
  EXPECT_EQ(opened, 1);
}

TEST(MainWindowWiring, AGameIsChosenOnceByAClickAndAlsoByTheArrowKeys) {
  Wired w;
  w.store.files["封神榜"] = testing::vocabulary(testing::entry("F1", "帮助"));
  w.controller.start_up(false);
  w.desktop.log.clear();
  w.click_game(0);
  EXPECT_EQ(std::count(w.desktop.log.begin(), w.desktop.log.end(), "speech load"), 1);
  EXPECT_EQ(w.controller.state().current_game, "封神榜");
  QTest::keyClick(w.find<QListWidget>("List2"), Qt::Key_Down);
  EXPECT_EQ(w.controller.state().current_game, "帝国时代2");
  EXPECT_EQ(std::count(w.desktop.log.begin(), w.desktop.log.end(), "speech load"), 2);
}

TEST(MainWindowWiring, TestModeShowsTheHeardPhraseAndTheTimerClearsIt) {
  Wired w;
  w.click_game(0);
  QTest::mouseClick(w.find<QPushButton>("Command6"), Qt::LeftButton);
  auto* feedback = w.find<QLineEdit>("Text4");
  EXPECT_TRUE(feedback->isVisible());
  w.controller.on_recognition("城堡");
  w.controller.on_recognition("没有");
  EXPECT_EQ(feedback->text(), "没有");
  auto* timer = w.find<QTimer>("Timer1");
  EXPECT_TRUE(timer->isActive());
  QTRY_COMPARE_WITH_TIMEOUT(feedback->text(), QString(), 2000);
  EXPECT_FALSE(timer->isActive());
}

TEST(MainWindowWiring, ComposerMenusAppendAndTemplatesReplace) {
  Wired w;
  auto* action = w.find<QLineEdit>("Text2");
  auto* pop2 = w.find<QMenu>("pop2");
  for (const char* item : {"Key5", "Key02", "Key1"}) pop2->findChild<QAction*>(item)->trigger();
  EXPECT_EQ(action->text(), "Enter*Space");
  w.find<QMenu>("pop")->findChild<QAction*>("MLBDC")->trigger();
  EXPECT_EQ(action->text(), "Enter*SpaceMLBDC");
  pop2->findChild<QAction*>("Key11")->trigger();
  EXPECT_EQ(action->text(), "Enter*SpaceMLBDC");
  ASSERT_EQ(w.notes.size(), 1u);
  EXPECT_EQ(w.notes[0].substr(0, 27), "键盘上的四个方向键");
  QTest::mouseClick(w.find<QLabel>("Image3"), Qt::LeftButton);
  EXPECT_EQ(action->text(), "OpenIE[http://]");
  w.chosen_file = std::nullopt;
  QTest::mouseClick(w.find<QLabel>("Image2"), Qt::LeftButton);
  EXPECT_EQ(action->text(), "OpenIE[http://]");
  w.chosen_file = "C:/Games/PLAY.EXE";
  QTest::mouseClick(w.find<QLabel>("Image2"), Qt::LeftButton);
  EXPECT_EQ(action->text(), "OpenProgram[C:/Games/PLAY.EXE]");
  w.chosen_file = "/home/u/歌.mp3";
  QTest::mouseClick(w.find<QLabel>("Image2"), Qt::LeftButton);
  EXPECT_EQ(action->text(), "OpenFile[/home/u/歌.mp3]");
}

TEST(MainWindowWiring, ChineseTextTypedIntoTheBoxesIsAddedToTheGame) {
  Wired w;
  w.click_game(0);
  w.type("Text1", "测试复制");
  w.type("Text2", "Ctrl+C");
  QTest::mouseClick(w.find<QPushButton>("Command1"), Qt::LeftButton);
  EXPECT_EQ(w.find<QListWidget>("List1")->item(1)->text(), "测试复制(Ctrl+C)");
  EXPECT_NE(w.store.files["帝国时代2"].find("<P VALSTR=\"Ctrl+C\">+测试复制</P>\r\n</L>"), std::string::npos);
  auto* list = w.find<QListWidget>("List1");
  list->setCurrentRow(0);
  EXPECT_EQ(w.find<QLineEdit>("Text1")->text(), "城堡");
  EXPECT_EQ(w.find<QLineEdit>("Text2")->text(), "Ctrl+V");
}

TEST(MainWindowWiring, HelpThenHomePage) {
  Wired w;
  w.desktop.log.clear();
  QTest::mouseClick(w.find<QPushButton>("Command7"), Qt::LeftButton);
  EXPECT_EQ(w.desktop.log, (std::vector<std::string>{"help closed", "open file:///games/quillon.htm"}));
  QTest::mouseClick(w.find<QLabel>("Image6"), Qt::LeftButton);
  EXPECT_EQ(w.desktop.log.back(), "open file:///games/more.htm");
}

// The text itself is a constant; what is built is the address and e-mail put in.
TEST(HelpWindow, ShowsTheTextWithTheAddressAndEmailPutIn) {
  const std::string text = help_text({"file:///p/quillon.htm", "me@example.com"});
  EXPECT_EQ(text.find('{'), std::string::npos);
  EXPECT_NE(text.find("可以用“openIE[file:///p/quillon.htm]”的形式打开"), std::string::npos);
  EXPECT_TRUE(text.ends_with("发到me@example.com，我一定有信必复。欢迎大家访问我的网站：file:///p/quillon.htm\r\n"));

  HelpWindow window({"file:///p/quillon.htm", "me@example.com"});
  auto* box = window.findChild<QPlainTextEdit*>("Text1");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->document()->blockCount(), 75);
}

}  // namespace
}  // namespace quillon
