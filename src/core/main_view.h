#pragma once

// What the window logic needs from the main window's widgets. The Qt window
// implements it; tests use a plain fake.

#include <optional>
#include <string>
#include <vector>

namespace quillon {

// The controls the window logic switches on and off.
enum class Control {
  AddPhraseButton,
  AddGameButton,
  DeleteGameButton,
  DeletePhraseButton,
  VoiceCommandsButton,
  TestButton,
  GameList,
  RecognizerBox,
};

class MainView {
 public:
  virtual ~MainView() = default;

  // The game list.
  virtual void set_games(const std::vector<std::string>& games) = 0;
  virtual void add_game(const std::string& game) = 0;
  virtual std::optional<int> selected_game_row() const = 0;
  virtual std::string game_at(int row) const = 0;
  virtual int game_count() const = 0;
  virtual void select_game_row(int row) = 0;
  virtual void remove_game_row(int row) = 0;

  // The phrase list: one "phrase(action)" item per entry of the game's file.
  virtual void clear_phrases() = 0;
  virtual void add_phrase(const std::string& item) = 0;
  virtual std::vector<std::string> phrases() const = 0;
  virtual std::optional<int> selected_phrase_row() const = 0;
  virtual void remove_phrase_row(int row) = 0;
  // Marks a row whose phrase the user taught (its text stays as it is).
  virtual void set_phrase_taught(int row, bool taught) = 0;

  // The recogniser box: the installed recognisers, the one in use shown.
  virtual void set_recognizers(const std::vector<std::string>& names) = 0;
  virtual std::string shown_recognizer() const = 0;
  virtual std::vector<std::string> recognizers() const = 0;

  // The boxes of a new phrase, its action, and a new game's name.
  virtual std::string phrase_text() const = 0;
  virtual std::string action_text() const = 0;
  virtual std::string game_name_text() const = 0;
  virtual void set_phrase_text(const std::string& text) = 0;
  virtual void set_action_text(const std::string& text) = 0;

  // The status line, the captions of the voice-commands and test buttons,
  // and which controls are enabled.
  virtual void set_status(const std::string& text) = 0;
  virtual void set_start_caption(const std::string& text) = 0;
  virtual void set_test_caption(const std::string& text) = 0;
  virtual void set_enabled(Control control, bool enabled) = 0;
  virtual bool is_enabled(Control control) const = 0;

  // The test mode's feedback box. Every change of its text (re)starts its
  // clearing timer, whose tick calls MainController::on_feedback_timer.
  virtual void set_feedback_visible(bool visible) = 0;
  virtual void set_feedback_text(const std::string& text) = 0;
  virtual void stop_feedback_timer() = 0;

  // The rules listen (voice commands or test mode): the window shows the
  // microphone's level, polling MainController::capture_level(), and keeps
  // the microphone choice for when they stop.
  virtual void set_listening(bool listening) = 0;

  // The page view of the window.
  virtual void show_local_page(const std::string& path) = 0;
};

}  // namespace quillon
