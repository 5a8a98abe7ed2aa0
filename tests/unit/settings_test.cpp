// Settings: which layer wins, what a bad value does, and what a change writes.

#include <gtest/gtest.h>

#include "core/settings.h"

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
