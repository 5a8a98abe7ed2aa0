#include "ui/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "vocabulary/atomic_file.h"

namespace quillon {
namespace {

QString to_qstring(const std::string& text) { return QString::fromStdString(text); }

bool is_list_setting(const std::string& key) {
  const auto fields = setting_fields();
  return std::any_of(fields.begin(), fields.end(), [&](const SettingField& f) { return f.list && key == f.key; });
}

// An unquoted value with commas reads as a list (ALSA names such as
// "plughw:CARD=PCH,DEV=0" have them): it is one value, unless the setting is a
// list. Qt reads a list with an item it had to mark (one holding a NUL, say)
// as a list of variants.
std::string value_text(const std::string& key, const QVariant& value) {
  if (value.typeId() != QMetaType::QStringList && value.typeId() != QMetaType::QVariantList) {
    return value.toString().toStdString();
  }
  if (!is_list_setting(key)) return value.toStringList().join(',').toStdString();
  std::vector<std::string> items;
  for (const QString& item : value.toStringList()) items.push_back(item.toStdString());
  return join_setting_list(items);
}

// A list is kept as Qt keeps lists, so the file reads as one item after another.
QVariant file_value(const std::string& key, const std::string& text) {
  if (!is_list_setting(key)) return to_qstring(text);
  QStringList items;
  for (const std::string& item : split_setting_list(text)) items.push_back(to_qstring(item));
  // Qt writes an empty list as "@Invalid()", which reads back as no value.
  if (items.size() < 2) return items.value(0);
  return items;
}

// Qt's reader takes nearly anything as settings; bytes that are not text mean
// the file was damaged.
bool is_text(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(bytes);
  return !utf8.hasError() && std::none_of(text.begin(), text.end(), [](QChar c) {
    return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
  });
}

// Quillon's settings are text, which Qt writes with a leading '@' doubled.
// Qt reads "@Variant(" as a value in its binary stream format, whose lengths
// it trusts: a damaged one asks for gigabytes and ends the program.
bool holds_binary_values(const QByteArray& bytes) {
  static const QByteArray kVariant = "@Variant(";
  for (qsizetype at = bytes.indexOf(kVariant); at >= 0; at = bytes.indexOf(kVariant, at + 1)) {
    if (at == 0 || bytes[at - 1] != '@') return true;
  }
  return false;
}

// Qt writes the format; the bytes then replace the file in one step.
std::optional<QByteArray> ini_bytes(const SettingValues& values) {
  const QTemporaryDir scratch;
  if (!scratch.isValid()) return std::nullopt;
  const QString draft = scratch.filePath("settings.ini");
  {
    QSettings ini(draft, QSettings::IniFormat);
    for (const auto& [key, value] : values) ini.setValue(to_qstring(key), file_value(key, value));
    ini.sync();
    if (ini.status() != QSettings::NoError) return std::nullopt;
  }
  QFile file(draft);
  if (values.empty() && !file.exists()) return QByteArray();  // Qt writes no file for no values
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

}  // namespace

std::string settings_file_path() {
  // GenericConfigLocation honours $XDG_CONFIG_HOME and falls back to ~/.config.
  return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/quillon/quillon.ini")
      .toStdString();
}

SettingsFileRead read_settings_file(const std::string& path) {
  const QFileInfo info(to_qstring(path));
  if (!info.exists()) return {};
  if (!info.isFile()) return {{}, "is not a file"};
  QFile file(to_qstring(path));
  if (!file.open(QIODevice::ReadOnly)) return {{}, "cannot be read"};
  const QByteArray bytes = file.readAll();
  if (!is_text(bytes) || holds_binary_values(bytes)) return {{}, "is damaged"};
  QSettings ini(to_qstring(path), QSettings::IniFormat);
  if (ini.status() == QSettings::AccessError) return {{}, "cannot be read"};
  if (ini.status() == QSettings::FormatError) return {{}, "is damaged"};
  SettingsFileRead read;
  for (const QString& key : ini.allKeys()) {
    // A line with no name ("[group]" then "=x") lists a key that Qt can
    // neither look up nor write back; it holds no setting.
    if (key.isEmpty() || key.startsWith('/') || key.endsWith('/') || key.contains("//")) continue;
    read.values[key.toStdString()] = value_text(key.toStdString(), ini.value(key));
  }
  return read;
}

std::optional<std::string> write_settings_file(const std::string& path, const SettingValues& values) {
  const std::optional<QByteArray> bytes = ini_bytes(values);
  if (!bytes) return "the settings could not be composed";
  if (!QDir().mkpath(QFileInfo(to_qstring(path)).absolutePath())) return "its folder cannot be made";
  return replace_file(path, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
}

SettingsKeeper load_settings(const std::string& path, const SettingValues& command_line) {
  const SettingsFileRead file = read_settings_file(path);
  SettingsKeeper settings(
      {file.values, settings_from_environment([](const char* name) { return std::getenv(name); }), command_line},
      [path](const SettingValues& values) { return write_settings_file(path, values); });
  std::vector<std::string> said;
  if (!file.problem.empty()) said.push_back("the file " + path + " " + file.problem + "; using the defaults");
  if (!settings.problems().empty()) said.push_back("not valid, not used: " + joined(settings.problems()));
  if (!said.empty()) std::fprintf(stderr, "quillon: settings: %s\n", joined(said).c_str());
  return settings;
}

}  // namespace quillon
