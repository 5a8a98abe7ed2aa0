#include "speech/taught_voice_file.h"

#include <QFile>

#include "vocabulary/atomic_file.h"

namespace quillon {
namespace {

QString q(const std::string& path) { return QString::fromStdString(path); }

std::string free_aside_name(const std::string& path) {
  std::string aside = path + ".damaged";
  for (int n = 2; QFile::exists(q(aside)); ++n) aside = path + ".damaged-" + std::to_string(n);
  return aside;
}

}  // namespace

TaughtVoiceFile::TaughtVoiceFile(const std::string& folder) : path_(folder + "/" + kTaughtVoiceFile) {}

TaughtVoiceLoad TaughtVoiceFile::load() {
  damaged_ = false;
  QFile file(q(path_));
  if (!file.exists()) return {};
  if (!file.open(QIODevice::ReadOnly)) {
    damaged_ = true;
    return {{}, path_ + ": " + file.errorString().toStdString()};
  }
  const QByteArray bytes = file.readAll();
  const TaughtVoiceRead read = parse_taught_voice(std::string_view(bytes.constData(), bytes.size()));
  if (!read.ok) {
    damaged_ = true;
    return {{}, path_ + ": " + read.error};
  }
  return {read.voice, ""};
}

std::optional<std::string> TaughtVoiceFile::save(const TaughtVoice& voice) {
  if (damaged_ && QFile::exists(q(path_))) {
    const std::string aside = free_aside_name(path_);
    if (!QFile::rename(q(path_), q(aside))) return "cannot move the damaged " + path_ + " aside to " + aside;
  }
  damaged_ = false;
  if (auto error = replace_file(path_, format_taught_voice(voice))) return path_ + ": " + *error;
  return std::nullopt;
}

}  // namespace quillon
