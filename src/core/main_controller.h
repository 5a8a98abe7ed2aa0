#pragma once

// The main window's behaviour without its widgets: start-up, choosing a game,
// voice commands, test mode, and editing phrases and games. Every handler runs
// on the GUI thread; no failure leaves a handler.

#include <functional>
#include <string>

#include "commands/dispatcher.h"
#include "core/main_view.h"
#include "core/window_logic_observer.h"
#include "speech/recognizer.h"
#include "speech/taught_voice_file.h"
#include "vocabulary/vocabulary_store.h"

namespace quillon {

struct WindowState {
  bool rule_active = false;
  bool grammar_loaded = false;
  bool test_mode = false;
  std::string vocab_text;
  std::string current_game;
};

// True when the name contains "chinese" (any case) or "中文".
bool is_chinese_recognizer(const std::string& name);

// Whether the engine is set up and trained in the Windows speech platform's
// Control Panel, so that the advice sends the user there; false without an
// engine, which only happens away from that platform.
bool set_up_by_speech_platform(const Recognizer* recognizer);

// One phrase to teach, for the dialog that records the takes. `hear` judges
// one recorded take (16 kHz mono); it may be called from any one thread at a
// time, and holds copies of all it needs.
struct TeachRequest {
  std::string phrase;
  std::function<std::optional<TakeHearing>(const std::vector<float>& samples)> hear;
};

// Records and judges takes until the user is done: the kept takes, none when
// the user cancelled.
using Teacher = std::function<std::vector<TaughtTake>(const TeachRequest& request)>;

class MainController : public RecognitionListener {
 public:
  // `recognizer` may be null: no speech engine is installed.
  MainController(MainView& view, Recognizer* recognizer, VocabularyStore& store, Platform platform);

  void start_up(bool show_intro);
  // The game and --listen of the command line, once the window shows: chooses
  // `game` as a click on the game list would, then starts its voice commands
  // when `listen`. False when there is no such game.
  bool open_game_at_start(const std::string& game, bool listen);
  // The controls' events, by what the user did.
  void choose_game(int row);
  // As a click on the game named `game`; nothing when there is none. While
  // voice commands run, its vocabulary is used at once (see use_game).
  void choose_game(const std::string& game);
  // Switches to `game`'s vocabulary while voice commands run, keeping them
  // running, with no message box; false (the vocabulary in use unchanged)
  // when the game or its file cannot be used.
  bool use_game(const std::string& game);
  void toggle_voice_commands();
  // Why toggle_voice_commands() would only show a message now, if it would.
  std::optional<std::string> voice_commands_refusal() const;
  void toggle_test_mode();
  void on_feedback_timer();  // a second after the feedback last changed
  void add_phrase();
  void delete_phrase();
  void select_phrase(int row);
  void add_game();
  void delete_game();
  // Teaching the selected phrase's pronunciation, and forgetting it.
  void teach_phrase();
  void forget_phrase();
  // Why teach_phrase() would only show a message now, if it would.
  std::optional<std::string> teach_refusal() const;
  bool is_taught(const std::string& phrase) const { return voice_.count(phrase) > 0; }
  const TaughtVoice& taught_voice() const { return voice_; }
  void open_home_page();    // the logo, the lower banner, and after the help
  void open_second_page();  // the upper banner

  // Called once the audio file given on the command line has been heard and
  // every run it started has ended.
  void set_on_audio_finished(std::function<void()> done) { on_audio_finished_ = std::move(done); }
  // Called instead of the message that names the audio file and its fault
  // when the file cannot be listened to.
  void set_on_audio_unusable(std::function<void()> refused) { on_audio_unusable_ = std::move(refused); }
  // Where what the user taught is kept; set before start_up. Null: nothing is kept.
  void set_taught_voice_store(TaughtVoiceStore* store) { taught_store_ = store; }
  // Runs the teaching dialog; without one, teach_phrase() does nothing.
  void set_teacher(Teacher teacher) { teacher_ = std::move(teacher); }
  // At most one; null to stop telling.
  void set_observer(WindowLogicObserver* observer) { observer_ = observer; }

  void on_recognition(const std::string& text) override;
  void on_taught_recognition(const std::string& text) override;
  void on_false_recognition() override;
  void on_audio_finished() override;

  const WindowState& state() const { return state_; }
  // The games of the game list, in its order.
  std::vector<std::string> game_names() const;
  // The microphone's level while the rules listen (see Recognizer).
  std::optional<float> capture_level() const;

 private:
  bool speech_startup();
  void load_game(const std::string& game);
  bool load_grammar(const std::string& game);
  bool refuse_non_chinese_on_choose();
  std::optional<std::string> selected_game() const;
  // The row of the game list named `game` (the last, should it be there twice).
  std::optional<int> game_row(const std::string& game) const;
  void show_entries();
  void tell_games_changed();
  std::optional<std::string> refusal_for_new_entry(const std::string& phrase, const std::string& action) const;
  void tell_overlaps(const std::string& phrase, const std::vector<std::string>& existing);
  void warn_if_sounds_alike(const std::string& phrase, const std::vector<std::string>& existing);
  void switch_voice_controls();
  void set_test_controls(bool testing);
  void set_rule_active(bool active);
  void report_activation_failure(const SpeechStatus& status);
  void prompt(const std::string& text);
  void load_taught_voice();
  bool taught_voice_changed();
  void mark_taught_rows();
  void restore_listening(bool reloaded);

  MainView& view_;
  Recognizer* recognizer_;
  VocabularyStore& store_;
  Platform platform_;
  WindowState state_;
  Executor executor_;
  Dispatcher dispatcher_;
  int runs_in_progress_ = 0;
  bool audio_finished_ = false;
  std::function<void()> on_audio_finished_;
  std::function<void()> on_audio_unusable_;
  WindowLogicObserver* observer_ = nullptr;
  TaughtVoiceStore* taught_store_ = nullptr;
  TaughtVoice voice_;
  Teacher teacher_;
  bool teaching_ = false;
  bool taught_recognition_ = false;  // the recognition being dispatched came through teaching
};

}  // namespace quillon
