#include "core/settings.h"

#include <algorithm>

namespace quillon {
namespace {

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

// Adding a setting is one field of Settings and one row here.
const SettingField kFields[] = {
    {kCaptureDeviceKey, "QUILLON_ALSA_DEVICE", "capture-device", "DEVICE",
     "The microphone (ALSA capture device) to listen with.", read_capture_device, write_capture_device},
    {kMatchKey, "QUILLON_MATCH", "match", "alone|anywhere",
     "A command acts only when said on its own (alone), or wherever it is heard in running speech (anywhere).",
     read_match, write_match},
};

// Applies the values of one layer; returns the keys it set.
std::vector<std::string> apply(const SettingValues& values, const char* layer, Settings& settings,
                               std::vector<std::string>& problems) {
  std::vector<std::string> applied;
  for (const SettingField& field : kFields) {
    const auto found = values.find(field.key);
    if (found == values.end()) continue;
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
  for (const SettingField& field : kFields) values[field.key] = field.write(settings);
  return values;
}

ResolvedSettings resolve_settings(const SettingSources& sources) {
  ResolvedSettings resolved;
  apply(sources.file, "file", resolved.saved, resolved.problems);
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
