#pragma once

// The settings file: one INI file in the user's config folder, in Qt's
// settings format, read once at start and replaced whole when a setting
// changes. Vocabulary files never hold settings.

#include <optional>
#include <string>

#include "core/settings.h"

namespace quillon {

// $XDG_CONFIG_HOME/quillon/quillon.ini (by default ~/.config/quillon/quillon.ini;
// on Windows in the local application data folder).
std::string settings_file_path();

struct SettingsFileRead {
  SettingValues values;
  std::string problem;  // why the file was not used (damaged, unreadable); `values` is then empty
};

// Every value of the file by key. A missing file is no problem and has no values.
SettingsFileRead read_settings_file(const std::string& path);

// Replaces the file at `path` by one holding `values`, all at once (a crash
// leaves the old file or the new one), making its folder when needed. The
// reason when it could not.
std::optional<std::string> write_settings_file(const std::string& path, const SettingValues& values);

// This run's settings: the file at `path` under the environment and
// `command_line`, written back to `path` on a change. A damaged or unreadable
// file, or values that are not valid, are said once on standard error and
// replaced by the defaults.
SettingsKeeper load_settings(const std::string& path, const SettingValues& command_line);

}  // namespace quillon
