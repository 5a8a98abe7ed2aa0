// The main window's controls: names, kinds, captions, places and visibility,
// and the widgets' wiring to the window logic.

#include <gtest/gtest.h>

#include <algorithm>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
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

struct ControlRow {
  const char* name;
  const char* kind;
  const char* parent;
  int left, top, width, height;
  const char* caption;  // nullptr: not checked
  bool visible;
};

const ControlRow kControls[] = {
    {"Frame2", "QGroupBox", "addform", 120, 0, 3765, 4815, "", true},
    {"Frame1", "QGroupBox", "addform", 3960, 0, 4335, 4815, "", true},
    {"Label4", "QLabel", "Frame2", 120, 240, 1575, 375, "新的游戏名字：", true},
    {"Text3", "QLineEdit", "Frame2", 120, 480, 3495, 375, "", true},
    {"Command2", "QPushButton", "Frame2", 120, 840, 3495, 375, "添加", true},
    {"SREngines", "QComboBox", "Frame2", 120, 1320, 3495, 300, "SREngines", true},
    {"Label6", "QLabel", "Frame2", 120, 1800, 1935, 375, "游戏列表：", true},
    {"List2", "QListWidget", "Frame2", 120, 2040, 3495, 1500, nullptr, true},
    {"Command3", "QPushButton", "Frame2", 120, 3600, 3495, 375, "删除选中的游戏", true},
    {"Label5", "QLabel", "Frame2", 120, 4080, 3495, 375, "", true},
    {"Command5", "QPushButton", "Frame2", 120, 4320, 3495, 375, "打开这个游戏的语音命令开始玩游戏", true},
    {"Command7", "QPushButton", "Frame1", 120, 120, 1095, 355, "软件帮助", true},
    {"Image1", "quillon::PictureButton", "Frame1", 3120, 120, 1125, 690, nullptr, true},
    {"Label3", "QLabel", "Frame1", 120, 600, 2535, 375, "已经添加的语音快捷键：", true},
    {"List1", "QListWidget", "Frame1", 120, 840, 4095, 1500, nullptr, true},
    {"Text4", "QLineEdit", "Frame1", 120, 2400, 2055, 375, "", false},
    {"Command4", "QPushButton", "Frame1", 2160, 2400, 2055, 375, "删除选中的语音快捷键", true},
    {"Label1", "QLabel", "Frame1", 120, 2880, 3615, 375, "发音词汇：(添加你想读的中文词汇)", true},
    {"Text1", "QLineEdit", "Frame1", 120, 3120, 4095, 375, "", true},
    {"Label2", "QLabel", "Frame1", 120, 3600, 3615, 375, "快捷键：(如果同时压两个键，用\"+\"号相连)", true},
    {"Text2", "QLineEdit", "Frame1", 120, 3840, 3135, 375, "", true},
    {"Image2", "quillon::PictureButton", "Frame1", 3300, 3800, 450, 450, nullptr, true},
    {"Image3", "quillon::PictureButton", "Frame1", 3780, 3800, 480, 480, nullptr, true},
    {"Image4", "quillon::PictureButton", "Frame1", 3300, 4280, 495, 495, nullptr, true},
    {"Image5", "quillon::PictureButton", "Frame1", 3780, 4350, 495, 315, nullptr, true},
    {"Command6", "QPushButton", "Frame1", 120, 4320, 1695, 375, "开始测试游戏词汇", true},
    {"Command1", "QPushButton", "Frame1", 1920, 4320, 1335, 375, "添加", true},
    {"File1", "QListWidget", "Frame1", 360, -1080, 1695, 450, nullptr, false},
    {"WebBrowser1", "QTextBrowser", "addform", 5640, 3960, 2055, 735, nullptr, true},
    {"Image6", "quillon::PictureButton", "addform", 120, 4920, 6900, 1335, nullptr, true},
    {"Image7", "quillon::PictureButton", "addform", 1320, 6360, 6900, 1335, nullptr, true},
};

QString caption_of(QWidget* w) {
  if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return {};
}

TEST(MainWindowLayout, EveryControlHasItsNameKindCaptionPlaceAndVisibility) {
  MainWindow window;
  window.show();
  EXPECT_EQ(window.objectName(), "addform");
  EXPECT_EQ(window.windowTitle(), "Quillon8.0版");
  EXPECT_EQ(window.size(), QSize(MainWindow::twips(8355), MainWindow::twips(7755)));
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  for (const ControlRow& row : kControls) {
    auto* w = window.findChild<QWidget*>(row.name);
    ASSERT_NE(w, nullptr) << row.name;
    EXPECT_STREQ(w->metaObject()->className(), row.kind) << row.name;
    EXPECT_EQ(w->parentWidget()->objectName(), row.parent) << row.name;
    EXPECT_EQ(w->geometry(), QRect(MainWindow::twips(row.left), MainWindow::twips(row.top),
                                   MainWindow::twips(row.width), MainWindow::twips(row.height)))
        << row.name;
    if (row.caption) {
      EXPECT_EQ(caption_of(w), QString::fromUtf8(row.caption)) << row.name;
    }
    EXPECT_EQ(w->isVisible(), row.visible) << row.name;
  }
  for (const char* orange : {"Command5", "Command7"}) {
    EXPECT_TRUE(window.findChild<QPushButton*>(orange)->styleSheet().contains("rgb(255, 128, 0)"));
  }
  for (int n = 5; n <= 11; ++n) {
    auto* box = window.findChild<QPlainTextEdit*>(QString("Text%1").arg(n));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(box->focusPolicy(), Qt::NoFocus);
    EXPECT_GE(box->x(), MainWindow::twips(8400));
  }
  auto* timer = window.findChild<QTimer*>("Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 1000);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(window.findChild<QLabel*>("Image1")->pixmap().size(), QSize(75, 46));
  EXPECT_EQ(window.findChild<QLabel*>("Image6")->pixmap().size(), QSize(460, 89));
  EXPECT_EQ(window.findChild<QLabel*>("Image5")->pixmap().size(), QSize(33, 21));
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
  for (const char* item : {"Key5", "Key02", "Key1", "Key01", "Key12"}) pop2->findChild<QAction*>(item)->trigger();
  EXPECT_EQ(action->text(), "Enter*Space+{n}");
  action->setText("Enter*Space");
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

TEST(MainWindowWiring, MenusListTheirItemsInOrder) {
  Wired w;
  QStringList names;
  for (QAction* a : w.find<QMenu>("pop2")->actions()) names << a->objectName();
  EXPECT_EQ(names, (QStringList{"Key03", "Key01", "Key02", "Key1", "Key2", "Key3", "Key4", "Key5", "Key6", "Key7",
                                "Key8", "Key9", "Key10", "Key11", "Key12"}));
  EXPECT_EQ(w.find<QMenu>("pop")->actions().size(), 12);
  EXPECT_EQ(w.find<QMenu>("pop")->actions().front()->text(), "鼠标左键单击");
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

// The paragraph on what to do before first use matches the start-up advice:
// the Windows speech platform's Control Panel, or Quillon's own steps.
TEST(HelpWindow, BeforeFirstUseSendsTheUserWhereTheirEngineIsSetUp) {
  const struct {
    bool speech_platform;
    const char* paragraph;
  } rows[] = {{true, text::kHelpBeforeUse}, {false, text::kHelpBeforeUseOwnEngine}};
  for (const auto& row : rows) {
    HelpAddresses addresses{"file:///p/quillon.htm", "me@example.com"};
    addresses.speech_platform = row.speech_platform;
    const std::string text = help_text(addresses);
    const std::string heading = "1.软件使用前：\r\n";
    const std::size_t at = text.find(heading);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text.substr(at + heading.size(), text.find("\r\n", at + heading.size()) - at - heading.size()),
              std::string("    ") + row.paragraph);
    EXPECT_EQ(text.find("控制面板") != std::string::npos, row.speech_platform);
  }
}

TEST(HelpWindow, HoldsTheFullTextLineByLine) {
  const std::string text = help_text({"file:///p/quillon.htm", "me@example.com"});
  std::vector<std::string> lines;
  for (std::size_t from = 0, at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2) {
    lines.push_back(text.substr(from, at - from));
  }
  ASSERT_EQ(lines.size(), 77u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_EQ(lines[0], "安装指南：");
  EXPECT_EQ(lines[11], std::string(34, '-'));
  EXPECT_EQ(
      lines[36],
      "    "
      "(3)如果一个键需要压下一段时间,用“!”连时间，时间的单位是毫秒。例如一个向上键需要压下1秒，就写成“Up!1000”即可。");
  EXPECT_EQ(
      lines[42],
      "    "
      "(6)如果要打开一个网址，可以用“openIE[file:///p/quillon.htm]”的形式打开，方括号中的内容修改成自己的网址即可。");
  EXPECT_TRUE(lines[52].starts_with("    (11)一条语音快捷键可以带一个数字")) << lines[52];
  EXPECT_EQ(lines[76],
            "欢迎大家把使用过程中遇到的问题和改进意见发到me@example.com，我一定有信必复。欢迎大家访问我的网站：file:///"
            "p/quillon.htm");
  for (const char* placeholder : {"{HOME}", "{MAIL}", "{ENGINE}", "{SDK}", "{LANGPACK}", "{BEFORE_USE}"}) {
    EXPECT_EQ(text.find(placeholder), std::string::npos) << placeholder;
  }

  HelpWindow window({"file:///p/quillon.htm", "me@example.com"});
  EXPECT_EQ(window.windowTitle(), "帮助");
  auto* box = window.findChild<QPlainTextEdit*>("Text1");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->document()->blockCount(), 77);
  EXPECT_DOUBLE_EQ(box->font().pointSizeF(), 10.5);
}

}  // namespace
}  // namespace quillon
