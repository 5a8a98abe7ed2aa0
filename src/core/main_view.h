#pragma once

// What the window logic needs from the main window's widgets, by control name.
// The Qt window implements it; tests use a plain fake.

#include <optional>
#include <string>
#include <vector>

namespace quillon {

enum class Control { Command1, Command2, Command3, Command4, Command5, Command6, List2, SREngines };

class MainView {
 public:
  virtual ~MainView() = default;

  // List2, the game list.
  virtual void set_games(const std::vector<std::string>& games) = 0;
  virtual void add_game(const std::string& game) = 0;
  virtual std::optional<int> selected_game_row() const = 0;
  virtual std::string game_at(int row) const = 0;
  virtual int game_count() const = 0;
  virtual void select_game_row(int row) = 0;
  virtual void remove_game_row(int row) = 0;

  // List1, the phrase list.
  virtual void clear_phrases() = 0;
  virtual void add_phrase(const std::string& item) = 0;
  virtual std::vector<std::string> phrases() const = 0;
  virtual std::optional<int> selected_phrase_row() const = 0;
  virtual void remove_phrase_row(int row) = 0;

  // SREngines, the recogniser box.
  virtual void set_recognizers(const std::vector<std::string>& names) = 0;
  virtual std::string shown_recognizer() const = 0;
  virtual std::vector<std::string> recognizers() const = 0;

  // Text boxes: Text1 phrase, Text2 action, Text3 new game name.
  virtual std::string phrase_text() const = 0;
  virtual std::string action_text() const = 0;
  virtual std::string game_name_text() const = 0;
  virtual void set_phrase_text(const std::string& text) = 0;
  virtual void set_action_text(const std::string& text) = 0;

  // Label5, the captions of Command5 and Command6, enabled states.
  virtual void set_status(const std::string& text) = 0;
  virtual void set_start_caption(const std::string& text) = 0;
  virtual void set_test_caption(const std::string& text) = 0;
  virtual void set_enabled(Control control, bool enabled) = 0;
  virtual bool is_enabled(Control control) const = 0;

  // Text4, the feedback box. Every change of its text (re)starts Timer1, whose
  // tick calls MainController::on_feedback_timer.
  virtual void set_feedback_visible(bool visible) = 0;
  virtual void set_feedback_text(const std::string& text) = 0;
  virtual std::string feedback_text() const = 0;
  virtual void stop_feedback_timer() = 0;

  // The rules listen (voice commands or test mode): the window shows the
  // microphone's level, polling MainController::capture_level(), and keeps
  // the microphone choice for when they stop.
  virtual void set_listening(bool listening) = 0;

  // WebBrowser1.
  virtual void show_local_page(const std::string& path) = 0;
};

}  // namespace quillon
