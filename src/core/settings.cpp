#include "core/settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "commands/hotkey.h"

namespace quillon {
namespace {

constexpr char kListSeparator = '\n';

// A device name is passed to the sound system as it is; only text that
// cannot be a name is refused.
bool read_capture_device(Settings& settings, const std::string& text) {
  const bool control = std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20; });
  if (text.empty() || control) return false;
  settings.capture_device = text;
  return true;
}

std::string write_capture_device(const Settings& settings) { return settings.capture_device; }

bool read_match(Settings& settings, const std::string& text) {
  if (text != "alone" && text != "anywhere") return false;
  settings.match = text;
  return true;
}

std::string write_match(const Settings& settings) { return settings.match; }

// Empty: no hotkey.
bool read_push_to_talk_key(Settings& settings, const std::string& text) {
  if (!text.empty() && !read_hotkey(text)) return false;
  settings.push_to_talk_key = text;
  return true;
}

std::string write_push_to_talk_key(const Settings& settings) { return settings.push_to_talk_key; }

bool read_push_to_talk_mode_text(Settings& settings, const std::string& text) {
  const auto mode = read_push_to_talk_mode(text);
  if (!mode) return false;
  settings.push_to_talk_mode = *mode;
  return true;
}

std::string write_push_to_talk_mode(const Settings& settings) {
  return push_to_talk_mode_name(settings.push_to_talk_mode);
}

// One bad tie refuses the whole list, as any bad value is refused whole.
bool read_ties(Settings& settings, const std::string& text) {
  std::vector<WindowTie> ties;
  for (const std::string& item : split_setting_list(text)) {
    const auto tie = read_tie(item);
    if (!tie) return false;
    ties.push_back(*tie);
  }
  settings.ties = std::move(ties);
  return true;
}

std::string write_ties(const Settings& settings) {
  std::vector<std::string> items;
  for (const WindowTie& tie : settings.ties) items.push_back(tie_text(tie));
  return join_setting_list(items);
}

bool read_switch(bool& value, const std::string& text) {
  if (text != "on" && text != "off") return false;
  value = text == "on";
  return true;
}

std::string switch_text(bool value) { return value ? "on" : "off"; }

bool read_echo(Settings& settings, const std::string& text) { return read_switch(settings.echo, text); }
std::string write_echo(const Settings& settings) { return switch_text(settings.echo); }
bool read_close_to_tray(Settings& settings, const std::string& text) {
  return read_switch(settings.close_to_tray, text);
}
std::string write_close_to_tray(const Settings& settings) { return switch_text(settings.close_to_tray); }

// The whole text as a finite number, as strtof reads it.
std::optional<float> number(const std::string& text) {
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

template <std::optional<float> EngineTuning::*field>
bool read_tuning_number(Settings& settings, const std::string& text) {
  const std::optional<float> value = number(text);
  if (value) settings.tuning.*field = value;
  return value.has_value();
}

template <std::string EngineTuning::*field>
bool read_tuning_text(Settings& settings, const std::string& text) {
  settings.tuning.*field = text;
  return true;
}

// A tuning value: from its environment variable, for this run only.
constexpr SettingField tuning(const char* key, const char* environment, bool (*read)(Settings&, const std::string&)) {
  return {key, false, environment, nullptr, nullptr, nullptr, read, nullptr, false};
}

// Adding a setting is one field of Settings and one row here.
const SettingField kFields[] = {
    {kCaptureDeviceKey, true, "QUILLON_ALSA_DEVICE", "capture-device", "DEVICE",
     "The microphone (ALSA capture device) to listen with.", read_capture_device, write_capture_device, false},
    {kMatchKey, true, "QUILLON_MATCH", "match", "alone|anywhere",
     "A command acts only when said on its own (alone), or wherever it is heard in running speech (anywhere).",
     read_match, write_match, false},
    {kPushToTalkKey, true, nullptr, "push-to-talk", "KEY",
     "The push-to-talk key, named as in action strings (F9, CapsLock), or MB8/MB9 for the mouse's side buttons.",
     read_push_to_talk_key, write_push_to_talk_key, false},
    {kPushToTalkModeKey, true, nullptr, "push-to-talk-mode", "off|hold|toggle",
     "Listen only while the push-to-talk key is held (hold), start and stop voice commands with it (toggle), or "
     "not use it (off).",
     read_push_to_talk_mode_text, write_push_to_talk_mode, false},
    {kTiesKey, true, nullptr, "tie", "GAME=CLASS",
     "Use GAME's vocabulary while a window of class CLASS (any case) has the focus; GAME=title:PART ties it to "
     "windows whose title holds PART. May be given more than once.",
     read_ties, write_ties, true},
    {kEchoKey, true, nullptr, "echo", "on|off", "Show what was heard and done near a corner of the screen.", read_echo,
     write_echo, false},
    {kCloseToTrayKey, true, nullptr, "close-to-tray", "on|off",
     "Closing the window keeps Quillon running in the tray (where the desktop has one).", read_close_to_tray,
     write_close_to_tray, false},
    tuning("spotter/threshold", "QUILLON_KWS_THRESHOLD", read_tuning_number<&EngineTuning::spotter_threshold>),
    tuning("spotter/score", "QUILLON_KWS_SCORE", read_tuning_number<&EngineTuning::spotter_score>),
    tuning("sphinx/garbage", "QUILLON_SPHINX_GARBAGE", read_tuning_number<&EngineTuning::sphinx_garbage>),
    tuning("sphinx/end_frames", "QUILLON_SPHINX_END_FRAMES", read_tuning_number<&EngineTuning::sphinx_end_frames>),
    tuning("sphinx/min_score", "QUILLON_SPHINX_MIN_SCORE", read_tuning_number<&EngineTuning::sphinx_min_score>),
    tuning("sphinx/min_contrast", "QUILLON_SPHINX_MIN_CONTRAST",
           read_tuning_number<&EngineTuning::sphinx_min_contrast>),
    tuning("sphinx/extra_frames", "QUILLON_SPHINX_EXTRA_FRAMES",
           read_tuning_number<&EngineTuning::sphinx_extra_frames>),
    tuning("sphinx/noise_floor", "QUILLON_SPHINX_NOISE_FLOOR", read_tuning_number<&EngineTuning::sphinx_noise_floor>),
    tuning("sphinx/pronunciations", "QUILLON_SPHINX_PRONUNCIATIONS",
           read_tuning_number<&EngineTuning::sphinx_pronunciations>),
    tuning("sphinx/model", "QUILLON_SPHINX_MODEL", read_tuning_text<&EngineTuning::sphinx_model>),
    tuning("sphinx/options", "QUILLON_SPHINX_OPTIONS", read_tuning_text<&EngineTuning::sphinx_options>),
};

// Applies the values of one layer; returns the keys it set. The file's layer
// sets only what the file keeps.
std::vector<std::string> apply(const SettingValues& values, const char* layer, Settings& settings,
                               std::vector<std::string>& problems, bool from_file = false) {
  std::vector<std::string> applied;
  for (const SettingField& field : kFields) {
    const auto found = values.find(field.key);
    if (found == values.end() || (from_file && !field.in_file)) continue;
    if (field.read(settings, found->second)) {
      applied.emplace_back(field.key);
    } else {
      problems.push_back(std::string(layer) + " " + field.key + " = \"" + found->second + "\"");
    }
  }
  return applied;
}

}  // namespace

std::span<const SettingField> setting_fields() { return kFields; }

// The inverse of join_setting_list, also for a last item that is empty.
std::vector<std::string> split_setting_list(std::string_view text) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  for (;;) {
    const std::size_t end = text.find(kListSeparator);
    items.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) return items;
    text.remove_prefix(end + 1);
  }
}

std::string join_setting_list(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += kListSeparator;
    text += items[i];
  }
  return text;
}

SettingValues settings_from_command_line(const std::function<std::vector<std::string>(const char* option)>& given) {
  SettingValues values;
  for (const SettingField& field : kFields) {
    if (!field.option) continue;
    const std::vector<std::string> texts = given(field.option);
    if (texts.empty()) continue;
    values[field.key] = field.list ? join_setting_list(texts) : texts.back();
  }
  return values;
}

SettingValues settings_from_environment(const std::function<const char*(const char*)>& getenv) {
  SettingValues values;
  for (const SettingField& field : kFields) {
    if (!field.environment) continue;
    const char* value = getenv(field.environment);
    if (value && *value) values[field.key] = value;
  }
  return values;
}

SettingValues settings_to_values(const Settings& settings) {
  SettingValues values;
  for (const SettingField& field : kFields) {
    if (field.in_file) values[field.key] = field.write(settings);
  }
  return values;
}

ResolvedSettings resolve_settings(const SettingSources& sources) {
  ResolvedSettings resolved;
  apply(sources.file, "file", resolved.saved, resolved.problems, true);
  resolved.effective = resolved.saved;
  for (const auto& [values, layer] :
       {std::pair{&sources.environment, "environment"}, std::pair{&sources.command_line, "command line"}}) {
    for (std::string& key : apply(*values, layer, resolved.effective, resolved.problems)) {
      if (std::find(resolved.fixed_keys.begin(), resolved.fixed_keys.end(), key) == resolved.fixed_keys.end()) {
        resolved.fixed_keys.push_back(std::move(key));
      }
    }
  }
  return resolved;
}

SettingsKeeper::SettingsKeeper(SettingSources sources, Writer write)
    : sources_(std::move(sources)), write_(std::move(write)), resolved_(resolve_settings(sources_)) {}

bool SettingsKeeper::fixed(std::string_view key) const {
  return std::find(resolved_.fixed_keys.begin(), resolved_.fixed_keys.end(), key) != resolved_.fixed_keys.end();
}

std::optional<std::string> SettingsKeeper::change(const std::function<void(Settings&)>& edit) {
  Settings edited = resolved_.saved;
  edit(edited);
  for (auto& [key, value] : settings_to_values(edited)) sources_.file[key] = std::move(value);
  resolved_ = resolve_settings(sources_);
  return write_ ? write_(sources_.file) : std::nullopt;
}

}  // namespace quillon
