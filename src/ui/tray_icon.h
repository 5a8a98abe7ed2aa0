#pragma once

// The icon in the desktop's tray: it shows whether voice commands or the test
// run, and its menu starts and stops the voice commands, chooses a game, shows
// the window and quits. Where the desktop has no tray nothing is shown and
// the rest works as before; the menu exists either way.

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <string>
#include <vector>

class QActionGroup;

namespace quillon {

enum class TrayState { idle, voice_commands, test_mode };

class TrayIcon : public QObject {
  Q_OBJECT

 public:
  explicit TrayIcon(QObject* parent = nullptr);

  // True when the desktop has a tray and the icon is in it.
  bool shown() const;
  void set_state(TrayState state);
  // The games to choose from, `current` marked (none when empty).
  void set_games(const std::vector<std::string>& games, const std::string& current);
  QMenu& menu() { return menu_; }

 signals:
  void start_stop_requested();
  void game_chosen(const QString& game);
  void show_window_requested();
  void quit_requested();

 private:
  QIcon icon_for(TrayState state) const;

  QMenu menu_;
  QMenu* games_ = nullptr;
  QActionGroup* game_group_ = nullptr;  // one game checked at a time
  QAction* start_stop_ = nullptr;
  QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace quillon
