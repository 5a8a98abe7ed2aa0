// The main window's behaviour against fakes of its widgets, folder, recogniser
// and desktop: start-up order, choosing games, voice commands, test mode, and
// editing phrases and games.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/main_controller.h"
#include "core/texts.h"
#include "support/fake_window.h"
#include "vocabulary/number_slot.h"

namespace quillon {
namespace {

using testing::FakeRecognizer;
using testing::FakeStore;
using testing::FakeView;
using Log = std::vector<std::string>;
using testing::entry;
using testing::vocabulary;

struct Window {
  testing::RecordingPlatform desktop;
  FakeView view{desktop.log};
  FakeStore store;
  FakeRecognizer recognizer{desktop.log};
  MainController controller{view, &recognizer, store, desktop.platform()};

  Window() {
    store.files["帝国时代2"] = vocabulary(entry("Ctrl+V", "城堡") + entry("3*MRBC", "三号部队过来"));
    store.files["Windows"] = vocabulary(entry("Alt+F4", "关闭程序"));
  }
  // Starts without the advice message and chooses `game`; clears the log.
  void open(const std::string& game) {
    controller.start_up(false);
    choose(game);
    desktop.log.clear();
  }
  void choose(const std::string& game) {
    const auto found = std::find(view.games_list.begin(), view.games_list.end(), game);
    view.game_row = static_cast<int>(found - view.games_list.begin());
    controller.choose_game(*view.game_row);
  }
  bool logged(const std::string& line) const {
    return std::find(desktop.log.begin(), desktop.log.end(), line) != desktop.log.end();
  }
};

std::string prompt(const std::string& text) { return std::string("message 提示 ") + text; }
std::string app_message(const std::string& text) { return std::string("message Quillon ") + text; }
std::string no_engine_warning(const char* text) {
  return std::string("warning Quillon ") + text + "\r\n" + text::kModelDownloadAddress;
}

// Where the user sets the engine up decides what the advice and the messages
// send them to: the Windows speech platform's Control Panel, or this window.
struct EngineTexts {
  const char* engine;
  bool speech_platform;
  std::vector<std::string> names;  // as the engine lists its recognisers
  const char* advice;
  const char* no_engine;
  const char* choose_chinese;
};
const EngineTexts kEngineTexts[] = {
    {"Windows speech platform",
     true,
     {"Microsoft Chinese Recognizer v5"},
     text::kStartupAdvice,
     text::kNoEngine,
     text::kChooseChineseEngine},
    {"Quillon's keyword spotter",
     false,
     {"Quillon 关键词 中文识别器", "Quillon 拼音 中文识别器（备用，准确度低）"},
     text::kStartupAdviceOwnEngine,
     text::kNoEngineOwnEngine,
     text::kChooseChineseEngineInList},
};

TEST(StartUp, RunsItsStepsInOrder) {
  Window w;
  w.controller.start_up(true);
  EXPECT_EQ(w.desktop.log, (Log{std::string("message Information ") + text::kStartupAdviceOwnEngine,
                                "open file:///games/quillon.htm", "games 2", "page /games/ad1.htm", "speech context",
                                "speech grammar", "speech interest", "speech interest"}));
  EXPECT_TRUE(w.store.builtins_written);
  EXPECT_EQ(w.view.recognizer_list, w.recognizer.names);
  EXPECT_FALSE(w.view.game_row.has_value());
  EXPECT_EQ(w.recognizer.listener, &w.controller);
}

// A request to quit while the advice box is open (a logout, say) ends the
// start-up there: no page opens and no engine loads.
TEST(StartUp, AQuitDuringTheAdviceStartsNothingMore) {
  Window w;
  w.desktop.during_message = [&] { w.desktop.quit_requested = true; };
  w.controller.start_up(true);
  EXPECT_EQ(w.desktop.log, Log{std::string("message Information ") + text::kStartupAdviceOwnEngine});
  w.controller.open_home_page();  // as the help window does once it is closed
  EXPECT_EQ(w.desktop.log.size(), 1u);
}

TEST(StartUp, TheAdviceSendsTheUserWhereTheirEngineIsSetUp) {
  for (const EngineTexts& row : kEngineTexts) {
    Window w;
    w.recognizer.speech_platform = row.speech_platform;
    w.recognizer.names = row.names;
    w.controller.start_up(true);
    ASSERT_FALSE(w.desktop.log.empty());
    EXPECT_EQ(w.desktop.log.front(), std::string("message Information ") + row.advice) << row.engine;
  }
  // Without any engine Quillon runs away from the Windows speech platform.
  testing::RecordingPlatform desktop;
  FakeView view{desktop.log};
  FakeStore store;
  MainController without_engine{view, nullptr, store, desktop.platform()};
  without_engine.start_up(true);
  EXPECT_EQ(desktop.log.front(), std::string("message Information ") + text::kStartupAdviceOwnEngine);
}

// Quillon's own steps name the window's own controls, quoted as they read: the
// microphone list and its meter, the test button, then teaching. None sends
// the user to a Control Panel that a desktop without the Windows speech
// platform lacks.
TEST(StartUp, TheOwnEnginesTextsNameOnlyQuillonsOwnSteps) {
  const auto label = [](const std::string& caption) { return "“" + caption.substr(0, caption.find("：")) + "”"; };
  const std::vector<std::string> controls = {label(text::kMicrophoneCaption), label(text::kMicrophoneLevel),
                                             label(text::kTestCaptionIdle), "“教我的发音”", "--teach"};
  const struct {
    const char* text;
    std::vector<std::string> named;
  } rows[] = {
      {text::kStartupAdviceOwnEngine, controls},
      {text::kHelpBeforeUseOwnEngine, controls},
      {text::kNoEngineOwnEngine, {"models"}},
      {text::kChooseChineseEngineInList, {"识别引擎列表"}},
  };
  for (const auto& row : rows) {
    const std::string said = row.text;
    EXPECT_EQ(said.find("控制面板"), std::string::npos) << said;
    EXPECT_EQ(said.find("微软"), std::string::npos) << said;
    for (const std::string& name : row.named) EXPECT_NE(said.find(name), std::string::npos) << name << " in " << said;
  }
}

TEST(StartUp, ASpeechFailureShowsTheEngineMessageAndGoesOn) {
  for (const EngineTexts& row : kEngineTexts) {
    const std::string warning = no_engine_warning(row.no_engine);
    for (const char* failing : {"context", "grammar", "interest"}) {
      Window w;
      w.recognizer.speech_platform = row.speech_platform;
      w.recognizer.failing = {failing};
      w.controller.start_up(false);
      EXPECT_EQ(w.desktop.log.back(), warning) << row.engine << ", " << failing;
      EXPECT_EQ(w.view.games_list.size(), 2u);
    }
    Window none;
    none.recognizer.speech_platform = row.speech_platform;
    none.recognizer.names.clear();
    none.controller.start_up(false);
    EXPECT_EQ(none.desktop.log.back(), warning) << row.engine;
  }

  testing::RecordingPlatform desktop;
  FakeView view{desktop.log};
  FakeStore store;
  MainController without_engine{view, nullptr, store, desktop.platform()};
  without_engine.start_up(false);
  EXPECT_EQ(desktop.log.back(), no_engine_warning(text::kNoEngineOwnEngine));
}

TEST(StartUp, AStandInEngineIsNamedOnceAtStart) {
  for (const bool stand_in : {false, true}) {
    Window w;
    w.recognizer.stand_in = stand_in;
    w.controller.start_up(false);
    w.choose("帝国时代2");
    w.choose("Windows");
    const auto& log = w.desktop.log;
    EXPECT_EQ(std::count(log.begin(), log.end(), prompt(text::kFallbackEngineInUse)), stand_in ? 1 : 0);
  }
}

TEST(StartUp, TheCommandLinesGameIsChosenAsAClickWouldAndListensWhenAsked) {
  const struct {
    const char* game;
    bool listen;
    std::optional<int> row;  // nothing: no such game
  } rows[] = {
      {"帝国时代2", false, 1},
      {"帝国时代2", true, 1},
      {"帝国时代", true, std::nullopt},
  };
  for (const auto& row : rows) {
    Window w;
    w.controller.start_up(false);
    EXPECT_EQ(w.controller.open_game_at_start(row.game, row.listen), row.row.has_value()) << row.game;
    EXPECT_EQ(w.view.game_row, row.row) << row.game;
    EXPECT_EQ(w.controller.state().current_game, row.row ? row.game : "") << row.game;
    EXPECT_EQ(w.controller.state().rule_active, row.row && row.listen) << row.game;
    EXPECT_EQ(w.view.start_caption, row.row && row.listen ? text::kStartCaptionRunning : text::kStartCaptionDesign);
  }
}

TEST(ChooseGame, ListsPhrasesNamesTheGameAndLoadsItInactive) {
  Window w;
  w.open("帝国时代2");
  EXPECT_EQ(w.view.phrase_list, (Log{"城堡(Ctrl+V)", "三号部队过来(3*MRBC)"}));
  EXPECT_EQ(w.view.status, "当前打开帝国时代2的语音词汇！");
  EXPECT_EQ(w.recognizer.loaded, "/games/帝国时代2.xml");
  EXPECT_FALSE(w.recognizer.active);
  EXPECT_TRUE(w.controller.state().grammar_loaded);
  EXPECT_EQ(w.controller.state().current_game, "帝国时代2");
}

TEST(ChooseGame, RefusesWithoutAChineseRecogniserShownAndKeepsThePreviousGame) {
  struct Row {
    bool speech_platform;
    std::vector<std::string> names;
    const char* message;
  };
  const Row rows[] = {
      {true, {"English Recognizer", "Microsoft Chinese Recognizer"}, text::kChooseChineseEngine},
      {true, {"English Recognizer", "Another One"}, text::kNoChineseEngineAtAll},
      // The recogniser box can be typed into.
      {false, {"typed over", "Quillon 关键词 中文识别器"}, text::kChooseChineseEngineInList},
      {false, {"typed over"}, text::kNoChineseEngineAtAll},
  };
  for (const Row& row : rows) {
    Window w;
    w.recognizer.speech_platform = row.speech_platform;
    w.open("Windows");
    w.view.recognizer_list = row.names;
    w.choose("帝国时代2");
    EXPECT_EQ(w.desktop.log, Log{prompt(row.message)});
    EXPECT_TRUE(w.view.phrase_list.empty());
    EXPECT_EQ(w.controller.state().current_game, "Windows");
    EXPECT_EQ(w.view.status, "当前打开Windows的语音词汇！");
  }
}

TEST(ChooseGame, AFailedLoadKeepsTheNewGamesTextAndSaysSoAndTheGameAgainDoesNothing) {
  Window w;
  w.controller.start_up(false);
  w.recognizer.failing = {"load"};
  w.choose("帝国时代2");
  EXPECT_EQ(w.desktop.log.back(), app_message(text::kLoadFailed));
  EXPECT_FALSE(w.controller.state().grammar_loaded);
  EXPECT_EQ(w.controller.state().current_game, "帝国时代2");
  EXPECT_EQ(w.view.phrase_list.size(), 2u);
  w.recognizer.failing.clear();
  w.desktop.log.clear();
  w.choose("帝国时代2");
  EXPECT_TRUE(w.desktop.log.empty());
  EXPECT_FALSE(w.controller.state().grammar_loaded);
}

TEST(ChooseGame, TellsWhichPhrasesTheEngineCannotListenFor) {
  Window w;
  w.recognizer.unsupported = {"Abc", "ＸＹ"};
  w.open("Windows");
  w.recognizer.unsupported = {"Abc"};
  w.choose("帝国时代2");
  EXPECT_EQ(w.desktop.log.back(), prompt(text::kCannotListenFor + std::string("\r\nAbc")));
  EXPECT_TRUE(w.controller.state().grammar_loaded);
}

TEST(ChooseGame, AnUnreadableFileIsReportedAndCanBeRetried) {
  Window w;
  w.controller.start_up(false);
  w.store.broken_reads = {"Windows"};
  w.choose("Windows");
  EXPECT_EQ(w.desktop.log.back(), prompt("cannot read Windows"));
  EXPECT_EQ(w.controller.state().current_game, "");
  w.store.broken_reads.clear();
  w.choose("Windows");
  EXPECT_EQ(w.controller.state().current_game, "Windows");
}

TEST(VoiceCommands, RefusalsChangeNothing) {
  Window w;
  w.open("Windows");
  EXPECT_EQ(w.controller.voice_commands_refusal(), std::nullopt);
  w.view.recognizer_list = {"English"};
  EXPECT_EQ(w.controller.voice_commands_refusal(), text::kMustUseChineseEngine);
  w.controller.toggle_voice_commands();
  EXPECT_EQ(w.desktop.log, Log{prompt(text::kMustUseChineseEngine)});
  w.view.recognizer_list = {"中文"};
  w.view.game_row.reset();
  w.desktop.log.clear();
  EXPECT_EQ(w.controller.voice_commands_refusal(), text::kChooseGame);
  w.controller.toggle_voice_commands();
  EXPECT_EQ(w.desktop.log, Log{prompt(text::kChooseGame)});
  EXPECT_EQ(w.view.start_caption, text::kStartCaptionDesign);
  EXPECT_FALSE(w.controller.state().rule_active);
}

TEST(VoiceCommands, StartAndStopSwitchControlsCaptionAndRules) {
  Window w;
  w.open("帝国时代2");
  w.controller.toggle_voice_commands();
  EXPECT_TRUE(w.controller.state().rule_active);
  EXPECT_TRUE(w.recognizer.active);
  EXPECT_EQ(w.view.start_caption, text::kStartCaptionRunning);
  const Control locked[] = {Control::AddPhraseButton, Control::DeleteGameButton, Control::DeletePhraseButton,
                            Control::TestButton,      Control::GameList,         Control::RecognizerBox};
  for (Control c : locked) EXPECT_FALSE(w.view.is_enabled(c));
  EXPECT_TRUE(w.view.is_enabled(Control::AddGameButton));

  w.controller.on_recognition("城堡");
  w.controller.on_recognition("三号部队过来");
  EXPECT_EQ(w.desktop.log, (Log{"speech activate", "down Ctrl", "down V", "up Ctrl", "up V", "down 3", "up 3",
                                "wait 0.5", "right click", "wait 0.5"}));

  w.controller.toggle_voice_commands();
  EXPECT_FALSE(w.controller.state().rule_active);
  EXPECT_EQ(w.view.start_caption, text::kStartCaptionIdle);
  for (Control c : locked) EXPECT_TRUE(w.view.is_enabled(c));
}

TEST(VoiceCommands, WithoutALoadedGrammarOnlyTheControlsSwitch) {
  Window w;
  w.recognizer.failing = {"load"};
  w.open("Windows");
  w.controller.toggle_voice_commands();
  EXPECT_EQ(w.view.start_caption, text::kStartCaptionRunning);
  EXPECT_FALSE(w.controller.state().rule_active);
  EXPECT_TRUE(w.desktop.log.empty());
}

TEST(VoiceCommands, AFailedActivationKeepsTheSwitchedControlsAndRetriesNextTime) {
  Window w;
  w.open("Windows");
  w.recognizer.failing = {"activate"};
  w.controller.toggle_voice_commands();
  EXPECT_EQ(w.desktop.log, (Log{"speech activate", app_message(text::kActivationFailed)}));
  EXPECT_EQ(w.view.start_caption, text::kStartCaptionRunning);
  EXPECT_FALSE(w.controller.state().rule_active);
  w.recognizer.failing.clear();
  w.controller.toggle_voice_commands();
  EXPECT_EQ(w.view.start_caption, text::kStartCaptionIdle);
  EXPECT_TRUE(w.controller.state().rule_active);
}

TEST(TestMode, ShowsTheAdviceBeforeActivatingThenOnlyShowsPhrases) {
  Window w;
  w.open("帝国时代2");
  w.controller.toggle_test_mode();
  EXPECT_EQ(w.desktop.log, (Log{prompt(text::kTestAdvice), "speech activate"}));
  EXPECT_TRUE(w.controller.state().test_mode);
  EXPECT_TRUE(w.view.feedback_visible);
  EXPECT_EQ(w.view.test_caption, text::kTestCaptionRunning);
  for (Control c :
       {Control::AddPhraseButton, Control::AddGameButton, Control::DeleteGameButton, Control::DeletePhraseButton,
        Control::VoiceCommandsButton, Control::GameList, Control::RecognizerBox}) {
    EXPECT_FALSE(w.view.is_enabled(c));
  }
  w.desktop.log.clear();
  w.controller.on_recognition("城堡");
  EXPECT_EQ(w.view.feedback, "城堡");
  w.controller.on_false_recognition();
  EXPECT_EQ(w.view.feedback, text::kNotRecognised);
  EXPECT_TRUE(w.desktop.log.empty());
  w.controller.on_feedback_timer();
  EXPECT_EQ(w.view.feedback, "");
  EXPECT_FALSE(w.view.timer_running);

  w.controller.toggle_test_mode();
  EXPECT_FALSE(w.controller.state().test_mode);
  EXPECT_FALSE(w.controller.state().rule_active);
  EXPECT_FALSE(w.view.feedback_visible);
  EXPECT_EQ(w.view.test_caption, text::kTestCaptionIdle);
  EXPECT_TRUE(w.view.is_enabled(Control::VoiceCommandsButton));
}

TEST(TestMode, RefusalsAndPlatformFailuresLeaveEverythingAsItWas) {
  Window w;
  w.open("Windows");
  w.view.game_row.reset();
  w.controller.toggle_test_mode();
  EXPECT_EQ(w.desktop.log, Log{prompt(text::kChooseGame)});

  Window unloaded;
  unloaded.recognizer.failing = {"load"};
  unloaded.open("Windows");
  unloaded.controller.toggle_test_mode();
  EXPECT_TRUE(unloaded.desktop.log.empty());

  Window failing;
  failing.open("Windows");
  failing.recognizer.failing = {"activate"};
  failing.controller.toggle_test_mode();
  EXPECT_EQ(failing.desktop.log.back(), app_message(text::kActivationFailed));
  EXPECT_FALSE(failing.controller.state().test_mode);
  EXPECT_FALSE(failing.view.feedback_visible);
  EXPECT_EQ(failing.view.test_caption, text::kTestCaptionIdle);
}

TEST(Microphone, AMissingDeviceIsNamedAndTheLevelIsShownOnlyWhileListening) {
  const std::string device = "plughw:CARD=U0,DEV=0";
  const std::string no_microphone = std::string(text::kNoMicrophoneBefore) + device + text::kNoMicrophoneAfter;
  const struct {
    void (MainController::*toggle)();
    std::string missing_device;
    std::set<std::string> failing;
    std::string message;  // empty: listening
  } cases[] = {
      {&MainController::toggle_voice_commands, device, {"activate"}, no_microphone},
      {&MainController::toggle_test_mode, device, {"activate"}, no_microphone},
      {&MainController::toggle_voice_commands, "", {"activate"}, text::kActivationFailed},
      {&MainController::toggle_voice_commands, "", {}, ""},
      {&MainController::toggle_test_mode, "", {}, ""},
  };
  for (const auto& c : cases) {
    Window w;
    w.open("Windows");
    w.recognizer.failing = c.failing;
    w.recognizer.missing_device = c.missing_device;
    w.recognizer.level = 0.5f;
    (w.controller.*c.toggle)();
    const bool listening = c.message.empty();
    EXPECT_EQ(w.desktop.log.back(), listening ? "speech activate" : app_message(c.message));
    EXPECT_EQ(w.view.listening, listening) << c.message;
    EXPECT_EQ(w.controller.capture_level(), listening ? std::optional<float>(0.5f) : std::nullopt);
  }
}

struct AddCase {
  const char* what;
  std::string phrase, action;
  std::string message;  // empty: added
};

TEST(AddPhrase, RefusesBadInputBeforeAnythingIsWritten) {
  const AddCase cases[] = {
      {"empty phrase", "", "A", prompt(text::kEnterPhrase)},
      {"empty action", "攻击", "", prompt(text::kEnterAction)},
      {"duplicate", "城堡", "Ctrl+X", prompt(text::kDuplicatePhrase)},
      {"parenthesis", "城(堡", "A", prompt("发音词汇里不能有字符“(”，请去掉它再添加。")},
      {"quote in action", "新", "Write[\"]", prompt("快捷键里不能有字符“\"”，请去掉它再添加。")},
      {"less-than", "新<", "A", prompt("发音词汇里不能有字符“<”，请去掉它再添加。")},
      {"ampersand", "新", "A&B", prompt("快捷键里不能有字符“&”，请去掉它再添加。")},
      {"outside GBK", "新\xF0\x9F\x98\x80", "A",
       prompt("字符“\xF0\x9F\x98\x80”不能保存到词汇文件里（文件使用GBK编码），请去掉它再添加。")},
      {"brackets that are no number slot", "[1-100]号部队", "{n}", prompt(text::kSlotMalformed)},
      {"a number without a slot", "第张", "Write[{n}]", prompt(text::kNumberWithoutSlot)},
      {"a number that makes no key", "[1-20]号", "Ctrl+{n}",
       prompt("说数字10时，快捷键会成为“Ctrl+10”，其中“10”不是键名（数字键只有0到9）。请改快捷键或数字范围。")},
  };
  for (const AddCase& c : cases) {
    Window w;
    w.open("帝国时代2");
    const std::string before = w.store.files["帝国时代2"];
    w.view.phrase = c.phrase;
    w.view.action = c.action;
    w.controller.add_phrase();
    EXPECT_EQ(w.desktop.log, Log{c.message}) << c.what;
    EXPECT_EQ(w.store.files["帝国时代2"], before) << c.what;
    EXPECT_EQ(w.view.phrase_list.size(), 2u) << c.what;
  }
}

TEST(AddPhrase, WritesTheEntryListsItAndReloadsTheFile) {
  Window w;
  w.open("帝国时代2");
  w.view.phrase = "城堡 ";
  w.view.action = "Ctrl+C";
  w.controller.add_phrase();
  const std::string expected =
      vocabulary(entry("Ctrl+V", "城堡") + entry("3*MRBC", "三号部队过来") + entry("Ctrl+C", "城堡 "));
  EXPECT_EQ(w.store.files["帝国时代2"], expected + "\r\n");
  EXPECT_EQ(w.controller.state().vocab_text, expected);
  EXPECT_EQ(w.view.phrase_list.back(), "城堡 (Ctrl+C)");
  EXPECT_EQ(w.desktop.log, (Log{"speech load", "speech deactivate"}));
  EXPECT_EQ(w.view.phrase, "城堡 ");

  // A second edit still leaves only one extra line end in the file.
  w.view.phrase_row = 0;
  w.controller.delete_phrase();
  EXPECT_EQ(w.store.files["帝国时代2"],
            vocabulary(entry("3*MRBC", "三号部队过来") + entry("Ctrl+C", "城堡 ")) + "\r\n");
}

TEST(AddPhrase, WarnsOfPhrasesThatSoundAlikeAndAddsItAllTheSame) {
  const std::string sounds_alike = text::kSoundsAlike;
  const struct {
    const char* what;
    std::string phrase;
    std::vector<std::string> alike;  // what the engine finds alike, among the listed phrases
    Log messages;                    // after the reload
    bool added;
  } rows[] = {
      {"nothing alike", "兵营", {}, {}, true},
      {"one", "四号部队", {"三号部队"}, {prompt("“四号部队”和“三号部队”" + sounds_alike)}, true},
      {"the first three named",
       "五号部队",
       {"一号部队", "二号部队", "三号部队", "城堡"},
       {prompt("“五号部队”和“一号部队”、“二号部队”、“三号部队”等" + sounds_alike)},
       true},
      {"a duplicate is refused first", "城堡", {"城堡"}, {}, false},
  };
  for (const auto& row : rows) {
    Window w;
    w.store.files["帝国时代2"] =
        vocabulary(entry("1", "一号部队") + entry("2", "二号部队") + entry("3", "三号部队") + entry("V", "城堡"));
    w.open("帝国时代2");
    w.recognizer.alike = row.alike;
    w.recognizer.alike.push_back(row.phrase);  // the new phrase itself is never among the others
    w.view.phrase = row.phrase;
    w.view.action = "A";
    w.controller.add_phrase();
    Log expected = row.added ? Log{"speech load", "speech deactivate"} : Log{prompt(text::kDuplicatePhrase)};
    expected.insert(expected.end(), row.messages.begin(), row.messages.end());
    EXPECT_EQ(w.desktop.log, expected) << row.what;
    EXPECT_EQ(w.view.phrase_list.back() == row.phrase + "(A)", row.added) << row.what;
  }
}

// Plain phrases keep what they say, and an earlier slot phrase what it says:
// adding a phrase that overlaps tells which entry runs; a slot phrase is
// compared by what it says and named as written.
TEST(AddPhrase, SaysWhichEntryRunsWhatTwoEntriesSay) {
  const std::string sounds_alike = text::kSoundsAlike;
  const struct {
    const char* what;
    std::string phrase;
    std::vector<std::string> alike;
    Log messages;
  } rows[] = {
      {"a slot over plain and earlier slot phrases",
       "[1-9]号部队",
       {},
       {prompt("“[1-9]"
               "号部队”里的“一号部队”、“二号部队”、“两号部队”等已经是别的词汇，说这些时仍执行原来那个词汇的快捷键。")}},
      {"a slot said by nothing else", "第[1-99]张", {}, {}},
      {"a plain phrase a slot also says",
       "两号部队",
       {},
       {prompt("“两号部队”也在“[1-2]号部队”里，说它时执行它自己的快捷键。")}},
      {"a plain phrase like one a slot says",
       "四号部队过去",
       {"五号部队过来"},
       {prompt("“四号部队过去”和“[1-9]号部队过来”" + sounds_alike)}},
      {"a slot phrase like a plain one, named once",
       "[1-3]号兵营",
       {"城堡"},
       {prompt("“[1-3]号兵营”和“城堡”" + sounds_alike)}},
  };
  for (const auto& row : rows) {
    Window w;
    w.store.files["帝国时代2"] = vocabulary(entry("3", "三号部队") + entry("{n}", "[1-2]号部队") +
                                            entry("{n}*MRBC", "[1-9]号部队过来") + entry("V", "城堡"));
    w.open("帝国时代2");
    w.recognizer.alike = row.alike;
    w.view.phrase = row.phrase;
    w.view.action = number_slot(row.phrase) ? "Write[{n}]" : "A";
    w.controller.add_phrase();
    Log expected{"speech load", "speech deactivate"};
    expected.insert(expected.end(), row.messages.begin(), row.messages.end());
    EXPECT_EQ(w.desktop.log, expected) << row.what;
    EXPECT_EQ(w.view.phrase_list.back(), row.phrase + "(" + w.view.action + ")") << row.what;
  }
}

TEST(AddPhrase, ARefusedReloadKeepsTheEntryAndSaysSo) {
  Window w;
  w.open("Windows");
  w.recognizer.failing = {"load"};
  w.recognizer.alike = {"关闭程序"};
  w.view.phrase = "   ";
  w.view.action = "A";
  w.controller.add_phrase();
  EXPECT_EQ(w.desktop.log.back(), app_message(text::kInvalidAfterEdit));  // and no warning after it
  EXPECT_FALSE(w.controller.state().grammar_loaded);
  EXPECT_EQ(w.view.phrase_list.back(), "   (A)");
}

TEST(AddPhrase, AFailedWriteChangesNothing) {
  Window w;
  w.open("Windows");
  const std::string before = w.controller.state().vocab_text;
  w.store.failing_writes = {"Windows"};
  w.view.phrase = "新";
  w.view.action = "A";
  w.controller.add_phrase();
  EXPECT_EQ(w.desktop.log, Log{prompt("cannot write Windows")});
  EXPECT_EQ(w.controller.state().vocab_text, before);
  EXPECT_EQ(w.view.phrase_list.size(), 1u);
}

TEST(AddPhrase, RunningVoiceCommandsReactivateTheReloadedRules) {
  Window w;
  w.open("Windows");
  w.controller.toggle_voice_commands();
  w.desktop.log.clear();
  w.view.phrase = "新";
  w.view.action = "A";
  w.controller.add_phrase();
  EXPECT_EQ(w.desktop.log, (Log{"speech load", "speech deactivate", "speech activate"}));
}

TEST(DeletePhrase, RemovesTheEntryWithoutReloading) {
  Window w;
  w.open("帝国时代2");
  w.controller.delete_phrase();
  EXPECT_EQ(w.desktop.log, Log{prompt(text::kSelectPhraseToDelete)});
  w.desktop.log.clear();
  w.view.phrase_row = 0;
  w.controller.delete_phrase();
  EXPECT_TRUE(w.desktop.log.empty());
  EXPECT_EQ(w.view.phrase_list, Log{"三号部队过来(3*MRBC)"});
  EXPECT_EQ(w.store.files["帝国时代2"], vocabulary(entry("3*MRBC", "三号部队过来")) + "\r\n");
  w.controller.on_recognition("城堡");
  EXPECT_TRUE(w.desktop.log.empty());
}

TEST(DeletePhrase, AnEntryMissingFromTheTextChangesNothing) {
  Window w;
  w.open("Windows");
  w.view.phrase_list.push_back("幽灵(A)");
  w.view.phrase_row = 1;
  const std::string file = w.store.files["Windows"];
  w.controller.delete_phrase();
  EXPECT_EQ(w.desktop.log, Log{prompt("没有在词汇文件里找到这个词汇，没有删除任何内容。")});
  EXPECT_EQ(w.store.files["Windows"], file);
  EXPECT_EQ(w.view.phrase_list.size(), 2u);
}

TEST(AddGame, MakesSelectsAndLoadsTheNewGame) {
  Window w;
  w.open("Windows");
  for (const char* blank : {"", "  "}) {
    w.view.game_name = blank;
    w.controller.add_game();
    EXPECT_EQ(w.desktop.log.back(), prompt(text::kEnterGameName));
  }
  w.view.game_name = "bad/name";
  w.controller.add_game();
  EXPECT_EQ(w.desktop.log.back(), prompt("bad name"));
  w.desktop.log.clear();
  w.view.game_name = " 星际 ";
  w.controller.add_game();
  EXPECT_EQ(w.view.games_list.back(), "星际");
  EXPECT_EQ(w.view.game_row, 2);
  EXPECT_EQ(w.controller.state().current_game, "星际");
  EXPECT_TRUE(w.view.phrase_list.empty());
  EXPECT_EQ(w.recognizer.loaded, "/games/星际.xml");

  w.view.game_name = "Windows";
  w.controller.add_game();
  EXPECT_EQ(w.desktop.log.back(), "speech deactivate");
  EXPECT_EQ(w.view.games_list.size(), 3u);
  EXPECT_EQ(w.view.game_row, 0);
  EXPECT_EQ(w.controller.state().current_game, "Windows");
}

TEST(DeleteGame, AsksThenDeletesFileTextAndLines) {
  Window w;
  w.open("Windows");
  w.desktop.answer_yes = false;
  w.controller.delete_game();
  EXPECT_EQ(w.desktop.log, Log{std::string("question 提示 ") + text::kConfirmDeleteGame});
  EXPECT_TRUE(w.store.files.count("Windows"));
  EXPECT_EQ(w.view.phrase_list.size(), 1u);

  w.store.undeletable = {"Windows"};
  w.desktop.answer_yes = true;
  w.controller.delete_game();
  EXPECT_EQ(w.desktop.log.back(), prompt("cannot delete Windows"));
  EXPECT_FALSE(w.controller.state().vocab_text.empty());

  w.store.undeletable.clear();
  w.controller.delete_game();
  EXPECT_FALSE(w.store.files.count("Windows"));
  EXPECT_TRUE(w.controller.state().vocab_text.empty());
  EXPECT_TRUE(w.view.phrase_list.empty());
  EXPECT_FALSE(w.view.game_row.has_value());
  EXPECT_EQ(w.controller.state().current_game, "Windows");

  w.desktop.log.clear();
  w.controller.delete_game();
  EXPECT_TRUE(w.desktop.log.empty());
  w.view.phrase = "新";
  w.view.action = "A";
  w.controller.add_phrase();
  EXPECT_EQ(w.desktop.log, Log{prompt("请先在游戏列表里选择一个游戏！")});

  // Added again under the deleted name, the game loads although it is current.
  w.view.game_name = "Windows";
  w.controller.add_game();
  EXPECT_EQ(w.recognizer.loaded, "/games/Windows.xml");
  EXPECT_EQ(w.controller.state().vocab_text, FakeStore::kEmptyGame);
}

TEST(AudioFile, FinishesOnlyAfterTheRunsItStarted) {
  Window w;
  w.open("帝国时代2");
  w.controller.toggle_voice_commands();
  int finished = 0;
  w.controller.set_on_audio_finished([&] { ++finished; });
  w.desktop.during_wait = [&](double) {
    if (w.desktop.log.size() < 6) w.controller.on_audio_finished();
  };
  w.controller.on_recognition("三号部队过来");
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(w.desktop.log.back(), "wait 0.5");
}

// The window names the file and its fault; a run that would end with the
// file ends at once instead, with no message box to wait on.
TEST(AudioFile, AnUnusableFileIsNamedWithItsFaultOrEndsTheRun) {
  const std::string named =
      std::string(text::kAudioFileBefore) + FakeRecognizer::kAudioFile + text::kAudioFileAfter + text::kAudioCutShort;
  for (const bool ends_run : {false, true}) {
    Window w;
    w.open("Windows");
    w.recognizer.audio_fault = WavFault::cut_short;
    int ended = 0;
    if (ends_run) w.controller.set_on_audio_unusable([&] { ++ended; });
    w.controller.toggle_voice_commands();
    EXPECT_EQ(w.desktop.log, ends_run ? Log{"speech activate"} : (Log{"speech activate", app_message(named)}));
    EXPECT_EQ(ended, ends_run ? 1 : 0);
    EXPECT_FALSE(w.controller.state().rule_active);
  }
}

// ---- following from outside the window (tray, echo, focus) ---------------

struct RecordingObserver : WindowLogicObserver {
  Log& log;
  explicit RecordingObserver(Log& l) : log(l) {}
  void voice_commands_changed(bool running) override { log.push_back(running ? "told running" : "told stopped"); }
  void test_mode_changed(bool testing) override { log.push_back(testing ? "told testing" : "told not testing"); }
  void games_changed(const std::vector<std::string>& games, const std::string& current) override {
    log.push_back("told " + std::to_string(games.size()) + " games, current " + current);
  }
  void game_chosen(const std::string& game) override { log.push_back("told game " + game); }
  void heard(const std::string& phrase, const std::string& action) override {
    log.push_back("told heard " + phrase + " " + action);
  }
  void action_started() override { log.push_back("told start"); }
  void action_finished() override { log.push_back("told finish"); }
};

TEST(Observer, IsToldEveryChangeAfterItHappensAndTheActionBeforeItsKeys) {
  Window w;
  RecordingObserver observer{w.desktop.log};
  w.controller.set_observer(&observer);
  w.open("帝国时代2");
  w.controller.toggle_voice_commands();
  w.controller.on_recognition("城堡");
  w.controller.on_recognition("没有");
  w.controller.toggle_voice_commands();
  w.controller.toggle_test_mode();
  w.controller.on_recognition("城堡");
  w.controller.toggle_test_mode();
  EXPECT_EQ(w.desktop.log, (Log{"speech activate", "told running",
                                "told start",      "told heard 城堡 Ctrl+V",
                                "down Ctrl",       "down V",
                                "up Ctrl",         "up V",
                                "told finish",     "told start",
                                "told finish",     "speech deactivate",
                                "told stopped",    prompt(text::kTestAdvice),
                                "speech activate", "told testing",
                                "told start",      "told heard 城堡 ",
                                "told finish",     "speech deactivate",
                                "told not testing"}));
}

TEST(Observer, HearsOfTheGameListAndTheChosenGame) {
  Window w;
  RecordingObserver observer{w.desktop.log};
  w.controller.set_observer(&observer);
  w.controller.start_up(false);
  EXPECT_TRUE(w.logged("told 2 games, current "));
  w.choose("Windows");
  EXPECT_TRUE(w.logged("told game Windows"));
  w.desktop.log.clear();
  w.view.game_name = "星际争霸";
  w.controller.add_game();
  EXPECT_TRUE(w.logged("told 3 games, current Windows"));
  EXPECT_TRUE(w.logged("told game 星际争霸"));
  w.desktop.log.clear();
  w.controller.delete_game();
  EXPECT_TRUE(w.logged("told 2 games, current 星际争霸"));
}

TEST(UseGame, SwitchesTheRunningVocabularyQuietlyAndKeepsListening) {
  Window w;
  w.open("帝国时代2");
  w.controller.toggle_voice_commands();
  w.desktop.log.clear();
  EXPECT_TRUE(w.controller.use_game("Windows"));
  EXPECT_EQ(w.desktop.log, Log{"speech load"});  // no message, no stop and start of the rules
  EXPECT_TRUE(w.recognizer.active);
  EXPECT_EQ(w.recognizer.loaded, "/games/Windows.xml");
  EXPECT_EQ(w.view.phrase_list, Log{"关闭程序(Alt+F4)"});
  EXPECT_EQ(w.view.status, "当前打开Windows的语音词汇！");
  EXPECT_EQ(w.view.game_row, 0);
  w.controller.on_recognition("关闭程序");
  w.controller.on_recognition("城堡");
  EXPECT_EQ(w.desktop.log, (Log{"speech load", "down Alt", "down F4", "up Alt", "up F4"}));
  EXPECT_TRUE(w.controller.use_game("Windows"));  // the game in use already
}

// From the tray: a click's choice while idle, an at-once switch while voice
// commands run (the list is locked then), nothing during the test.
TEST(ChooseGameByName, FollowsWhatTheWindowIsDoing) {
  Window idle;
  idle.controller.start_up(false);
  idle.controller.choose_game("Windows");
  EXPECT_EQ(idle.view.game_row, 0);
  EXPECT_EQ(idle.controller.state().current_game, "Windows");

  Window running;
  running.open("帝国时代2");
  running.controller.toggle_voice_commands();
  running.controller.choose_game("Windows");
  EXPECT_EQ(running.controller.state().current_game, "Windows");
  EXPECT_TRUE(running.recognizer.active);
  running.store.broken_reads = {"帝国时代2"};
  running.controller.choose_game("帝国时代2");
  EXPECT_EQ(running.desktop.log.back(), app_message(text::kLoadFailed));

  Window testing;
  testing.open("帝国时代2");
  testing.controller.toggle_test_mode();
  testing.controller.choose_game("Windows");
  EXPECT_EQ(testing.controller.state().current_game, "帝国时代2");
}

TEST(UseGame, WhatCannotBeUsedLeavesTheVocabularyInUse) {
  const struct {
    const char* why;
    std::function<void(Window&)> arrange;
  } rows[] = {
      {"no such game", [](Window&) {}},
      {"unreadable", [](Window& w) { w.store.broken_reads = {"Windows"}; }},
      {"refused by the engine", [](Window& w) { w.recognizer.refused_file = "/games/Windows.xml"; }},
      {"voice commands stopped", [](Window& w) { w.controller.toggle_voice_commands(); }},
  };
  for (const auto& row : rows) {
    Window w;
    w.open("帝国时代2");
    w.controller.toggle_voice_commands();
    row.arrange(w);
    const std::string game = std::string(row.why) == "no such game" ? "星际争霸" : "Windows";
    EXPECT_FALSE(w.controller.use_game(game)) << row.why;
    EXPECT_EQ(w.controller.state().current_game, "帝国时代2") << row.why;
    EXPECT_EQ(w.recognizer.loaded, "/games/帝国时代2.xml") << row.why;
    EXPECT_EQ(w.view.phrase_list.size(), 2u) << row.why;
    EXPECT_TRUE(std::none_of(w.desktop.log.begin(), w.desktop.log.end(), [](const std::string& line) {
      return line.starts_with("message");
    })) << row.why;
  }
}

}  // namespace
}  // namespace quillon
