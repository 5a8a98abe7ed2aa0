#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "core/composer.h"
#include "core/main_controller.h"
#include "core/texts.h"
#include "ui/microphone_box.h"
#include "ui/picture_button.h"

// Resources of a static library must be registered by hand.
static void init_ui_resources() { Q_INIT_RESOURCE(ui); }

namespace quillon {
namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kLevelPollMs = 100;  // one audio chunk

QString q(const std::string& text) { return QString::fromStdString(text); }
std::string s(const QString& text) { return text.toStdString(); }

void place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(MainWindow::twips(left), MainWindow::twips(top), MainWindow::twips(width),
                      MainWindow::twips(height));
}

template <typename W>
W* make(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* widget = new W(parent);
  widget->setObjectName(name);
  place(widget, left, top, width, height);
  return widget;
}

QLabel* make_label(QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h) {
  auto* label = make<QLabel>(parent, name, l, t, w, h);
  label->setText(caption);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QPushButton* make_button(QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h,
                         bool orange = false) {
  auto* button = make<QPushButton>(parent, name, l, t, w, h);
  button->setText(caption);
  if (orange) button->setStyleSheet("QPushButton { background-color: rgb(255, 128, 0); }");
  return button;
}

PictureButton* make_picture(QWidget* parent, const char* name, const char* resource, int l, int t, int w, int h) {
  auto* picture = make<PictureButton>(parent, name, l, t, w, h);
  picture->setPixmap(QPixmap(resource));
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture->setCursor(Qt::PointingHandCursor);
  return picture;
}

}  // namespace

int MainWindow::twips(int value) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
  return static_cast<int>(value * dpi / kTwipsPerInch + (value >= 0 ? 0.5 : -0.5));
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  init_ui_resources();
  setObjectName("addform");
  setWindowTitle(text::kWindowCaption);
  setWindowIcon(QIcon(":/pictures/icon.svg"));
  resize(twips(8355), twips(7755));
  // The browser panel lies under the phrase group, which is drawn over it.
  web_browser_ = make<QTextBrowser>(this, "WebBrowser1", 5640, 3960, 2055, 735);
  web_browser_->setFocusPolicy(Qt::NoFocus);
  build_games_group();
  build_phrases_group();
  build_window_controls();
  build_microphone_controls();
  timer1_ = new QTimer(this);
  timer1_->setObjectName("Timer1");
  timer1_->setInterval(1000);
  timer1_->start();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void MainWindow::build_games_group() {
  frame2_ = make<QGroupBox>(this, "Frame2", 120, 0, 3765, 4815);
  frame2_->setAutoFillBackground(true);
  make_label(frame2_, "Label4", "新的游戏名字：", 120, 240, 1575, 375);
  text3_ = make<QLineEdit>(frame2_, "Text3", 120, 480, 3495, 375);
  commands_[2] = make_button(frame2_, "Command2", "添加", 120, 840, 3495, 375);
  sr_engines_ = make<QComboBox>(frame2_, "SREngines", 120, 1320, 3495, 300);
  sr_engines_->setEditable(true);
  sr_engines_->setEditText("SREngines");
  make_label(frame2_, "Label6", "游戏列表：", 120, 1800, 1935, 375);
  list2_ = make<QListWidget>(frame2_, "List2", 120, 2040, 3495, 1500);
  commands_[3] = make_button(frame2_, "Command3", "删除选中的游戏", 120, 3600, 3495, 375);
  label5_ = make_label(frame2_, "Label5", "", 120, 4080, 3495, 375);
  commands_[5] = make_button(frame2_, "Command5", text::kStartCaptionDesign, 120, 4320, 3495, 375, true);
}

void MainWindow::build_phrases_group() {
  frame1_ = make<QGroupBox>(this, "Frame1", 3960, 0, 4335, 4815);
  frame1_->setAutoFillBackground(true);
  commands_[7] = make_button(frame1_, "Command7", "软件帮助", 120, 120, 1095, 355, true);
  images_[1] = make_picture(frame1_, "Image1", ":/pictures/logo.svg", 3120, 120, 1125, 690);
  images_[1]->setCursor(QCursor(QPixmap(":/pictures/house.svg"), 0, 0));
  make_label(frame1_, "Label3", "已经添加的语音快捷键：", 120, 600, 2535, 375);
  list1_ = make<QListWidget>(frame1_, "List1", 120, 840, 4095, 1500);
  text4_ = make<QLineEdit>(frame1_, "Text4", 120, 2400, 2055, 375);
  text4_->hide();
  commands_[4] = make_button(frame1_, "Command4", "删除选中的语音快捷键", 2160, 2400, 2055, 375);
  make_label(frame1_, "Label1", "发音词汇：(添加你想读的中文词汇)", 120, 2880, 3615, 375);
  text1_ = make<QLineEdit>(frame1_, "Text1", 120, 3120, 4095, 375);
  make_label(frame1_, "Label2", "快捷键：(如果同时压两个键，用\"+\"号相连)", 120, 3600, 3615, 375);
  text2_ = make<QLineEdit>(frame1_, "Text2", 120, 3840, 3135, 375);
  images_[2] = make_picture(frame1_, "Image2", ":/pictures/document.svg", 3300, 3800, 450, 450);
  images_[3] = make_picture(frame1_, "Image3", ":/pictures/webpage.svg", 3780, 3800, 480, 480);
  images_[4] = make_picture(frame1_, "Image4", ":/pictures/mouse.svg", 3300, 4280, 495, 495);
  images_[5] = make_picture(frame1_, "Image5", ":/pictures/keyboard.svg", 3780, 4350, 495, 315);
  commands_[6] = make_button(frame1_, "Command6", text::kTestCaptionIdle, 120, 4320, 1695, 375);
  commands_[1] = make_button(frame1_, "Command1", "添加", 1920, 4320, 1335, 375);
  file1_ = make<QListWidget>(frame1_, "File1", 360, -1080, 1695, 450);
  file1_->hide();
}

void MainWindow::build_window_controls() {
  images_[6] = make_picture(this, "Image6", ":/pictures/banner1.svg", 120, 4920, 6900, 1335);
  images_[7] = make_picture(this, "Image7", ":/pictures/banner2.svg", 1320, 6360, 6900, 1335);
  for (int n = 5; n <= 11; ++n) {
    const QByteArray name = "Text" + QByteArray::number(n);
    auto* box = make<QPlainTextEdit>(this, name.constData(), 8400, 0, 1000, 500);
    box->setFocusPolicy(Qt::NoFocus);
    box->hide();
    builtin_boxes_.push_back(box);
  }
}

// Beside the upper banner, where no other control lies.
void MainWindow::build_microphone_controls() {
  make_label(this, "MicrophoneLabel", text::kMicrophoneCaption, 7080, 4920, 1215, 240);
  microphone_ = make<MicrophoneBox>(this, "Microphone", 7080, 5160, 1215, 300);
  level_meter_ = make<QProgressBar>(this, "MicrophoneLevel", 7080, 5520, 1215, 150);
  level_meter_->setRange(0, 100);
  level_meter_->setValue(0);
  level_meter_->setTextVisible(false);
  level_meter_->setEnabled(false);
  level_meter_->setToolTip(text::kMicrophoneLevel);
  level_timer_ = new QTimer(this);
  level_timer_->setObjectName("LevelTimer");
  level_timer_->setInterval(kLevelPollMs);
}

void MainWindow::set_builtin_texts(const std::vector<std::string>& texts) {
  for (std::size_t i = 0; i < texts.size() && i < builtin_boxes_.size(); ++i) {
    static_cast<QPlainTextEdit*>(builtin_boxes_[i])->setPlainText(q(texts[i]));
  }
}

void MainWindow::connect_controller(MainController& controller, ComposerHooks hooks) {
  MainController* c = &controller;
  // A game is chosen by a click or by moving the selection with the keys; a
  // click that also moved the selection chooses once.
  connect(list2_, &QListWidget::currentRowChanged, this, [this, c](int row) {
    if (row < 0) return;
    click_chose_ = QApplication::mouseButtons() != Qt::NoButton;
    c->choose_game(row);
  });
  connect(list2_, &QListWidget::itemClicked, this, [this, c](QListWidgetItem* item) {
    if (std::exchange(click_chose_, false)) return;
    c->choose_game(list2_->row(item));
  });
  connect(list1_, &QListWidget::currentRowChanged, this, [c](int row) {
    if (row >= 0) c->select_phrase(row);
  });
  connect(commands_[1], &QPushButton::clicked, this, [c] { c->add_phrase(); });
  connect(commands_[2], &QPushButton::clicked, this, [c] { c->add_game(); });
  connect(commands_[3], &QPushButton::clicked, this, [c] { c->delete_game(); });
  connect(commands_[4], &QPushButton::clicked, this, [c] { c->delete_phrase(); });
  connect(commands_[5], &QPushButton::clicked, this, [c] { c->toggle_voice_commands(); });
  connect(commands_[6], &QPushButton::clicked, this, [c] { c->toggle_test_mode(); });
  connect(commands_[7], &QPushButton::clicked, this, [c, hooks] {
    if (hooks.show_help) hooks.show_help();
    c->open_home_page();
  });
  connect(images_[1], &PictureButton::clicked, this, [c] { c->open_home_page(); });
  connect(images_[7], &PictureButton::clicked, this, [c] { c->open_home_page(); });
  connect(images_[6], &PictureButton::clicked, this, [c] { c->open_second_page(); });
  connect(images_[2], &PictureButton::clicked, this, [this, hooks] {
    if (!hooks.choose_file) return;
    if (const std::optional<QString> path = hooks.choose_file()) {
      const bool program = hooks.is_program && hooks.is_program(*path);
      text2_->setText(q(action_for_file(s(*path), program)));
    }
  });
  connect(images_[3], &PictureButton::clicked, this, [this] { text2_->setText(kWebTemplate); });
  // Every change of the feedback box (re)starts the one-second clearing timer.
  connect(text4_, &QLineEdit::textChanged, timer1_, [this] { timer1_->start(); });
  connect(timer1_, &QTimer::timeout, this, [c] { c->on_feedback_timer(); });
  connect(level_timer_, &QTimer::timeout, this, [this, c] { show_level(c->capture_level()); });
  build_menus(controller, hooks);
}

void MainWindow::build_menus(MainController&, const ComposerHooks& hooks) {
  pop_ = new QMenu("pop", this);
  pop_->setObjectName("pop");
  pop2_ = new QMenu("pop2", this);
  pop2_->setObjectName("pop2");
  const auto fill = [this, hooks](QMenu* menu, std::span<const ComposerItem> items) {
    for (const ComposerItem& item : items) {
      QAction* action = menu->addAction(QString::fromUtf8(item.caption.data(), static_cast<int>(item.caption.size())));
      action->setObjectName(QString::fromUtf8(item.name.data(), static_cast<int>(item.name.size())));
      const QString token = QString::fromUtf8(item.token.data(), static_cast<int>(item.token.size()));
      connect(action, &QAction::triggered, this, [this, token, hooks] {
        if (token.isEmpty()) {
          if (hooks.show_note) hooks.show_note(kKeyNameNote);
        } else {
          append_to_action(token);
        }
      });
    }
  };
  fill(pop_, mouse_menu_items());
  fill(pop2_, key_menu_items());
  const auto popup_at = [this](QMenu* menu, double share) {
    const QRect frame = frame1_->geometry();
    const QPoint at(frame.left() + static_cast<int>(share * frame.width()), frame.top() + frame.height());
    menu->popup(mapToGlobal(at));
  };
  connect(images_[4], &PictureButton::clicked, this, [this, popup_at] { popup_at(pop_, 0.7); });
  connect(images_[5], &PictureButton::clicked, this, [this, popup_at] { popup_at(pop2_, 0.8); });
}

void MainWindow::append_to_action(const QString& token) { text2_->setText(text2_->text() + token); }

void MainWindow::closeEvent(QCloseEvent* event) {
  if (on_close_) on_close_();
  event->accept();
}

// ---- MainView ----------------------------------------------------------------

void MainWindow::set_games(const std::vector<std::string>& games) {
  const QSignalBlocker quiet(list2_);
  list2_->clear();
  file1_->clear();
  for (const std::string& game : games) {
    list2_->addItem(q(game));
    file1_->addItem(q(game + ".xml"));
  }
  list2_->setCurrentRow(-1);
}

void MainWindow::add_game(const std::string& game) { list2_->addItem(q(game)); }

std::optional<int> MainWindow::selected_game_row() const {
  const int row = list2_->currentRow();
  if (row < 0 || !list2_->item(row)->isSelected()) return std::nullopt;
  return row;
}

std::string MainWindow::game_at(int row) const { return s(list2_->item(row)->text()); }
int MainWindow::game_count() const { return list2_->count(); }
void MainWindow::select_game_row(int row) {
  const QSignalBlocker quiet(list2_);
  list2_->setCurrentRow(row);
}

void MainWindow::remove_game_row(int row) {
  const QSignalBlocker quiet(list2_);
  delete list2_->takeItem(row);
  list2_->setCurrentRow(-1);
  list2_->clearSelection();
}

void MainWindow::clear_phrases() { list1_->clear(); }
void MainWindow::add_phrase(const std::string& item) { list1_->addItem(q(item)); }

std::vector<std::string> MainWindow::phrases() const {
  std::vector<std::string> items;
  for (int i = 0; i < list1_->count(); ++i) items.push_back(s(list1_->item(i)->text()));
  return items;
}

std::optional<int> MainWindow::selected_phrase_row() const {
  const int row = list1_->currentRow();
  if (row < 0 || !list1_->item(row)->isSelected()) return std::nullopt;
  return row;
}

void MainWindow::remove_phrase_row(int row) {
  const QSignalBlocker quiet(list1_);
  delete list1_->takeItem(row);
  list1_->setCurrentRow(-1);
  list1_->clearSelection();
}

void MainWindow::set_recognizers(const std::vector<std::string>& names) {
  sr_engines_->clear();
  for (const std::string& name : names) sr_engines_->addItem(q(name));
  if (!names.empty()) sr_engines_->setCurrentIndex(0);
}

std::string MainWindow::shown_recognizer() const { return s(sr_engines_->currentText()); }

std::vector<std::string> MainWindow::recognizers() const {
  std::vector<std::string> names;
  for (int i = 0; i < sr_engines_->count(); ++i) names.push_back(s(sr_engines_->itemText(i)));
  return names;
}

std::string MainWindow::phrase_text() const { return s(text1_->text()); }
std::string MainWindow::action_text() const { return s(text2_->text()); }
std::string MainWindow::game_name_text() const { return s(text3_->text()); }
void MainWindow::set_phrase_text(const std::string& text) { text1_->setText(q(text)); }
void MainWindow::set_action_text(const std::string& text) { text2_->setText(q(text)); }
void MainWindow::set_status(const std::string& text) { label5_->setText(q(text)); }
void MainWindow::set_start_caption(const std::string& text) { commands_[5]->setText(q(text)); }
void MainWindow::set_test_caption(const std::string& text) { commands_[6]->setText(q(text)); }

QWidget* MainWindow::control(Control c) const {
  switch (c) {
    case Control::Command1:
      return commands_.at(1);
    case Control::Command2:
      return commands_.at(2);
    case Control::Command3:
      return commands_.at(3);
    case Control::Command4:
      return commands_.at(4);
    case Control::Command5:
      return commands_.at(5);
    case Control::Command6:
      return commands_.at(6);
    case Control::List2:
      return list2_;
    case Control::SREngines:
      return sr_engines_;
  }
  return nullptr;
}

void MainWindow::set_enabled(Control c, bool enabled) { control(c)->setEnabled(enabled); }
bool MainWindow::is_enabled(Control c) const { return control(c)->isEnabled(); }
void MainWindow::set_feedback_visible(bool visible) { text4_->setVisible(visible); }
void MainWindow::set_feedback_text(const std::string& text) { text4_->setText(q(text)); }
std::string MainWindow::feedback_text() const { return s(text4_->text()); }
void MainWindow::stop_feedback_timer() { timer1_->stop(); }

void MainWindow::set_listening(bool listening) {
  microphone_->set_listening(listening);
  if (listening) {
    level_timer_->start();
  } else {
    level_timer_->stop();
    show_level(std::nullopt);
  }
}

// An engine that hears no sound itself leaves the meter empty and grey.
void MainWindow::show_level(std::optional<float> level) {
  level_meter_->setEnabled(level.has_value());
  level_meter_->setValue(static_cast<int>(level.value_or(0.0f) * 100.0f + 0.5f));
}

void MainWindow::show_local_page(const std::string& path) { web_browser_->setSource(QUrl::fromLocalFile(q(path))); }

}  // namespace quillon
