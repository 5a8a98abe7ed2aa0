// The engine factory: names, choice, failures, and the names every engine
// shows in the recogniser box.

#include <gtest/gtest.h>

#include <algorithm>

#include "speech/engines.h"
#include "speech/sapi/sapi_recognizer.h"
#include "speech/scripted/scripted_recognizer.h"

namespace quillon {
namespace {

EngineOptions options_with_gui() {
  EngineOptions options;
  options.post_to_gui = [](std::function<void()>) {};
  return options;
}

TEST(Engines, ScriptedIsAlwaysAvailableAndMadeByName) {
  const EngineOptions options = options_with_gui();
  const std::vector<std::string> names = available_engines(options);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.back(), "scripted") << "the scripted engine is the last resort";

  std::string log;
  std::unique_ptr<Recognizer> r = make_recognizer("scripted", options, log);
  ASSERT_NE(r, nullptr) << log;
  EXPECT_NE(log.find("scripted"), std::string::npos) << log;
  ASSERT_FALSE(r->recognizer_names().empty());
  EXPECT_EQ(r->recognizer_names().front(), engine_display_name("scripted"));
}

TEST(Engines, RefusalsSayWhy) {
  struct Row {
    const char* what;
    std::string name;
    EngineOptions options;
    std::string log_part;
  };
  const Row rows[] = {
      {"unknown name", "festival", options_with_gui(), "unknown speech engine \"festival\""},
      {"unknown name lists the known ones", "festival", options_with_gui(), "scripted"},
      {"scripted without a GUI queue", "scripted", EngineOptions{}, "post_to_gui"},
  };
  for (const Row& row : rows) {
    std::string log;
    EXPECT_EQ(make_recognizer(row.name, row.options, log), nullptr) << row.what;
    EXPECT_NE(log.find(row.log_part), std::string::npos) << row.what << ": " << log;
  }
}

TEST(Engines, TheDefaultChoiceIsNeverTheScriptedEngine) {
  std::string log;
  std::unique_ptr<Recognizer> r = make_recognizer("", options_with_gui(), log);
  EXPECT_FALSE(log.empty());
  if (r) {
    EXPECT_NE(r->recognizer_names().front(), engine_display_name("scripted")) << log;
  } else {
    EXPECT_NE(log.find("no speech engine"), std::string::npos) << log;
  }
}

// What the window's Chinese-recogniser test looks for.
bool names_a_chinese_recognizer(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name.find("chinese") != std::string::npos || name.find("中文") != std::string::npos;
}

TEST(Engines, EveryEngineListsItselfFirstAndOnlyChineseNames) {
  const EngineOptions options = options_with_gui();
  const std::vector<std::string> engines = available_engines(options);
  for (const std::string& engine : engines) {
    std::string log;
    std::unique_ptr<Recognizer> r = make_recognizer(engine, options, log);
    ASSERT_NE(r, nullptr) << engine << ": " << log;
    const std::vector<std::string> names = r->recognizer_names();
    ASSERT_EQ(names.size(), engines.size()) << engine;
    EXPECT_EQ(names.front(), engine_display_name(engine));
    for (const std::string& name : names) EXPECT_TRUE(names_a_chinese_recognizer(name)) << engine << ": " << name;
    // Only the Windows speech platform's engine sends the user to its Control Panel.
    EXPECT_EQ(r->set_up_by_speech_platform(), engine == kSapiEngine) << engine;
  }
}

}  // namespace
}  // namespace quillon
