// Settings: which layer wins, what a bad value does, and what a change writes.

#include <gtest/gtest.h>

#include <map>

#include "core/settings.h"
#include "vocabulary/ascii_case.h"

namespace quillon {
namespace {

TEST(Settings, TheCommandLineWinsOverTheEnvironmentOverTheFileOverTheDefault) {
  const std::string k = kCaptureDeviceKey;
  const struct {
    const char* what;
    SettingSources sources;
    std::string effective, saved;
    bool fixed;
    std::size_t problems;
  } cases[] = {
      {"nothing given", {}, "default", "default", false, 0},
      {"file", {{{k, "hw:1"}, {"later/key", "x"}}, {}, {}}, "hw:1", "hw:1", false, 0},
      {"environment over file", {{{k, "hw:1"}}, {{k, "pulse"}}, {}}, "pulse", "hw:1", true, 0},
      {"command line over both", {{{k, "hw:1"}}, {{k, "pulse"}}, {{k, "null"}}}, "null", "hw:1", true, 0},
      {"empty file value keeps the default", {{{k, ""}}, {}, {}}, "default", "default", false, 1},
      {"control character in the file", {{{k, "hw:1\n"}}, {}, {}}, "default", "default", false, 1},
      {"bad command line keeps the environment", {{}, {{k, "pulse"}}, {{k, ""}}}, "pulse", "default", true, 1},
  };
  for (const auto& c : cases) {
    const ResolvedSettings r = resolve_settings(c.sources);
    EXPECT_EQ(r.effective.capture_device, c.effective) << c.what;
    EXPECT_EQ(r.saved.capture_device, c.saved) << c.what;
    EXPECT_EQ(!r.fixed_keys.empty(), c.fixed) << c.what;
    EXPECT_EQ(r.problems.size(), c.problems) << c.what;
  }
  const auto only_device = [](const char* name) -> const char* {
    return std::string_view(name) == "QUILLON_ALSA_DEVICE" ? "pulse" : nullptr;
  };
  EXPECT_EQ(settings_from_environment(only_device), (SettingValues{{k, "pulse"}}));
  EXPECT_TRUE(settings_from_environment([](const char*) { return ""; }).empty()) << "empty is unset";
}

TEST(Settings, TheMatchModeIsAloneOrAnywhere) {
  const struct {
    SettingSources sources;
    const char* effective;
    std::size_t problems;
  } cases[] = {
      {{}, "alone", 0},
      {{{{kMatchKey, "anywhere"}}, {}, {}}, "anywhere", 0},
      {{{{kMatchKey, "anywhere"}}, {}, {{kMatchKey, "alone"}}}, "alone", 0},
      {{{{kMatchKey, "sometimes"}}, {}, {}}, "alone", 1},
      {{{}, {{kMatchKey, "Anywhere"}}, {}}, "alone", 1},
  };
  for (const auto& c : cases) {
    const ResolvedSettings r = resolve_settings(c.sources);
    EXPECT_EQ(r.effective.match, c.effective);
    EXPECT_EQ(r.problems.size(), c.problems);
  }
}

TEST(Settings, HandsFreeSettingsTakeOnlyValidValues) {
  const struct {
    const char* key;
    const char* text;
    bool valid;
  } cases[] = {
      {kPushToTalkKey, "F9", true},
      {kPushToTalkKey, "mb8", true},
      {kPushToTalkKey, "", true},
      {kPushToTalkKey, "MB3", false},
      {kPushToTalkKey, "Ctrl+V", false},
      {kPushToTalkModeKey, "hold", true},
      {kPushToTalkModeKey, "toggle", true},
      {kPushToTalkModeKey, "on", false},
      {kTiesKey, "A=a\nB=title:b", true},
      {kTiesKey, "", true},
      {kTiesKey, "A=a\n=b", false},
      {kTiesKey, "A=a\n\nB=b", false},
      {kEchoKey, "off", true},
      {kEchoKey, "no", false},
      {kCloseToTrayKey, "on", true},
      {kCloseToTrayKey, "On", false},
  };
  for (const auto& c : cases) {
    const ResolvedSettings r = resolve_settings({{{c.key, c.text}}, {}, {}});
    EXPECT_EQ(r.problems.empty(), c.valid) << c.key << " = " << c.text;
    // What was read is written back as it was given, apart from case.
    if (c.valid) {
      EXPECT_EQ(ascii_lower(settings_to_values(r.saved).at(c.key)), ascii_lower(c.text)) << c.key;
    }
  }
  // Out of the box Quillon behaves as before these settings: no push-to-talk,
  // no ties, and closing the window quits.
  const Settings defaults;
  EXPECT_EQ(defaults.push_to_talk_mode, PushToTalkMode::off);
  EXPECT_TRUE(defaults.echo);
  EXPECT_FALSE(defaults.close_to_tray);
  EXPECT_TRUE(defaults.push_to_talk_key.empty() && defaults.ties.empty());
}

TEST(Settings, TheCommandLineGivesAListOptionManyTimesAndAnyOtherOnceLastWins) {
  const SettingValues given = settings_from_command_line([](const char* option) -> std::vector<std::string> {
    const std::string name = option;
    if (name == "tie") return {"A=a", "B=title:b"};
    if (name == "echo") return {"on", "off"};
    return {};
  });
  EXPECT_EQ(given, (SettingValues{{kTiesKey, "A=a\nB=title:b"}, {kEchoKey, "off"}}));
  const ResolvedSettings r = resolve_settings({{{kTiesKey, "C=c"}}, {}, given});
  const std::vector<WindowTie> ties{{"A", WindowTie::By::window_class, "a"}, {"B", WindowTie::By::title, "b"}};
  EXPECT_EQ(r.effective.ties, ties) << "the command line's list replaces the file's";
  EXPECT_EQ(r.saved.ties.size(), 1u);
  EXPECT_FALSE(r.effective.echo);
  for (const std::vector<std::string>& items : {std::vector<std::string>{"x", "", "y"}, {"x", ""}}) {
    EXPECT_EQ(split_setting_list(join_setting_list(items)), items);
  }
  EXPECT_TRUE(split_setting_list("").empty());
}

TEST(Settings, EngineTuningComesFromTheEnvironmentOnlyAndMustBeANumber) {
  const std::map<std::string, std::string> environment = {
      {"QUILLON_KWS_THRESHOLD", "0.95"},  {"QUILLON_KWS_SCORE", "2"},          {"QUILLON_SPHINX_GARBAGE", "1e-4"},
      {"QUILLON_SPHINX_END_FRAMES", "x"}, {"QUILLON_SPHINX_MIN_SCORE", "-40"}, {"QUILLON_SPHINX_NOISE_FLOOR", "inf"},
      {"QUILLON_SPHINX_MODEL", "/m"},     {"QUILLON_SPHINX_OPTIONS", "-lw 8"},
  };
  const SettingValues values = settings_from_environment([&](const char* name) -> const char* {
    const auto found = environment.find(name);
    return found == environment.end() ? nullptr : found->second.c_str();
  });
  const ResolvedSettings r = resolve_settings({{}, values, {}});
  const EngineTuning& t = r.effective.tuning;
  EXPECT_EQ(t.spotter_threshold, 0.95f);
  EXPECT_EQ(t.spotter_score, 2.0f);
  EXPECT_EQ(t.sphinx_garbage, 1e-4f);
  EXPECT_EQ(t.sphinx_end_frames, std::nullopt) << "not a number";
  EXPECT_EQ(t.sphinx_min_score, -40.0f);
  EXPECT_EQ(t.sphinx_noise_floor, std::nullopt) << "not finite";
  EXPECT_EQ(t.sphinx_min_contrast, std::nullopt) << "not given";
  EXPECT_EQ(t.sphinx_model, "/m");
  EXPECT_EQ(t.sphinx_options, "-lw 8");
  EXPECT_EQ(r.problems.size(), 2u);

  // The file never holds tuning: it is not read from there nor written there.
  const ResolvedSettings from_file = resolve_settings({values, {}, {}});
  EXPECT_EQ(from_file.effective.tuning.spotter_threshold, std::nullopt);
  for (const auto& [key, value] : settings_to_values(r.effective)) {
    EXPECT_FALSE(key.starts_with("spotter/") || key.starts_with("sphinx/")) << key;
  }
}

TEST(SettingsKeeper, AChangeIsWrittenWithUnknownKeysAndUsedUnlessOverridden) {
  for (const bool overridden : {false, true}) {
    std::vector<SettingValues> written;
    SettingsKeeper settings({{{"later/key", "x"}, {kCaptureDeviceKey, ""}},
                             overridden ? SettingValues{{kCaptureDeviceKey, "pulse"}} : SettingValues{},
                             {}},
                            [&](const SettingValues& values) {
                              written.push_back(values);
                              return std::optional<std::string>("disk full");
                            });
    EXPECT_EQ(settings.fixed(kCaptureDeviceKey), overridden);
    EXPECT_EQ(settings.change([](Settings& s) { s.capture_device = "hw:1"; }), "disk full");
    SettingValues expected = settings_to_values(Settings{});
    expected[kCaptureDeviceKey] = "hw:1";
    expected["later/key"] = "x";
    EXPECT_EQ(written, std::vector<SettingValues>{expected});
    EXPECT_EQ(settings.current().capture_device, overridden ? "pulse" : "hw:1") << "used even when not written";
    EXPECT_EQ(settings.saved().capture_device, "hw:1");
  }
}

}  // namespace
}  // namespace quillon
