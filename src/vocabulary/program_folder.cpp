#include "vocabulary/program_folder.h"
#include "vocabulary/ascii_case.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>

namespace quillon {
namespace {

constexpr int kExtensionLength = 4;  // ".xml"

// Set by the build: the installation's data folder relative to its bin folder.
constexpr const char* kDataFromBin = QUILLON_DATA_FROM_BIN;

bool can_make_files_in(const QString& folder) {
  // Permission bits lie on read-only mounts and for root; trying is the only sure test.
  QTemporaryFile probe(folder + "/.quillon-probe-XXXXXX");
  return probe.open();
}

// The bin folder of an installation (share/quillon beside it) belongs to the
// package manager, even for root, who could write there.
bool is_installed_bin(const std::string& folder) {
  return QFileInfo(QString::fromStdString(installation_data_folder(folder))).isDir();
}

}  // namespace

std::string resolve_program_folder(const std::string& chosen, const std::string& executable_folder) {
  if (!chosen.empty()) {
    QDir().mkpath(QString::fromStdString(chosen));
    return QDir::cleanPath(QDir(QString::fromStdString(chosen)).absolutePath()).toStdString();
  }
  const QString exe = QString::fromStdString(executable_folder);
  if (!exe.isEmpty() && !is_installed_bin(executable_folder) && can_make_files_in(exe)) {
    return QDir::cleanPath(exe).toStdString();
  }
  const QString data = QString::fromStdString(user_data_folder());
  QDir().mkpath(data);
  return QDir::cleanPath(data).toStdString();
}

std::string user_data_folder() {
  // GenericDataLocation honours $XDG_DATA_HOME and falls back to ~/.local/share.
  return (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/quillon").toStdString();
}

std::string installation_data_folder(const std::string& executable_folder) {
  return executable_folder + "/" + kDataFromBin;
}

std::vector<std::string> list_games(const std::string& folder) {
  std::vector<std::string> games;
  const QDir dir(QString::fromStdString(folder));
  const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
  for (const QFileInfo& file : files) {
    const QString name = file.fileName();
    if (name.size() <= kExtensionLength || !name.endsWith(".xml", Qt::CaseInsensitive)) continue;
    games.push_back(name.left(name.size() - kExtensionLength).toStdString());
  }
  std::sort(games.begin(), games.end(), [](const std::string& a, const std::string& b) {
    const std::string la = ascii_lower(a), lb = ascii_lower(b);
    return la != lb ? la < lb : a < b;
  });
  // "a.xml" and "a.XML" side by side (possible on Linux only) are one game.
  games.erase(std::unique(games.begin(), games.end()), games.end());
  return games;
}

std::string game_file_path(const std::string& folder, const std::string& name) {
  const QString base = QString::fromStdString(folder) + "/" + QString::fromStdString(name);
  const QString usual = base + ".xml";
  if (QFileInfo(usual).isFile()) return usual.toStdString();
  const QDir dir(QString::fromStdString(folder));
  const QString wanted = QString::fromStdString(name) + ".xml";
  const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QString& file : files) {
    if (file.size() == wanted.size() && file.startsWith(QString::fromStdString(name)) &&
        file.endsWith(".xml", Qt::CaseInsensitive)) {
      return (QString::fromStdString(folder) + "/" + file).toStdString();
    }
  }
  return usual.toStdString();
}

}  // namespace quillon
