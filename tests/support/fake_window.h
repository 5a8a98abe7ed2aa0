#pragma once

// Fakes of the main window's widgets, the program folder and the recogniser,
// writing into the same transcript as the recording platform so that tests can
// check the order of everything the window logic does.

#include <algorithm>
#include <map>
#include <set>

#include "core/main_view.h"
#include "speech/recognizer.h"
#include "support/recording_platform.h"
#include "support/vocab_samples.h"
#include "vocabulary/vocabulary_store.h"

namespace quillon::testing {

class FakeView : public MainView {
 public:
  explicit FakeView(std::vector<std::string>& log) : log_(log) {}

  std::vector<std::string> games_list, phrase_list, recognizer_list;
  std::optional<int> game_row, phrase_row;
  int shown_recognizer_row = 0;
  std::string phrase, action, game_name, status, start_caption = "打开这个游戏的语音命令开始玩游戏",
                                                 test_caption = "开始测试游戏词汇", feedback, page;
  bool feedback_visible = false;
  bool timer_running = true;
  bool listening = false;
  std::map<Control, bool> enabled;
  std::set<int> taught_rows;

  void set_games(const std::vector<std::string>& games) override {
    games_list = games;
    log_.push_back("games " + std::to_string(games.size()));
  }
  void add_game(const std::string& game) override { games_list.push_back(game); }
  std::optional<int> selected_game_row() const override { return game_row; }
  std::string game_at(int row) const override { return games_list.at(static_cast<std::size_t>(row)); }
  int game_count() const override { return static_cast<int>(games_list.size()); }
  void select_game_row(int row) override { game_row = row; }
  void remove_game_row(int row) override {
    games_list.erase(games_list.begin() + row);
    game_row.reset();
  }
  void clear_phrases() override {
    phrase_list.clear();
    taught_rows.clear();
    phrase_row.reset();
  }
  void add_phrase(const std::string& item) override { phrase_list.push_back(item); }
  std::vector<std::string> phrases() const override { return phrase_list; }
  void set_phrase_taught(int row, bool taught) override {
    if (taught) {
      taught_rows.insert(row);
    } else {
      taught_rows.erase(row);
    }
  }
  std::optional<int> selected_phrase_row() const override { return phrase_row; }
  void remove_phrase_row(int row) override {
    phrase_list.erase(phrase_list.begin() + row);
    std::set<int> shifted;
    for (const int taught : taught_rows) {
      if (taught != row) shifted.insert(taught > row ? taught - 1 : taught);
    }
    taught_rows = shifted;
    phrase_row.reset();
  }
  void set_recognizers(const std::vector<std::string>& names) override {
    recognizer_list = names;
    shown_recognizer_row = 0;
  }
  std::string shown_recognizer() const override {
    return recognizer_list.empty() ? "" : recognizer_list.at(static_cast<std::size_t>(shown_recognizer_row));
  }
  std::vector<std::string> recognizers() const override { return recognizer_list; }
  std::string phrase_text() const override { return phrase; }
  std::string action_text() const override { return action; }
  std::string game_name_text() const override { return game_name; }
  void set_phrase_text(const std::string& text) override { phrase = text; }
  void set_action_text(const std::string& text) override { action = text; }
  void set_status(const std::string& text) override { status = text; }
  void set_start_caption(const std::string& text) override { start_caption = text; }
  void set_test_caption(const std::string& text) override { test_caption = text; }
  void set_enabled(Control control, bool on) override { enabled[control] = on; }
  bool is_enabled(Control control) const override {
    const auto found = enabled.find(control);
    return found == enabled.end() || found->second;
  }
  void set_feedback_visible(bool visible) override { feedback_visible = visible; }
  void set_feedback_text(const std::string& text) override {
    feedback = text;
    timer_running = true;
  }
  void stop_feedback_timer() override { timer_running = false; }
  void set_listening(bool on) override { listening = on; }
  void show_local_page(const std::string& path) override {
    page = path;
    log_.push_back("page " + path);
  }

 private:
  std::vector<std::string>& log_;
};

// An in-memory program folder.
class FakeStore : public VocabularyStore {
 public:
  std::map<std::string, std::string> files;  // game → UTF-8 text as stored
  std::set<std::string> broken_reads, failing_writes, undeletable;
  bool builtins_written = false;

  std::string path_of(const std::string& game) const override { return "/games/" + game + ".xml"; }
  std::vector<std::string> list_games() const override {
    std::vector<std::string> names;
    for (const auto& [name, text] : files) names.push_back(name);
    return names;
  }
  StoreResult write_builtins() override {
    builtins_written = true;
    return {};
  }
  std::string home_page_address() const override { return "file:///games/quillon.htm"; }
  std::string second_page_address() const override { return "file:///games/more.htm"; }
  std::string ad_page_path() const override { return "/games/ad1.htm"; }
  VocabularyRead read(const std::string& game) const override {
    const auto found = files.find(game);
    if (found == files.end() || broken_reads.count(game)) return {false, "", "", "cannot read " + game};
    return {true, found->second, "", ""};
  }
  StoreResult write(const std::string& game, const std::string& text) override {
    if (failing_writes.count(game)) return {false, "cannot write " + game};
    files[game] = text + "\r\n";
    return {};
  }
  std::string first_unencodable(const std::string& text) const override {
    const std::size_t at = text.find("\xF0");  // four-byte UTF-8: outside GBK
    return at == std::string::npos ? "" : text.substr(at, 4);
  }
  CreateGameResult create_game(const std::string& name) override {
    if (name.find('/') != std::string::npos) return {GameCreation::Refused, "bad name"};
    if (files.count(name)) return {GameCreation::Exists, ""};
    files[name] = kEmptyGame;
    return {};
  }
  StoreResult delete_game(const std::string& game) override {
    if (undeletable.count(game)) return {false, "cannot delete " + game};
    files.erase(game);
    return {};
  }

  static inline const std::string kEmptyGame = vocabulary("");
};

// A recogniser whose calls can be made to fail one by one.
class FakeRecognizer : public Recognizer {
 public:
  explicit FakeRecognizer(std::vector<std::string>& log) : log_(log) {}

  std::vector<std::string> names{"Quillon 测试 中文识别器"};
  std::set<std::string> failing;  // "context", "grammar", "interest", "load", "activate", "deactivate"
  std::vector<std::string> unsupported;
  std::string missing_device;             // activation fails because this capture device cannot be opened
  WavFault audio_fault = WavFault::none;  // activation fails because kAudioFile has this fault
  static inline const std::string kAudioFile = "/recordings/take.wav";
  std::optional<float> level;
  std::string capture_device = "default";
  std::vector<std::string> alike;  // what sounds like any phrase, where among the others asked about
  bool active = false;
  bool stand_in = false;         // runs because a better engine's model is missing
  bool speech_platform = false;  // set up in the Windows speech platform's Control Panel
  std::string loaded;
  std::string refused_file;  // loading this path fails
  RecognitionListener* listener = nullptr;

  SpeechStatus create_context() override { return step("context"); }
  std::vector<std::string> recognizer_names() const override { return names; }
  SpeechStatus init_grammar() override { return step("grammar"); }
  SpeechStatus add_event_interest(SpeechEvent) override { return step("interest"); }
  GrammarLoad load_grammar(const std::string& path) override {
    GrammarLoad load{step("load"), unsupported};
    if (path == refused_file) load.status = SpeechStatus::failure("refused " + path);
    if (load.status.ok) loaded = path;
    return load;
  }
  SpeechStatus set_rules_active(bool on) override {
    SpeechStatus status = step(on ? "activate" : "deactivate");
    if (on && !missing_device.empty()) status = SpeechStatus::no_capture_device(missing_device, "no such device");
    if (on && audio_fault != WavFault::none) status = SpeechStatus::unusable_audio_file(kAudioFile, audio_fault, "bad");
    if (status.ok) active = on;
    return status;
  }
  void set_listener(RecognitionListener* l) override { listener = l; }
  std::optional<float> capture_level() const override { return level; }
  void set_capture_device(const std::string& device) override { capture_device = device; }
  std::vector<std::string> phrases_alike(const std::string&, const std::vector<std::string>& others) const override {
    std::vector<std::string> out;
    for (const auto& other : others)
      if (std::find(alike.begin(), alike.end(), other) != alike.end()) out.push_back(other);
    return out;
  }
  bool stands_in_for_missing_model() const override { return stand_in; }
  bool set_up_by_speech_platform() const override { return speech_platform; }

  // Teaching: scripted results for the takes, in order; what it was given.
  bool teachable = true;
  std::vector<TakeHearing> hearings;
  std::size_t takes_heard = 0;
  std::vector<std::string> others_given;
  TaughtVoice taught_given;
  int taught_voice_set = 0;
  bool can_be_taught() const override { return teachable; }
  std::optional<TakeHearing> hear_take(const std::string&, const std::vector<float>&,
                                       const std::vector<std::string>& others, const TaughtVoice& taught) override {
    others_given = others;
    taught_given = taught;
    if (takes_heard >= hearings.size()) return std::nullopt;
    return hearings[takes_heard++];
  }
  void set_taught_voice(const TaughtVoice& taught) override {
    taught_given = taught;
    ++taught_voice_set;
  }

 private:
  SpeechStatus step(const std::string& what) {
    log_.push_back("speech " + what);
    return failing.count(what) ? SpeechStatus::failure(what + " failed") : SpeechStatus::success();
  }
  std::vector<std::string>& log_;
};

}  // namespace quillon::testing
