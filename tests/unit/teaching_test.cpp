// Teaching a phrase's pronunciation from the window, against fakes: the kept
// takes reach the file and the engine at once, the listening stops while takes
// are recorded, and what cannot be taught is refused before any recording.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/main_controller.h"
#include "core/teaching.h"
#include "core/texts.h"
#include "support/fake_window.h"

namespace quillon {
namespace {

using testing::entry;
using testing::vocabulary;

class FakeTaughtStore : public TaughtVoiceStore {
 public:
  TaughtVoiceLoad loaded;
  std::vector<TaughtVoice> saves;
  std::optional<std::string> save_error;

  TaughtVoiceLoad load() override { return loaded; }
  std::optional<std::string> save(const TaughtVoice& voice) override {
    if (save_error) return save_error;
    saves.push_back(voice);
    return std::nullopt;
  }
};

const TaughtTake kTake1{{"ch", "éng", "b", "ǎo"}, 0.6};
const TaughtTake kTake2{{"ch", "én", "b", "ǎo"}, 0.7};

TakeHearing hearing(TakeVerdict verdict, const TaughtTake& take = {}, std::string other = "") {
  std::string heard;
  for (const std::string& token : take.reading) heard += (heard.empty() ? "" : " ") + token;
  return {verdict, heard, std::move(other), take};
}

std::string prompt(const std::string& text) { return std::string("message 提示 ") + text; }

struct Window {
  testing::RecordingPlatform desktop;
  testing::FakeView view{desktop.log};
  testing::FakeStore store;
  testing::FakeRecognizer recognizer{desktop.log};
  FakeTaughtStore taught;
  MainController controller{view, &recognizer, store, desktop.platform()};
  int teacher_runs = 0;

  Window() {
    store.files["帝国时代2"] = vocabulary(entry("Ctrl+V", "城堡") + entry("3*MRBC", "[1-3]号部队过来"));
    store.files["Windows"] = vocabulary(entry("Alt+F4", "关闭程序") + entry("Ctrl+C", "城堡"));
    controller.set_taught_voice_store(&taught);
    // The dialog's stand-in: hears as many takes as the engine has results
    // for, and keeps the kept ones.
    controller.set_teacher([this](const TeachRequest& request) {
      ++teacher_runs;
      std::vector<TaughtTake> kept;
      while (recognizer.takes_heard < recognizer.hearings.size()) {
        const std::optional<TakeHearing> heard = request.hear(std::vector<float>(16000, 0.1f));
        if (heard && heard->verdict == TakeVerdict::kept) kept.push_back(heard->take);
      }
      return kept;
    });
  }
  void open(const std::string& game, std::optional<int> phrase_row = 0) {
    controller.start_up(false);
    const auto found = std::find(view.games_list.begin(), view.games_list.end(), game);
    view.game_row = static_cast<int>(found - view.games_list.begin());
    controller.choose_game(*view.game_row);
    view.phrase_row = phrase_row;
    desktop.log.clear();
  }
  bool logged(const std::string& line) const {
    return std::find(desktop.log.begin(), desktop.log.end(), line) != desktop.log.end();
  }
};

TEST(Teaching, WhatWasTaughtReachesTheEngineBeforeAnyGrammarAndMarksItsRows) {
  Window w;
  w.taught.loaded.voice = {{"城堡", {kTake1}}};
  w.controller.start_up(false);
  EXPECT_EQ(w.recognizer.taught_given, w.taught.loaded.voice);
  EXPECT_TRUE(w.recognizer.loaded.empty());
  // Taught once, marked in every game that has the phrase, wherever its row is.
  for (const auto& [game, row] : {std::pair{"帝国时代2", 0}, std::pair{"Windows", 1}}) {
    const auto found = std::find(w.view.games_list.begin(), w.view.games_list.end(), game);
    w.view.game_row = static_cast<int>(found - w.view.games_list.begin());
    w.controller.choose_game(*w.view.game_row);
    EXPECT_EQ(w.view.taught_rows, std::set<int>{row}) << game;
    EXPECT_EQ(w.view.phrase_list.size(), 2u) << "the marks leave the rows' texts alone";
  }
}

TEST(Teaching, ADamagedFileIsIgnoredWithOneMessage) {
  Window w;
  w.taught.loaded.problem = "/games/taught-voice.txt: line 3: no reading";
  w.controller.start_up(false);
  w.view.game_row = 0;
  w.controller.choose_game(0);
  w.view.game_row = 1;
  w.controller.choose_game(1);
  const std::string message = prompt(std::string(text::kTaughtVoiceDamaged) + w.taught.loaded.problem);
  EXPECT_EQ(std::count(w.desktop.log.begin(), w.desktop.log.end(), message), 1);
  EXPECT_TRUE(w.taught.saves.empty()) << "nothing is written over it by merely starting";
  EXPECT_TRUE(w.controller.taught_voice().empty());
}

TEST(Teaching, KeptTakesAreSavedGivenToTheEngineAndUsedAtOnce) {
  Window w;
  w.recognizer.hearings = {hearing(TakeVerdict::kept, kTake1), hearing(TakeVerdict::unclear),
                           hearing(TakeVerdict::kept, kTake2)};
  w.open("帝国时代2");
  w.controller.teach_phrase();
  const TaughtVoice expected{{"城堡", {kTake1, kTake2}}};
  ASSERT_EQ(w.taught.saves.size(), 1u);
  EXPECT_EQ(w.taught.saves.back(), expected);
  EXPECT_EQ(w.recognizer.taught_given, expected);
  EXPECT_TRUE(w.logged("speech load")) << "the grammar is loaded again so that the teaching counts now";
  EXPECT_EQ(w.view.taught_rows, std::set<int>{0});
  // Every other phrase of every vocabulary, as said, and never the phrase itself.
  std::vector<std::string> others = w.recognizer.others_given;
  std::vector<std::string> expected_others{"一号部队过来", "二号部队过来", "两号部队过来", "三号部队过来", "关闭程序"};
  std::sort(others.begin(), others.end());
  std::sort(expected_others.begin(), expected_others.end());
  EXPECT_EQ(others, expected_others);

  // A later session adds to what was kept.
  w.recognizer.hearings.push_back(hearing(TakeVerdict::kept, kTake1));
  w.controller.teach_phrase();
  EXPECT_EQ(w.taught.saves.back().at("城堡").size(), 3u);
}

TEST(Teaching, NothingKeptChangesNothing) {
  const std::vector<TakeHearing> sessions[] = {
      {},  // cancelled before any take
      {hearing(TakeVerdict::no_speech), hearing(TakeVerdict::unlike)},
      {hearing(TakeVerdict::other_phrase, kTake1, "关闭程序"), hearing(TakeVerdict::too_close, kTake2, "关闭程序")},
  };
  for (const auto& session : sessions) {
    Window w;
    w.recognizer.hearings = session;
    w.open("帝国时代2");
    w.controller.teach_phrase();
    EXPECT_EQ(w.teacher_runs, 1);
    EXPECT_TRUE(w.taught.saves.empty());
    EXPECT_FALSE(w.logged("speech load"));
    EXPECT_TRUE(w.view.taught_rows.empty());
  }
}

TEST(Teaching, TheListeningStopsWhileTakesAreRecordedAndComesBackAfter) {
  for (const bool keeps : {false, true}) {
    Window w;
    if (keeps) w.recognizer.hearings = {hearing(TakeVerdict::kept, kTake1)};
    w.open("帝国时代2");
    w.controller.toggle_voice_commands();
    ASSERT_TRUE(w.recognizer.active);
    bool active_inside = true, listening_inside = true;
    std::optional<std::string> refusal_inside;
    w.controller.set_teacher([&](const TeachRequest& request) {
      active_inside = w.recognizer.active;
      listening_inside = w.view.listening;
      refusal_inside = w.controller.voice_commands_refusal();
      std::vector<TaughtTake> kept;
      if (keeps) kept.push_back(request.hear({})->take);
      return kept;
    });
    w.controller.teach_phrase();
    EXPECT_FALSE(active_inside) << keeps;
    EXPECT_FALSE(listening_inside) << keeps;
    EXPECT_EQ(refusal_inside, std::optional<std::string>(text::kTeachingNow)) << "a hotkey must not start listening";
    EXPECT_TRUE(w.recognizer.active) << keeps;
    EXPECT_TRUE(w.view.listening) << keeps;
    EXPECT_TRUE(w.controller.state().rule_active) << keeps;
    EXPECT_FALSE(w.controller.voice_commands_refusal().has_value());
  }
}

TEST(Teaching, WhatCannotBeTaughtIsRefusedBeforeRecording) {
  const struct {
    const char* what;
    bool teachable;
    std::optional<int> row;
    const char* message;
  } rows[] = {
      {"an engine that cannot be taught", false, 0, text::kCannotTeach},
      {"no phrase selected", true, std::nullopt, text::kSelectPhraseToTeach},
      {"a number slot's phrase", true, 1, text::kCannotTeachSlot},
  };
  for (const auto& row : rows) {
    Window w;
    w.recognizer.teachable = row.teachable;
    w.open("帝国时代2", row.row);
    w.controller.teach_phrase();
    EXPECT_EQ(w.teacher_runs, 0) << row.what;
    EXPECT_EQ(w.desktop.log, std::vector<std::string>{prompt(row.message)}) << row.what;
  }
  Window w;
  w.recognizer.teachable = false;
  EXPECT_EQ(w.controller.teach_refusal(), std::optional<std::string>(text::kCannotTeach));
  testing::RecordingPlatform desktop;
  testing::FakeView view{desktop.log};
  testing::FakeStore store;
  MainController without_engine{view, nullptr, store, desktop.platform()};
  EXPECT_EQ(without_engine.teach_refusal(), std::optional<std::string>(text::kCannotTeach));
}

TEST(Teaching, ForgettingSavesUnmarksAndReloads) {
  Window w;
  w.taught.loaded.voice = {{"城堡", {kTake1}}, {"关闭程序", {kTake2}}};
  w.open("帝国时代2");
  ASSERT_EQ(w.view.taught_rows, std::set<int>{0});
  w.controller.forget_phrase();
  const TaughtVoice rest{{"关闭程序", {kTake2}}};
  ASSERT_EQ(w.taught.saves.size(), 1u);
  EXPECT_EQ(w.taught.saves.back(), rest);
  EXPECT_EQ(w.recognizer.taught_given, rest);
  EXPECT_TRUE(w.logged("speech load"));
  EXPECT_TRUE(w.view.taught_rows.empty());
  // Forgetting an untaught phrase writes nothing.
  w.controller.forget_phrase();
  EXPECT_EQ(w.taught.saves.size(), 1u);
}

TEST(Teaching, AFailedSaveIsSaidAndTheTeachingStillCountsThisRun) {
  Window w;
  w.taught.save_error = "/games/taught-voice.txt: disk full";
  w.recognizer.hearings = {hearing(TakeVerdict::kept, kTake1)};
  w.open("帝国时代2");
  w.controller.teach_phrase();
  EXPECT_TRUE(w.logged(prompt(std::string(text::kTaughtVoiceNotSaved) + *w.taught.save_error)));
  EXPECT_EQ(w.recognizer.taught_given.count("城堡"), 1u);
}

TEST(Teaching, TestModeTellsARecognitionThroughTeachingApart) {
  Window w;
  w.open("帝国时代2");
  w.controller.toggle_test_mode();
  w.controller.on_recognition("城堡");
  EXPECT_EQ(w.view.feedback, "城堡");
  w.controller.on_taught_recognition("城堡");
  EXPECT_EQ(w.view.feedback, std::string("城堡") + text::kTaughtRecognitionMark);
  w.controller.on_recognition("城堡");
  EXPECT_EQ(w.view.feedback, "城堡");
}

TEST(TakeCaption, SaysWhatWasHeardAndWhyATakeWasNotKept) {
  const struct {
    TakeHearing hearing;
    std::string caption;
    std::string line;
  } rows[] = {
      {hearing(TakeVerdict::kept, kTake1), std::string(text::kTakeHeard) + "chéng bǎo" + text::kTakeKept,
       "城堡=a.wav: heard \"ch éng b ǎo\", kept"},
      {hearing(TakeVerdict::kept_by_sound, kTake2), std::string(text::kTakeHeard) + "chén bǎo" + text::kTakeKeptBySound,
       "城堡=a.wav: heard \"ch én b ǎo\", kept for its sound only: the reading is unlike the phrase"},
      {hearing(TakeVerdict::no_speech), std::string(text::kTakeHeardNothing) + text::kTakeNoSpeech,
       "城堡=a.wav: heard \"\", not kept: no speech in it"},
      {hearing(TakeVerdict::other_phrase, kTake2, "关闭程序"),
       std::string(text::kTakeHeard) + "chén bǎo" + text::kTakeOtherPhraseBefore + "关闭程序" +
           text::kTakeOtherPhraseAfter,
       "城堡=a.wav: heard \"ch én b ǎo\", not kept: it sounds like the phrase 关闭程序"},
      {hearing(TakeVerdict::too_close, kTake2, "陈宝"),
       std::string(text::kTakeHeard) + "chén bǎo" + text::kTakeTooCloseBefore + "陈宝" + text::kTakeTooCloseAfter,
       "城堡=a.wav: heard \"ch én b ǎo\", not kept: as close to the phrase 陈宝 as to its own"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(take_caption(row.hearing), row.caption);
    EXPECT_EQ(take_line("城堡=a.wav", row.hearing), row.line);
  }
}

TEST(TakeCaption, ReadingsAreShownAsSyllables) {
  const std::pair<const char*, const char*> rows[] = {
      {"g ōng j ī", "gōng jī"},        {"ài", "ài"},  // a syllable without an initial
      {"sh àng h ǎi", "shàng hǎi"},                   // two-letter initials
      {"w ǒ m en", "wǒ men"},                         // a neutral tone
      {"  b ěi   j īng ", "běi jīng"},                // stray spaces
  };
  for (const auto& [reading, syllables] : rows) EXPECT_EQ(as_syllables(reading), syllables) << reading;
}

}  // namespace
}  // namespace quillon
