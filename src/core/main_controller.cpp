#include "core/main_controller.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "commands/number_action.h"
#include "core/teaching.h"
#include "core/texts.h"
#include "vocabulary/ascii_case.h"
#include "vocabulary/number_slot.h"
#include "vocabulary/vocab_text.h"

namespace quillon {
namespace {

// Phrases named in the sounds-alike warning; more are summed up.
constexpr std::size_t kAlikeNamed = 3;

std::string joined_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

// A character that would break the vocabulary file's form: "(" and ")" cannot
// pass through the phrase list, a quote ends the attribute, "<" and "&" make
// the file invalid XML.
std::string first_forbidden(const std::string& text, std::string_view forbidden) {
  const std::size_t at = text.find_first_of(forbidden);
  return at == std::string::npos ? std::string() : std::string(1, text[at]);
}

const char* audio_fault_text(WavFault fault) {
  switch (fault) {
    case WavFault::none:
    case WavFault::unreadable:
      return text::kAudioUnreadable;
    case WavFault::empty:
      return text::kAudioEmpty;
    case WavFault::not_wav:
      return text::kAudioNotWav;
    case WavFault::damaged:
      return text::kAudioDamaged;
    case WavFault::cut_short:
      return text::kAudioCutShort;
    case WavFault::unsupported_encoding:
      return text::kAudioEncoding;
    case WavFault::unsupported_sample_size:
      return text::kAudioSampleSize;
    case WavFault::unsupported_rate:
      return text::kAudioRate;
    case WavFault::unsupported_channels:
      return text::kAudioChannels;
    case WavFault::too_large:
      return text::kAudioTooLarge;
  }
  return text::kAudioUnreadable;
}

std::string quoted(const std::string& name) { return text::kOpenQuote + name + text::kCloseQuote; }

// The first few names, quoted; more are summed up.
std::string quoted_list(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t k = 0; k < names.size() && k < kAlikeNamed; ++k) {
    list += (k == 0 ? "" : text::kListSeparator) + quoted(names[k]);
  }
  if (names.size() > kAlikeNamed) list += text::kAndMore;
  return list;
}

// Why a phrase's number slot or an action's "{n}" cannot be added, if they cannot.
std::optional<std::string> number_refusal(const std::string& phrase, const std::string& action) {
  const std::optional<NumberSlot> slot = number_slot(phrase);
  if (has_bracket(phrase) && !slot) return text::kSlotMalformed;
  if (!slot) {
    if (action.find(kNumberMark) != std::string::npos) return text::kNumberWithoutSlot;
    return std::nullopt;
  }
  const std::optional<int> number = first_number_without_key(action, slot->first, slot->last);
  if (!number) return std::nullopt;
  return text::kNumberNoKeyBefore + std::to_string(*number) + text::kNumberNoKeyAction + with_number(action, *number) +
         text::kNumberNoKeyName + unknown_name_with_number(action, *number).value_or("") + text::kNumberNoKeyAfter;
}

}  // namespace

bool is_chinese_recognizer(const std::string& name) {
  const std::string lower = ascii_lower(name);
  return lower.find("chinese") != std::string::npos || lower.find("中文") != std::string::npos;
}

bool set_up_by_speech_platform(const Recognizer* recognizer) {
  return recognizer && recognizer->set_up_by_speech_platform();
}

MainController::MainController(MainView& view, Recognizer* recognizer, VocabularyStore& store, Platform platform)
    : view_(view),
      recognizer_(recognizer),
      store_(store),
      platform_(platform),
      executor_(platform),
      dispatcher_(
          state_.vocab_text, state_.test_mode, executor_,
          [this](const std::string& phrase) {
            view_.set_feedback_text(taught_recognition_ ? phrase + text::kTaughtRecognitionMark : phrase);
            if (observer_) observer_->heard(phrase, "");
          },
          [this](const std::string& phrase, const std::string& action) {
            if (observer_) observer_->heard(phrase, action);
          },
          [](const std::string& line) { std::fprintf(stderr, "quillon: %s\n", line.c_str()); }) {}

void MainController::prompt(const std::string& text) { platform_.messages.inform(text::kPromptTitle, text); }

// ---- start-up --------------------------------------------------------------

void MainController::start_up(bool show_intro) {
  if (show_intro) {
    platform_.messages.inform(text::kInformationTitle, set_up_by_speech_platform(recognizer_)
                                                           ? text::kStartupAdvice
                                                           : text::kStartupAdviceOwnEngine);
    // A box ended by a request to quit: start nothing more.
    if (platform_.waiter.quitting()) return;
    platform_.shell.open(store_.home_page_address());
  }
  const StoreResult written = store_.write_builtins();
  if (!written.ok) prompt(written.error);
  view_.set_games(store_.list_games());
  tell_games_changed();
  view_.show_local_page(store_.ad_page_path());
  if (!speech_startup()) {
    const char* missing = set_up_by_speech_platform(recognizer_) ? text::kNoEngine : text::kNoEngineOwnEngine;
    platform_.messages.warn(text::kAppTitle, std::string(missing) + "\r\n" + text::kModelDownloadAddress);
  }
  load_taught_voice();
}

// Before any grammar is loaded, so that the first one already uses it.
void MainController::load_taught_voice() {
  if (!taught_store_) return;
  TaughtVoiceLoad load = taught_store_->load();
  if (!load.problem.empty()) {
    std::fprintf(stderr, "quillon: not using what was taught: %s\n", load.problem.c_str());
    prompt(text::kTaughtVoiceDamaged + load.problem);
  }
  voice_ = std::move(load.voice);
  if (recognizer_) recognizer_->set_taught_voice(voice_);
}

bool MainController::speech_startup() {
  state_.rule_active = false;
  state_.grammar_loaded = false;
  if (!recognizer_ || !recognizer_->create_context().ok) return false;
  const std::vector<std::string> names = recognizer_->recognizer_names();
  view_.set_recognizers(names);
  if (names.empty()) return false;
  if (!recognizer_->init_grammar().ok) return false;
  if (!recognizer_->add_event_interest(SpeechEvent::Recognition).ok) return false;
  if (!recognizer_->add_event_interest(SpeechEvent::FalseRecognition).ok) return false;
  recognizer_->set_listener(this);
  if (recognizer_->stands_in_for_missing_model()) prompt(text::kFallbackEngineInUse);
  return true;
}

// ---- choosing a game --------------------------------------------------------

void MainController::choose_game(int row) {
  const std::string game = view_.game_at(row);
  if (game == state_.current_game) return;
  view_.clear_phrases();
  if (refuse_non_chinese_on_choose()) return;
  load_game(game);
}

bool MainController::refuse_non_chinese_on_choose() {
  if (is_chinese_recognizer(view_.shown_recognizer())) return false;
  bool any_chinese = false;
  for (const std::string& name : view_.recognizers()) any_chinese = any_chinese || is_chinese_recognizer(name);
  if (!any_chinese) {
    prompt(text::kNoChineseEngineAtAll);
  } else {
    prompt(set_up_by_speech_platform(recognizer_) ? text::kChooseChineseEngine : text::kChooseChineseEngineInList);
  }
  return true;
}

void MainController::load_game(const std::string& game) {
  const VocabularyRead read = store_.read(game);
  if (!read.ok) {
    prompt(read.error);
    return;
  }
  if (!read.warning.empty()) prompt(read.warning);
  state_.vocab_text = read.text;
  state_.current_game = game;
  show_entries();
  state_.grammar_loaded = load_grammar(game);
  if (!state_.grammar_loaded) platform_.messages.inform(text::kAppTitle, text::kLoadFailed);
  if (observer_) observer_->game_chosen(game);
}

void MainController::show_entries() {
  for (const VocabEntry& entry : list_entries(state_.vocab_text)) view_.add_phrase(list_item(entry));
  mark_taught_rows();
  view_.set_status(std::string(text::kStatusBefore) + state_.current_game + text::kStatusAfter);
}

void MainController::choose_game(const std::string& game) {
  if (teaching_) return;
  // The list is locked while voice commands run; a game chosen from outside
  // the window (the tray) then takes over at once.
  if (state_.rule_active && !state_.test_mode) {
    if (!use_game(game)) platform_.messages.inform(text::kAppTitle, text::kLoadFailed);
    return;
  }
  const std::optional<int> row = game_row(game);
  if (!row || !view_.is_enabled(Control::GameList)) return;
  view_.select_game_row(*row);
  choose_game(*row);
}

// The grammar goes first: should the engine refuse the file, the old one is
// loaded again and nothing else has changed.
bool MainController::use_game(const std::string& game) {
  if (game == state_.current_game) return true;
  if (teaching_) return false;
  const std::optional<int> row = game_row(game);
  if (!row || !recognizer_ || !state_.rule_active) return false;
  const VocabularyRead read = store_.read(game);
  if (!read.ok) return false;
  if (!recognizer_->load_grammar(store_.path_of(game)).status.ok) {
    if (!state_.current_game.empty()) recognizer_->load_grammar(store_.path_of(state_.current_game));
    return false;
  }
  state_.vocab_text = read.text;
  state_.current_game = game;
  state_.grammar_loaded = true;
  view_.select_game_row(*row);
  view_.clear_phrases();
  show_entries();
  if (observer_) observer_->game_chosen(game);
  return true;
}

std::vector<std::string> MainController::game_names() const {
  std::vector<std::string> games;
  for (int row = 0; row < view_.game_count(); ++row) games.push_back(view_.game_at(row));
  return games;
}

void MainController::tell_games_changed() {
  if (observer_) observer_->games_changed(game_names(), state_.current_game);
}

// Loads the game's file into the recogniser, inactive unless rules are active;
// reports phrases the engine cannot listen for.
bool MainController::load_grammar(const std::string& game) {
  if (!recognizer_) return false;
  const GrammarLoad load = recognizer_->load_grammar(store_.path_of(game));
  if (!load.status.ok) return false;
  if (!recognizer_->set_rules_active(false).ok) return false;
  if (state_.rule_active && !recognizer_->set_rules_active(true).ok) return false;
  if (!load.unsupported_phrases.empty()) {
    prompt(text::kCannotListenFor + ("\r\n" + joined_lines(load.unsupported_phrases)));
  }
  return true;
}

std::optional<int> MainController::game_row(const std::string& game) const {
  std::optional<int> row;
  for (int i = 0; i < view_.game_count(); ++i) {
    if (view_.game_at(i) == game) row = i;
  }
  return row;
}

bool MainController::open_game_at_start(const std::string& game, bool listen) {
  if (!game_row(game)) return false;
  choose_game(game);
  if (listen) toggle_voice_commands();
  return true;
}

std::optional<std::string> MainController::selected_game() const {
  const std::optional<int> row = view_.selected_game_row();
  if (!row) return std::nullopt;
  return view_.game_at(*row);
}

// ---- voice commands and test mode -------------------------------------------

std::optional<std::string> MainController::voice_commands_refusal() const {
  if (teaching_) return text::kTeachingNow;
  if (!is_chinese_recognizer(view_.shown_recognizer())) return text::kMustUseChineseEngine;
  if (!view_.selected_game_row()) return text::kChooseGame;
  return std::nullopt;
}

void MainController::toggle_voice_commands() {
  if (const std::optional<std::string> refusal = voice_commands_refusal()) return prompt(*refusal);
  switch_voice_controls();
  if (!state_.grammar_loaded) return;
  if (!state_.rule_active) {
    state_.test_mode = false;
    if (const SpeechStatus status = recognizer_->set_rules_active(true); !status.ok) {
      return report_activation_failure(status);
    }
    set_rule_active(true);
    view_.set_enabled(Control::RecognizerBox, false);
  } else {
    if (const SpeechStatus status = recognizer_->set_rules_active(false); !status.ok) {
      return report_activation_failure(status);
    }
    set_rule_active(false);
    view_.set_enabled(Control::RecognizerBox, true);
  }
  if (observer_) observer_->voice_commands_changed(state_.rule_active);
}

void MainController::set_rule_active(bool active) {
  state_.rule_active = active;
  view_.set_listening(active);
}

std::optional<float> MainController::capture_level() const {
  if (!recognizer_ || !state_.rule_active) return std::nullopt;
  return recognizer_->capture_level();
}

// A capture device that cannot be opened is named, with what to check, and an
// audio file with what is wrong with it; any other failure keeps the general message.
void MainController::report_activation_failure(const SpeechStatus& status) {
  if (!status.audio_file.empty() && on_audio_unusable_) return on_audio_unusable_();
  std::string message = text::kActivationFailed;
  if (!status.audio_file.empty()) {
    message = text::kAudioFileBefore + status.audio_file + text::kAudioFileAfter + audio_fault_text(status.audio_fault);
  } else if (!status.capture_device.empty()) {
    message = text::kNoMicrophoneBefore + status.capture_device + text::kNoMicrophoneAfter;
  }
  platform_.messages.inform(text::kAppTitle, message);
}

void MainController::switch_voice_controls() {
  const bool idle = view_.is_enabled(Control::AddPhraseButton);
  for (Control c : {Control::AddPhraseButton, Control::DeletePhraseButton, Control::TestButton,
                    Control::DeleteGameButton, Control::GameList}) {
    view_.set_enabled(c, !idle);
  }
  view_.set_start_caption(idle ? text::kStartCaptionRunning : text::kStartCaptionIdle);
}

void MainController::toggle_test_mode() {
  if (teaching_) return prompt(text::kTeachingNow);
  if (!view_.selected_game_row()) {
    prompt(text::kChooseGame);
    return;
  }
  if (!state_.grammar_loaded) return;
  const bool starting = !state_.rule_active;
  if (starting) prompt(text::kTestAdvice);
  if (const SpeechStatus status = recognizer_->set_rules_active(starting); !status.ok) {
    return report_activation_failure(status);
  }
  set_rule_active(starting);
  set_test_controls(starting);
  state_.test_mode = starting;
  if (observer_) observer_->test_mode_changed(starting);
}

void MainController::set_test_controls(bool testing) {
  view_.set_test_caption(testing ? text::kTestCaptionRunning : text::kTestCaptionIdle);
  for (Control c : {Control::AddPhraseButton, Control::AddGameButton, Control::DeleteGameButton,
                    Control::DeletePhraseButton, Control::VoiceCommandsButton, Control::GameList}) {
    view_.set_enabled(c, !testing);
  }
  view_.set_feedback_visible(testing);
  view_.set_enabled(Control::RecognizerBox, !testing);
}

void MainController::on_recognition(const std::string& text) {
  ++runs_in_progress_;
  if (observer_) observer_->action_started();
  dispatcher_.on_recognition(text);
  if (observer_) observer_->action_finished();
  --runs_in_progress_;
  if (audio_finished_ && runs_in_progress_ == 0 && on_audio_finished_) on_audio_finished_();
}

void MainController::on_taught_recognition(const std::string& text) {
  taught_recognition_ = true;
  on_recognition(text);
  taught_recognition_ = false;
}

void MainController::on_false_recognition() { view_.set_feedback_text(text::kNotRecognised); }

void MainController::on_feedback_timer() {
  view_.set_feedback_text("");
  view_.stop_feedback_timer();
}

void MainController::on_audio_finished() {
  audio_finished_ = true;
  if (runs_in_progress_ == 0 && on_audio_finished_) on_audio_finished_();
}

// ---- editing phrases -------------------------------------------------------

std::optional<std::string> MainController::refusal_for_new_entry(const std::string& phrase,
                                                                 const std::string& action) const {
  if (const std::string c = first_forbidden(phrase, "()\"<&"); !c.empty()) {
    return text::kPhraseCharacterBefore + c + text::kCharacterAfter;
  }
  if (const std::string c = first_forbidden(action, "\"<&"); !c.empty()) {
    return text::kActionCharacterBefore + c + text::kCharacterAfter;
  }
  if (const std::string c = store_.first_unencodable(phrase + action); !c.empty()) {
    return text::kUnencodableBefore + c + text::kUnencodableAfter;
  }
  return number_refusal(phrase, action);
}

void MainController::add_phrase() {
  const std::string phrase = view_.phrase_text();
  const std::string action = view_.action_text();
  if (phrase.empty()) return prompt(text::kEnterPhrase);
  if (action.empty()) return prompt(text::kEnterAction);
  std::vector<std::string> existing;
  for (const std::string& item : view_.phrases()) {
    existing.push_back(parse_list_item(item).phrase);
    if (existing.back() == phrase) return prompt(text::kDuplicatePhrase);
  }
  const std::optional<std::string> game = selected_game();
  if (!game) return prompt(text::kNoGameForEdit);
  if (auto refusal = refusal_for_new_entry(phrase, action)) return prompt(*refusal);
  const std::string new_text = insert_entry(state_.vocab_text, phrase, action);
  const StoreResult written = store_.write(*game, new_text);
  if (!written.ok) return prompt(written.error);
  state_.vocab_text = new_text;
  view_.add_phrase(list_item({phrase, action}));
  if (is_taught(phrase)) view_.set_phrase_taught(static_cast<int>(view_.phrases().size()) - 1, true);
  state_.grammar_loaded = load_grammar(*game);
  if (!state_.grammar_loaded) return platform_.messages.inform(text::kAppTitle, text::kInvalidAfterEdit);
  tell_overlaps(phrase, existing);
  warn_if_sounds_alike(phrase, existing);
}

// Plain phrases keep what they say over slot phrases, and an earlier slot
// phrase over a later one: the user is told which entry a text now runs.
void MainController::tell_overlaps(const std::string& phrase, const std::vector<std::string>& existing) {
  if (number_slot(phrase)) {
    const std::vector<std::string> taken = expansions_said_before(phrase, existing);
    if (!taken.empty()) prompt(quoted(phrase) + text::kSaidBeforeIn + quoted_list(taken) + text::kSaidBefore);
  } else if (const std::vector<std::string> slots = slots_saying(phrase, existing); !slots.empty()) {
    prompt(quoted(phrase) + text::kAlsoInSlot + quoted_list(slots) + text::kAlsoInSlotAfter);
  }
}

// A warning only: the phrase stays, and the user decides whether to change it.
// Slot phrases are compared by what they say, and named as written; texts
// that two entries say alike were told by tell_overlaps.
void MainController::warn_if_sounds_alike(const std::string& phrase, const std::vector<std::string>& existing) {
  if (!recognizer_) return;
  const HeardPhrases heard = phrases_to_hear(existing);
  std::vector<std::string> others;
  std::unordered_map<std::string, const std::string*> written_of;
  for (std::size_t k = 0; k < heard.said.size(); ++k) {
    if (!heard.acts[k]) continue;
    others.push_back(heard.said[k]);
    written_of.emplace(heard.said[k], &existing[heard.written[k]]);
  }
  std::vector<std::string> mine{phrase};
  if (const auto slot = number_slot(phrase)) {
    mine.clear();
    for (SaidNumber& expansion : slot_expansions(phrase, *slot)) mine.push_back(std::move(expansion.text));
  }
  std::vector<std::string> alike;
  for (const std::string& said : mine) {
    for (const std::string& other : recognizer_->phrases_alike(said, others)) {
      if (said_with_numbers(other) == said_with_numbers(said)) continue;
      const std::string& written = *written_of.at(other);
      if (std::find(alike.begin(), alike.end(), written) == alike.end()) alike.push_back(written);
    }
  }
  if (alike.empty()) return;
  prompt(quoted(phrase) + text::kSoundsAlikeAnd + quoted_list(alike) + text::kSoundsAlike);
}

void MainController::delete_phrase() {
  const std::optional<int> row = view_.selected_phrase_row();
  if (!row) return prompt(text::kSelectPhraseToDelete);
  const std::optional<std::string> game = selected_game();
  if (!game) return prompt(text::kNoGameForEdit);
  const std::string phrase = parse_list_item(view_.phrases().at(static_cast<std::size_t>(*row))).phrase;
  const std::string new_text = remove_entry(state_.vocab_text, phrase);
  if (new_text == state_.vocab_text) return prompt(text::kPhraseNotInFile);
  const StoreResult written = store_.write(*game, new_text);
  if (!written.ok) return prompt(written.error);
  state_.vocab_text = new_text;
  view_.remove_phrase_row(*row);
}

void MainController::select_phrase(int row) {
  const std::vector<std::string> items = view_.phrases();
  if (row < 0 || row >= static_cast<int>(items.size())) return;
  const VocabEntry entry = parse_list_item(items[static_cast<std::size_t>(row)]);
  view_.set_phrase_text(entry.phrase);
  view_.set_action_text(entry.action);
}

// ---- teaching ----------------------------------------------------------------

std::optional<std::string> MainController::teach_refusal() const {
  if (teaching_) return text::kTeachingNow;
  if (!recognizer_ || !recognizer_->can_be_taught()) return text::kCannotTeach;
  return std::nullopt;
}

// The listening stops while the takes are recorded: the microphone is the
// dialog's, and a take must not set off an action.
void MainController::teach_phrase() {
  if (const std::optional<std::string> refusal = teach_refusal()) return prompt(*refusal);
  const std::optional<int> row = view_.selected_phrase_row();
  if (!row) return prompt(text::kSelectPhraseToTeach);
  const std::string phrase = parse_list_item(view_.phrases().at(static_cast<std::size_t>(*row))).phrase;
  if (has_bracket(phrase)) return prompt(text::kCannotTeachSlot);
  if (!teacher_) return;
  const bool listening = state_.rule_active;
  if (listening) {
    recognizer_->set_rules_active(false);
    view_.set_listening(false);
  }
  TeachRequest request;
  request.phrase = phrase;
  request.hear = [recognizer = recognizer_, phrase, others = phrases_other_than(phrase, phrases_in_folder(store_)),
                  taught = voice_](const std::vector<float>& samples) {
    return recognizer->hear_take(phrase, samples, others, taught);
  };
  teaching_ = true;
  const std::vector<TaughtTake> kept = teacher_(request);
  teaching_ = false;
  bool reloaded = false;
  if (!kept.empty()) {
    std::vector<TaughtTake>& takes = voice_[phrase];
    takes.insert(takes.end(), kept.begin(), kept.end());
    reloaded = taught_voice_changed();
  }
  if (listening) restore_listening(reloaded);
}

// A grammar loaded again has switched the rules on already.
void MainController::restore_listening(bool reloaded) {
  if (!reloaded) {
    if (const SpeechStatus status = recognizer_->set_rules_active(true); !status.ok) {
      return report_activation_failure(status);
    }
  }
  view_.set_listening(true);
}

void MainController::forget_phrase() {
  const std::optional<int> row = view_.selected_phrase_row();
  if (!row) return prompt(text::kSelectPhraseToTeach);
  const std::string phrase = parse_list_item(view_.phrases().at(static_cast<std::size_t>(*row))).phrase;
  if (voice_.erase(phrase) == 0) return;
  taught_voice_changed();
}

// Kept, given to the engine and used at once: the grammar is loaded again
// (true when it was).
bool MainController::taught_voice_changed() {
  if (taught_store_) {
    if (const std::optional<std::string> error = taught_store_->save(voice_)) {
      std::fprintf(stderr, "quillon: %s\n", error->c_str());
      prompt(text::kTaughtVoiceNotSaved + *error);
    }
  }
  if (recognizer_) recognizer_->set_taught_voice(voice_);
  const bool reload = state_.grammar_loaded && !state_.current_game.empty();
  if (reload) state_.grammar_loaded = load_grammar(state_.current_game);
  mark_taught_rows();
  return reload && state_.grammar_loaded;
}

void MainController::mark_taught_rows() {
  const std::vector<std::string> items = view_.phrases();
  for (std::size_t row = 0; row < items.size(); ++row) {
    view_.set_phrase_taught(static_cast<int>(row), is_taught(parse_list_item(items[row]).phrase));
  }
}

// ---- games ----------------------------------------------------------------

void MainController::add_game() {
  std::string name = view_.game_name_text();
  const std::size_t first = name.find_first_not_of(" \t");
  name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(" \t") - first + 1);
  if (name.empty()) return prompt(text::kEnterGameName);
  const CreateGameResult created = store_.create_game(name);
  if (created.outcome == GameCreation::Refused) return prompt(created.error);
  const int row = game_row(name).value_or(view_.game_count());
  if (row == view_.game_count()) {
    view_.add_game(name);
    tell_games_changed();
  }
  if (created.outcome == GameCreation::Exists) prompt(text::kGameExists);
  // While voice commands run the game list is locked: the game waits there.
  if (!view_.is_enabled(Control::GameList)) return;
  view_.select_game_row(row);
  // A game added again under a deleted game's name must load although its
  // name is still the current one.
  if (state_.current_game == name) state_.current_game.clear();
  choose_game(row);
}

void MainController::delete_game() {
  const std::optional<int> row = view_.selected_game_row();
  if (!row) return;
  if (!platform_.messages.ask_yes_no(text::kPromptTitle, text::kConfirmDeleteGame)) return;
  const StoreResult deleted = store_.delete_game(view_.game_at(*row));
  if (!deleted.ok) return prompt(deleted.error);
  state_.vocab_text.clear();
  view_.remove_game_row(*row);
  view_.clear_phrases();
  tell_games_changed();
}

void MainController::open_home_page() {
  // The help window, which opens the page once closed, may have been closed by a request to quit.
  if (!platform_.waiter.quitting()) platform_.shell.open(store_.home_page_address());
}

void MainController::open_second_page() { platform_.shell.open(store_.second_page_address()); }

}  // namespace quillon
