#pragma once

// The main window. It places every control where the form put it, under the
// form's names (see the form:: table in main_window.cpp), and forwards each control's
// event to the window logic (MainController).

#include <QWidget>
#include <functional>

#include "core/main_view.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QAction;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTextBrowser;
class QTimer;

namespace quillon {

class MainController;

// A picture that acts as a button.
class PictureButton;
class MicrophoneBox;

struct ComposerHooks {
  // Returns the chosen path, or nothing when the dialog was cancelled.
  std::function<std::optional<QString>()> choose_file;
  // Whether a chosen file is a program although its name does not say so.
  std::function<bool(const QString&)> is_program;
  std::function<void()> show_help;
  std::function<void(const std::string&)> show_note;
};

class MainWindow : public QWidget, public MainView {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);

  // Wires the controls' events to the window logic; call once.
  void connect_controller(MainController& controller, ComposerHooks hooks);
  // Asked when the window is closed: true lets it close (runs in progress
  // release their keys first), false only hides it (Quillon goes on in the tray).
  void set_on_close(std::function<bool()> on_close) { on_close_ = std::move(on_close); }
  // The game list's right-click menu offers the settings dialog through this.
  void set_on_settings(std::function<void()> on_settings);

  MicrophoneBox& microphone_box() { return *microphone_; }

  // Twips to pixels at the screen's logical resolution (1440 twips an inch).
  static int twips(int value);

  // MainView
  void set_games(const std::vector<std::string>& games) override;
  void add_game(const std::string& game) override;
  std::optional<int> selected_game_row() const override;
  std::string game_at(int row) const override;
  int game_count() const override;
  void select_game_row(int row) override;
  void remove_game_row(int row) override;
  void clear_phrases() override;
  void add_phrase(const std::string& item) override;
  std::vector<std::string> phrases() const override;
  std::optional<int> selected_phrase_row() const override;
  void remove_phrase_row(int row) override;
  void set_phrase_taught(int row, bool taught) override;
  void set_recognizers(const std::vector<std::string>& names) override;
  std::string shown_recognizer() const override;
  std::vector<std::string> recognizers() const override;
  std::string phrase_text() const override;
  std::string action_text() const override;
  std::string game_name_text() const override;
  void set_phrase_text(const std::string& text) override;
  void set_action_text(const std::string& text) override;
  void set_status(const std::string& text) override;
  void set_start_caption(const std::string& text) override;
  void set_test_caption(const std::string& text) override;
  void set_enabled(Control control, bool enabled) override;
  bool is_enabled(Control control) const override;
  void set_feedback_visible(bool visible) override;
  void set_feedback_text(const std::string& text) override;
  void stop_feedback_timer() override;
  void set_listening(bool listening) override;
  void show_local_page(const std::string& path) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build_games_group();
  void build_phrases_group();
  void build_window_controls();
  void build_microphone_controls();
  void show_level(std::optional<float> level);
  void connect_pictures(MainController& controller, const ComposerHooks& hooks);
  void build_menus(const ComposerHooks& hooks);
  QWidget* control(Control c) const;
  void append_to_action(const QString& token);
  void build_teaching_actions(MainController& controller);
  void update_teaching_actions();

  // The game side: a new game's name, the recogniser box, the game list, and
  // starting the voice commands.
  QGroupBox* games_group_ = nullptr;
  QLineEdit* game_name_box_ = nullptr;
  QPushButton* add_game_button_ = nullptr;
  QComboBox* recognizer_box_ = nullptr;
  QListWidget* game_list_ = nullptr;
  QPushButton* delete_game_button_ = nullptr;
  QLabel* status_label_ = nullptr;
  QPushButton* voice_commands_button_ = nullptr;

  // The phrase side: the game's phrases, the test mode's feedback, and the
  // boxes and composer pictures of a new phrase.
  QGroupBox* phrases_group_ = nullptr;
  QPushButton* help_button_ = nullptr;
  PictureButton* home_picture_ = nullptr;
  QListWidget* phrase_list_ = nullptr;
  QLineEdit* feedback_box_ = nullptr;
  QPushButton* delete_phrase_button_ = nullptr;
  QLineEdit* phrase_box_ = nullptr;
  QLineEdit* action_box_ = nullptr;
  PictureButton* file_picture_ = nullptr;
  PictureButton* web_picture_ = nullptr;
  PictureButton* mouse_picture_ = nullptr;
  PictureButton* keys_picture_ = nullptr;
  QPushButton* test_button_ = nullptr;
  QPushButton* add_phrase_button_ = nullptr;
  QMenu* mouse_menu_ = nullptr;
  QMenu* keys_menu_ = nullptr;
  // On the phrase list's right-click menu.
  QAction* teach_action_ = nullptr;
  QAction* forget_action_ = nullptr;
  MainController* controller_ = nullptr;

  // The rest of the window.
  QTextBrowser* page_view_ = nullptr;
  PictureButton* upper_banner_ = nullptr;
  PictureButton* lower_banner_ = nullptr;
  QTimer* feedback_timer_ = nullptr;  // clears the feedback a second after it last changed
  MicrophoneBox* microphone_ = nullptr;
  QProgressBar* level_meter_ = nullptr;
  QTimer* level_timer_ = nullptr;
  std::function<bool()> on_close_;
  std::function<void()> on_settings_;
  bool click_chose_ = false;
};

}  // namespace quillon
