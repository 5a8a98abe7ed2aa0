#include "ui/main_window.h"

#include <QAction>
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
#include <QStyle>
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

// A control as the form placed it: its name there, which the widget keeps as
// its objectName (tests and accessibility tools find it by that), and its
// place in twips within its parent.
struct FormControl {
  const char* name;
  int left, top, width, height;
};

// Every control of the window, by what it is for.
namespace form {
constexpr FormControl kWindow{"addform", 0, 0, 8355, 7755};
constexpr FormControl kPageView{"WebBrowser1", 5640, 3960, 2055, 735};
constexpr FormControl kFeedbackTimer{"Timer1", 0, 0, 0, 0};
// The game side.
constexpr FormControl kGamesGroup{"Frame2", 120, 0, 3765, 4815};
constexpr FormControl kGameNameLabel{"Label4", 120, 240, 1575, 375};
constexpr FormControl kGameNameBox{"Text3", 120, 480, 3495, 375};
constexpr FormControl kAddGameButton{"Command2", 120, 840, 3495, 375};
constexpr FormControl kRecognizerBox{"SREngines", 120, 1320, 3495, 300};
constexpr FormControl kGameListLabel{"Label6", 120, 1800, 1935, 375};
constexpr FormControl kGameList{"List2", 120, 2040, 3495, 1500};
constexpr FormControl kDeleteGameButton{"Command3", 120, 3600, 3495, 375};
constexpr FormControl kStatusLabel{"Label5", 120, 4080, 3495, 375};
constexpr FormControl kVoiceCommandsButton{"Command5", 120, 4320, 3495, 375};
// The phrase side.
constexpr FormControl kPhrasesGroup{"Frame1", 3960, 0, 4335, 4815};
constexpr FormControl kHelpButton{"Command7", 120, 120, 1095, 355};
constexpr FormControl kHomePicture{"Image1", 3120, 120, 1125, 690};
constexpr FormControl kPhraseListLabel{"Label3", 120, 600, 2535, 375};
constexpr FormControl kPhraseList{"List1", 120, 840, 4095, 1500};
constexpr FormControl kFeedbackBox{"Text4", 120, 2400, 2055, 375};
constexpr FormControl kDeletePhraseButton{"Command4", 2160, 2400, 2055, 375};
constexpr FormControl kPhraseLabel{"Label1", 120, 2880, 3615, 375};
constexpr FormControl kPhraseBox{"Text1", 120, 3120, 4095, 375};
constexpr FormControl kActionLabel{"Label2", 120, 3600, 3615, 375};
constexpr FormControl kActionBox{"Text2", 120, 3840, 3135, 375};
constexpr FormControl kFilePicture{"Image2", 3300, 3800, 450, 450};
constexpr FormControl kWebPicture{"Image3", 3780, 3800, 480, 480};
constexpr FormControl kMousePicture{"Image4", 3300, 4280, 495, 495};
constexpr FormControl kKeysPicture{"Image5", 3780, 4350, 495, 315};
constexpr FormControl kTestButton{"Command6", 120, 4320, 1695, 375};
constexpr FormControl kAddPhraseButton{"Command1", 1920, 4320, 1335, 375};
constexpr FormControl kGameFileList{"File1", 360, -1080, 1695, 450};  // hidden
constexpr FormControl kMouseMenu{"pop", 0, 0, 0, 0};
constexpr FormControl kKeysMenu{"pop2", 0, 0, 0, 0};
// Below the groups: two banners, and seven hidden text boxes that held the
// shipped vocabularies on the form ("Text5" to "Text11").
constexpr FormControl kUpperBanner{"Image6", 120, 4920, 6900, 1335};
constexpr FormControl kLowerBanner{"Image7", 1320, 6360, 6900, 1335};
constexpr FormControl kFirstBuiltinBox{"Text5", 8400, 0, 1000, 500};
constexpr int kBuiltinBoxes = 7;
// Beside the upper banner, where no control of the form lies.
constexpr FormControl kMicrophoneLabel{"MicrophoneLabel", 7080, 4920, 1215, 240};
constexpr FormControl kMicrophone{"Microphone", 7080, 5160, 1215, 300};
constexpr FormControl kMicrophoneLevel{"MicrophoneLevel", 7080, 5520, 1215, 150};
constexpr FormControl kLevelTimer{"LevelTimer", 0, 0, 0, 0};
constexpr const char* kGameListMenu = "GameListMenu";
}  // namespace form

QString to_qstring(const std::string& text) { return QString::fromStdString(text); }
std::string to_utf8(const QString& text) { return text.toStdString(); }

template <typename W>
W* make(QWidget* parent, const FormControl& control) {
  auto* widget = new W(parent);
  widget->setObjectName(control.name);
  widget->setGeometry(MainWindow::twips(control.left), MainWindow::twips(control.top), MainWindow::twips(control.width),
                      MainWindow::twips(control.height));
  return widget;
}

QLabel* make_label(QWidget* parent, const FormControl& control, const char* caption) {
  auto* label = make<QLabel>(parent, control);
  label->setText(caption);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QPushButton* make_button(QWidget* parent, const FormControl& control, const char* caption, bool orange = false) {
  auto* button = make<QPushButton>(parent, control);
  button->setText(caption);
  if (orange) button->setStyleSheet("QPushButton { background-color: rgb(255, 128, 0); }");
  return button;
}

PictureButton* make_picture(QWidget* parent, const FormControl& control, const char* resource) {
  auto* picture = make<PictureButton>(parent, control);
  picture->setPixmap(QPixmap(resource));
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture->setCursor(Qt::PointingHandCursor);
  return picture;
}

QTimer* make_timer(QObject* parent, const FormControl& control, int interval_ms) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(control.name);
  timer->setInterval(interval_ms);
  return timer;
}

QMenu* make_menu(QWidget* parent, const FormControl& control) {
  auto* menu = new QMenu(control.name, parent);
  menu->setObjectName(control.name);
  return menu;
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
  setObjectName(form::kWindow.name);
  setWindowTitle(text::kWindowCaption);
  setWindowIcon(QIcon(":/pictures/icon.svg"));
  resize(twips(form::kWindow.width), twips(form::kWindow.height));
  // The page view lies under the phrase group, which is drawn over it.
  page_view_ = make<QTextBrowser>(this, form::kPageView);
  page_view_->setFocusPolicy(Qt::NoFocus);
  build_games_group();
  build_phrases_group();
  build_window_controls();
  build_microphone_controls();
  feedback_timer_ = make_timer(this, form::kFeedbackTimer, 1000);
  feedback_timer_->start();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void MainWindow::build_games_group() {
  games_group_ = make<QGroupBox>(this, form::kGamesGroup);
  games_group_->setAutoFillBackground(true);
  make_label(games_group_, form::kGameNameLabel, text::kNewGameNameCaption);
  game_name_box_ = make<QLineEdit>(games_group_, form::kGameNameBox);
  add_game_button_ = make_button(games_group_, form::kAddGameButton, text::kAddCaption);
  recognizer_box_ = make<QComboBox>(games_group_, form::kRecognizerBox);
  recognizer_box_->setEditable(true);
  recognizer_box_->setEditText(form::kRecognizerBox.name);
  make_label(games_group_, form::kGameListLabel, text::kGameListCaption);
  game_list_ = make<QListWidget>(games_group_, form::kGameList);
  delete_game_button_ = make_button(games_group_, form::kDeleteGameButton, text::kDeleteGameCaption);
  status_label_ = make_label(games_group_, form::kStatusLabel, "");
  voice_commands_button_ = make_button(games_group_, form::kVoiceCommandsButton, text::kStartCaptionDesign, true);
}

void MainWindow::build_phrases_group() {
  phrases_group_ = make<QGroupBox>(this, form::kPhrasesGroup);
  phrases_group_->setAutoFillBackground(true);
  help_button_ = make_button(phrases_group_, form::kHelpButton, text::kHelpCaption, true);
  home_picture_ = make_picture(phrases_group_, form::kHomePicture, ":/pictures/logo.svg");
  home_picture_->setCursor(QCursor(QPixmap(":/pictures/house.svg"), 0, 0));
  make_label(phrases_group_, form::kPhraseListLabel, text::kPhraseListCaption);
  phrase_list_ = make<QListWidget>(phrases_group_, form::kPhraseList);
  feedback_box_ = make<QLineEdit>(phrases_group_, form::kFeedbackBox);
  feedback_box_->hide();
  delete_phrase_button_ = make_button(phrases_group_, form::kDeletePhraseButton, text::kDeletePhraseCaption);
  make_label(phrases_group_, form::kPhraseLabel, text::kPhraseCaption);
  phrase_box_ = make<QLineEdit>(phrases_group_, form::kPhraseBox);
  make_label(phrases_group_, form::kActionLabel, text::kActionCaption);
  action_box_ = make<QLineEdit>(phrases_group_, form::kActionBox);
  file_picture_ = make_picture(phrases_group_, form::kFilePicture, ":/pictures/document.svg");
  web_picture_ = make_picture(phrases_group_, form::kWebPicture, ":/pictures/webpage.svg");
  mouse_picture_ = make_picture(phrases_group_, form::kMousePicture, ":/pictures/mouse.svg");
  keys_picture_ = make_picture(phrases_group_, form::kKeysPicture, ":/pictures/keyboard.svg");
  test_button_ = make_button(phrases_group_, form::kTestButton, text::kTestCaptionIdle);
  add_phrase_button_ = make_button(phrases_group_, form::kAddPhraseButton, text::kAddCaption);
  make<QListWidget>(phrases_group_, form::kGameFileList)->hide();
}

void MainWindow::build_window_controls() {
  upper_banner_ = make_picture(this, form::kUpperBanner, ":/pictures/banner1.svg");
  lower_banner_ = make_picture(this, form::kLowerBanner, ":/pictures/banner2.svg");
  for (int n = 0; n < form::kBuiltinBoxes; ++n) {
    const QByteArray name = "Text" + QByteArray::number(5 + n);
    auto* box = make<QPlainTextEdit>(this, {name.constData(), form::kFirstBuiltinBox.left, form::kFirstBuiltinBox.top,
                                            form::kFirstBuiltinBox.width, form::kFirstBuiltinBox.height});
    box->setFocusPolicy(Qt::NoFocus);
    box->hide();
  }
}

void MainWindow::build_microphone_controls() {
  make_label(this, form::kMicrophoneLabel, text::kMicrophoneCaption);
  microphone_ = make<MicrophoneBox>(this, form::kMicrophone);
  level_meter_ = make<QProgressBar>(this, form::kMicrophoneLevel);
  level_meter_->setRange(0, 100);
  level_meter_->setValue(0);
  level_meter_->setTextVisible(false);
  level_meter_->setEnabled(false);
  level_meter_->setToolTip(text::kMicrophoneLevel);
  level_timer_ = make_timer(this, form::kLevelTimer, kLevelPollMs);
}

void MainWindow::connect_controller(MainController& controller, ComposerHooks hooks) {
  MainController* c = &controller;
  // A game is chosen by a click or by moving the selection with the keys; a
  // click that also moved the selection chooses once.
  connect(game_list_, &QListWidget::currentRowChanged, this, [this, c](int row) {
    if (row < 0) return;
    click_chose_ = QApplication::mouseButtons() != Qt::NoButton;
    c->choose_game(row);
  });
  connect(game_list_, &QListWidget::itemClicked, this, [this, c](QListWidgetItem* item) {
    if (std::exchange(click_chose_, false)) return;
    c->choose_game(game_list_->row(item));
  });
  connect(phrase_list_, &QListWidget::currentRowChanged, this, [c](int row) {
    if (row >= 0) c->select_phrase(row);
  });
  connect(add_phrase_button_, &QPushButton::clicked, this, [c] { c->add_phrase(); });
  connect(add_game_button_, &QPushButton::clicked, this, [c] { c->add_game(); });
  connect(delete_game_button_, &QPushButton::clicked, this, [c] { c->delete_game(); });
  connect(delete_phrase_button_, &QPushButton::clicked, this, [c] { c->delete_phrase(); });
  connect(voice_commands_button_, &QPushButton::clicked, this, [c] { c->toggle_voice_commands(); });
  connect(test_button_, &QPushButton::clicked, this, [c] { c->toggle_test_mode(); });
  connect(help_button_, &QPushButton::clicked, this, [c, hooks] {
    if (hooks.show_help) hooks.show_help();
    c->open_home_page();
  });
  // Every change of the feedback box (re)starts the one-second clearing timer.
  connect(feedback_box_, &QLineEdit::textChanged, feedback_timer_, [this] { feedback_timer_->start(); });
  connect(feedback_timer_, &QTimer::timeout, this, [c] { c->on_feedback_timer(); });
  connect(level_timer_, &QTimer::timeout, this, [this, c] { show_level(c->capture_level()); });
  connect_pictures(controller, hooks);
  build_menus(hooks);
  build_teaching_actions(controller);
}

void MainWindow::build_teaching_actions(MainController& controller) {
  controller_ = &controller;
  teach_action_ = new QAction(text::kTeachAction, this);
  teach_action_->setObjectName("TeachAction");
  forget_action_ = new QAction(text::kForgetAction, this);
  forget_action_->setObjectName("ForgetAction");
  connect(teach_action_, &QAction::triggered, this, [this] {
    controller_->teach_phrase();
    update_teaching_actions();
  });
  connect(forget_action_, &QAction::triggered, this, [this] {
    controller_->forget_phrase();
    update_teaching_actions();
  });
  connect(phrase_list_, &QListWidget::currentRowChanged, this, [this] { update_teaching_actions(); });
  phrase_list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(phrase_list_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (QListWidgetItem* item = phrase_list_->itemAt(at)) phrase_list_->setCurrentItem(item);
    update_teaching_actions();
    QMenu menu(this);
    menu.setObjectName("PhraseMenu");
    // A disabled action says why when pointed at.
    menu.setToolTipsVisible(true);
    menu.addAction(teach_action_);
    menu.addAction(forget_action_);
    menu.exec(phrase_list_->viewport()->mapToGlobal(at));
  });
  update_teaching_actions();
}

void MainWindow::update_teaching_actions() {
  const std::optional<int> row = selected_phrase_row();
  const std::optional<std::string> refusal = controller_->teach_refusal();
  teach_action_->setEnabled(row && !refusal);
  teach_action_->setToolTip(refusal ? to_qstring(*refusal) : QString(text::kTeachAction));
  forget_action_->setEnabled(row && phrase_list_->item(*row)->data(Qt::UserRole).toBool());
}

void MainWindow::connect_pictures(MainController& controller, const ComposerHooks& hooks) {
  MainController* c = &controller;
  connect(home_picture_, &PictureButton::clicked, this, [c] { c->open_home_page(); });
  connect(lower_banner_, &PictureButton::clicked, this, [c] { c->open_home_page(); });
  connect(upper_banner_, &PictureButton::clicked, this, [c] { c->open_second_page(); });
  connect(file_picture_, &PictureButton::clicked, this, [this, hooks] {
    if (!hooks.choose_file) return;
    if (const std::optional<QString> path = hooks.choose_file()) {
      const bool program = hooks.is_program && hooks.is_program(*path);
      action_box_->setText(to_qstring(action_for_file(to_utf8(*path), program)));
    }
  });
  connect(web_picture_, &PictureButton::clicked, this, [this] { action_box_->setText(kWebTemplate); });
}

void MainWindow::build_menus(const ComposerHooks& hooks) {
  mouse_menu_ = make_menu(this, form::kMouseMenu);
  keys_menu_ = make_menu(this, form::kKeysMenu);
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
  fill(mouse_menu_, mouse_menu_items());
  fill(keys_menu_, key_menu_items());
  // Each menu drops down below the phrase group, under its picture.
  const auto popup_at = [this](QMenu* menu, double share) {
    const QRect group = phrases_group_->geometry();
    const QPoint at(group.left() + static_cast<int>(share * group.width()), group.top() + group.height());
    menu->popup(mapToGlobal(at));
  };
  connect(mouse_picture_, &PictureButton::clicked, this, [this, popup_at] { popup_at(mouse_menu_, 0.7); });
  connect(keys_picture_, &PictureButton::clicked, this, [this, popup_at] { popup_at(keys_menu_, 0.8); });
}

void MainWindow::append_to_action(const QString& token) { action_box_->setText(action_box_->text() + token); }

void MainWindow::closeEvent(QCloseEvent* event) {
  if (on_close_ && !on_close_()) {
    hide();
    event->ignore();
    return;
  }
  event->accept();
}

void MainWindow::set_on_settings(std::function<void()> on_settings) {
  on_settings_ = std::move(on_settings);
  game_list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(game_list_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.setObjectName(form::kGameListMenu);
    menu.addAction(text::kSettingsMenuItem, this, [this] { on_settings_(); });
    menu.exec(game_list_->viewport()->mapToGlobal(at));
  });
}

// ---- MainView ----------------------------------------------------------------

void MainWindow::set_games(const std::vector<std::string>& games) {
  const QSignalBlocker quiet(game_list_);
  game_list_->clear();
  for (const std::string& game : games) game_list_->addItem(to_qstring(game));
  game_list_->setCurrentRow(-1);
}

void MainWindow::add_game(const std::string& game) { game_list_->addItem(to_qstring(game)); }

std::optional<int> MainWindow::selected_game_row() const {
  const int row = game_list_->currentRow();
  if (row < 0 || !game_list_->item(row)->isSelected()) return std::nullopt;
  return row;
}

std::string MainWindow::game_at(int row) const { return to_utf8(game_list_->item(row)->text()); }
int MainWindow::game_count() const { return game_list_->count(); }
void MainWindow::select_game_row(int row) {
  const QSignalBlocker quiet(game_list_);
  game_list_->setCurrentRow(row);
}

void MainWindow::remove_game_row(int row) {
  const QSignalBlocker quiet(game_list_);
  delete game_list_->takeItem(row);
  game_list_->setCurrentRow(-1);
  game_list_->clearSelection();
}

void MainWindow::clear_phrases() { phrase_list_->clear(); }
void MainWindow::add_phrase(const std::string& item) { phrase_list_->addItem(to_qstring(item)); }

std::vector<std::string> MainWindow::phrases() const {
  std::vector<std::string> items;
  for (int i = 0; i < phrase_list_->count(); ++i) items.push_back(to_utf8(phrase_list_->item(i)->text()));
  return items;
}

std::optional<int> MainWindow::selected_phrase_row() const {
  const int row = phrase_list_->currentRow();
  if (row < 0 || !phrase_list_->item(row)->isSelected()) return std::nullopt;
  return row;
}

void MainWindow::remove_phrase_row(int row) {
  const QSignalBlocker quiet(phrase_list_);
  delete phrase_list_->takeItem(row);
  phrase_list_->setCurrentRow(-1);
  phrase_list_->clearSelection();
}

// Marked beside the text, which the window logic reads back as the phrase.
void MainWindow::set_phrase_taught(int row, bool taught) {
  QListWidgetItem* item = phrase_list_->item(row);
  if (!item) return;
  item->setData(Qt::UserRole, taught);
  item->setIcon(taught ? style()->standardIcon(QStyle::SP_DialogApplyButton) : QIcon());
  item->setToolTip(taught ? QString(text::kTaughtTooltip) : QString());
  if (controller_) update_teaching_actions();
}

void MainWindow::set_recognizers(const std::vector<std::string>& names) {
  recognizer_box_->clear();
  for (const std::string& name : names) recognizer_box_->addItem(to_qstring(name));
  if (!names.empty()) recognizer_box_->setCurrentIndex(0);
}

std::string MainWindow::shown_recognizer() const { return to_utf8(recognizer_box_->currentText()); }

std::vector<std::string> MainWindow::recognizers() const {
  std::vector<std::string> names;
  for (int i = 0; i < recognizer_box_->count(); ++i) names.push_back(to_utf8(recognizer_box_->itemText(i)));
  return names;
}

std::string MainWindow::phrase_text() const { return to_utf8(phrase_box_->text()); }
std::string MainWindow::action_text() const { return to_utf8(action_box_->text()); }
std::string MainWindow::game_name_text() const { return to_utf8(game_name_box_->text()); }
void MainWindow::set_phrase_text(const std::string& text) { phrase_box_->setText(to_qstring(text)); }
void MainWindow::set_action_text(const std::string& text) { action_box_->setText(to_qstring(text)); }
void MainWindow::set_status(const std::string& text) { status_label_->setText(to_qstring(text)); }
void MainWindow::set_start_caption(const std::string& text) { voice_commands_button_->setText(to_qstring(text)); }
void MainWindow::set_test_caption(const std::string& text) { test_button_->setText(to_qstring(text)); }

QWidget* MainWindow::control(Control c) const {
  const std::pair<Control, QWidget*> controls[] = {
      {Control::AddPhraseButton, add_phrase_button_},
      {Control::AddGameButton, add_game_button_},
      {Control::DeleteGameButton, delete_game_button_},
      {Control::DeletePhraseButton, delete_phrase_button_},
      {Control::VoiceCommandsButton, voice_commands_button_},
      {Control::TestButton, test_button_},
      {Control::GameList, game_list_},
      {Control::RecognizerBox, recognizer_box_},
  };
  for (const auto& [which, widget] : controls) {
    if (which == c) return widget;
  }
  return nullptr;
}

void MainWindow::set_enabled(Control c, bool enabled) { control(c)->setEnabled(enabled); }
bool MainWindow::is_enabled(Control c) const { return control(c)->isEnabled(); }
void MainWindow::set_feedback_visible(bool visible) { feedback_box_->setVisible(visible); }
void MainWindow::set_feedback_text(const std::string& text) { feedback_box_->setText(to_qstring(text)); }
void MainWindow::stop_feedback_timer() { feedback_timer_->stop(); }

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

void MainWindow::show_local_page(const std::string& path) {
  page_view_->setSource(QUrl::fromLocalFile(to_qstring(path)));
}

}  // namespace quillon
