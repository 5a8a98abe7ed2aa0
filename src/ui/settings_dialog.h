#pragma once

// The settings dialog: the push-to-talk key and mode, games tied to windows
// (picked from the open windows), the on-screen echo and closing to the tray.
// It edits a copy; only OK writes it, through the SettingsKeeper.

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "input/desktop_windows.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableWidget;

namespace quillon {

class HotkeyEdit;

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  // `games` are those a window can be tied to; `windows` offers the open ones
  // to pick from (may be null: the pattern is then typed).
  SettingsDialog(const Settings& settings, std::vector<std::string> games, WindowList* windows,
                 QWidget* parent = nullptr);

  // The settings given, with the dialog's choices in them.
  Settings chosen() const;

 private:
  QWidget* build_push_to_talk();
  QWidget* build_ties();
  void refresh_windows();
  void fill_pattern_from_window();
  void add_tie_row(const WindowTie& tie);
  void add_tie();
  void remove_tie();

  Settings settings_;
  std::vector<std::string> games_;
  WindowList* windows_;
  HotkeyEdit* key_ = nullptr;
  QComboBox* mode_ = nullptr;
  QTableWidget* ties_ = nullptr;
  QComboBox* tie_game_ = nullptr;
  QComboBox* open_windows_ = nullptr;
  QComboBox* tie_by_ = nullptr;
  QLineEdit* pattern_ = nullptr;
  QCheckBox* echo_ = nullptr;
  QCheckBox* close_to_tray_ = nullptr;
};

struct SettingsEdit {
  bool accepted = false;
  // Why the file could not be written; the choices are used all the same.
  std::optional<std::string> write_failure;
};

// Shows the dialog over `parent` and waits for it; OK writes the choices
// through `keeper`, Cancel leaves everything as it was.
SettingsEdit edit_settings(QWidget* parent, SettingsKeeper& keeper, std::vector<std::string> games,
                           WindowList* windows);

}  // namespace quillon
