#pragma once

// The user's settings: one plain value built once at start and handed to
// whoever needs it. Each setting is one field of `Settings` and one row of
// setting_fields(), which names its key in the settings file, the environment
// variable and the command-line option that may override it. A value comes
// from the command line, else the environment, else the file, else the
// default; the engines' tuning is never kept in the file. Plain C++: the file
// itself is read and written by the window layer.

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/push_to_talk.h"
#include "core/window_follower.h"
#include "speech/engine_tuning.h"

namespace quillon {

struct Settings {
  // The ALSA capture device to listen with; "default" is the desktop's choice.
  std::string capture_device = "default";
  // A command acts only when said on its own ("alone"), or wherever it is
  // heard in running speech ("anywhere").
  std::string match = "alone";
  // The push-to-talk hotkey as action strings name keys ("F9", "MB8"); empty: none.
  std::string push_to_talk_key;
  PushToTalkMode push_to_talk_mode = PushToTalkMode::off;
  // Games whose vocabulary is used while their window has the focus.
  std::vector<WindowTie> ties;
  // What was heard and done is shown for a moment near a corner of the screen.
  bool echo = true;
  // Closing the window leaves Quillon running in the tray, where there is one.
  bool close_to_tray = false;
  // For tuning the engines on recordings; from the environment only.
  EngineTuning tuning;

  bool operator==(const Settings&) const = default;
};

// Settings as text by key ("audio/capture_device" → "hw:1"): what the file
// holds, or what the environment or the command line give. A list setting is
// one text with an item a line (items never hold control characters).
using SettingValues = std::map<std::string, std::string>;

std::vector<std::string> split_setting_list(std::string_view text);
std::string join_setting_list(const std::vector<std::string>& items);

struct SettingField {
  const char* key;           // "group/name", as the file names it
  bool in_file;              // kept in the settings file; else given for one run only
  const char* environment;   // a variable that overrides the file, or nullptr
  const char* option;        // a command-line option (without "--") for one run, or nullptr
  const char* option_value;  // how --help names its value
  const char* option_help;
  // Stores `text` in `settings`; false when the text is no valid value.
  bool (*read)(Settings& settings, const std::string& text);
  // The value as the file keeps it; nullptr for a setting not kept there.
  std::string (*write)(const Settings& settings);
  // A list: the option may be given more than once, and the file keeps a list.
  bool list;
};

std::span<const SettingField> setting_fields();

inline constexpr const char* kCaptureDeviceKey = "audio/capture_device";
inline constexpr const char* kMatchKey = "speech/match";
inline constexpr const char* kPushToTalkKey = "push_to_talk/key";
inline constexpr const char* kPushToTalkModeKey = "push_to_talk/mode";
inline constexpr const char* kTiesKey = "games/ties";
inline constexpr const char* kEchoKey = "display/echo";
inline constexpr const char* kCloseToTrayKey = "display/close_to_tray";

// The settings' environment variables that are set and not empty, by key.
SettingValues settings_from_environment(const std::function<const char*(const char*)>& getenv);

// The settings given on the command line, by key: `given(option)` lists the
// values of every time the option was given, in order. A list setting keeps
// them all, any other the last.
SettingValues settings_from_command_line(const std::function<std::vector<std::string>(const char* option)>& given);

// Every setting of `settings` that the file keeps, as text, by key.
SettingValues settings_to_values(const Settings& settings);

struct SettingSources {
  SettingValues file;
  SettingValues environment;
  SettingValues command_line;
};

struct ResolvedSettings {
  // The defaults, then the file: what the file keeps.
  Settings saved;
  // `saved`, then the environment, then the command line: what this run uses.
  Settings effective;
  // Keys the environment or the command line set for this run.
  std::vector<std::string> fixed_keys;
  // Values that are not valid, as `layer key = "text"`; each leaves the layer below in use.
  std::vector<std::string> problems;
};

ResolvedSettings resolve_settings(const SettingSources& sources);

// This run's settings and the file that keeps them between runs. A change is
// written to the file and used at once, unless the environment or the command
// line fixed that setting for this run.
class SettingsKeeper {
 public:
  // Replaces the file's contents with `values`; the reason when it could not.
  using Writer = std::function<std::optional<std::string>(const SettingValues& values)>;

  SettingsKeeper(SettingSources sources, Writer write);

  const Settings& current() const { return resolved_.effective; }
  const Settings& saved() const { return resolved_.saved; }
  bool fixed(std::string_view key) const;
  const std::vector<std::string>& problems() const { return resolved_.problems; }

  // Applies `edit` to the saved settings and writes them, keeping keys of the
  // file this program does not know. The change is used even when the file
  // could not be written; the reason is returned then.
  std::optional<std::string> change(const std::function<void(Settings&)>& edit);

 private:
  SettingSources sources_;
  Writer write_;
  ResolvedSettings resolved_;
};

}  // namespace quillon
