#include "ui/tray_icon.h"

#include <QActionGroup>
#include <QPainter>

#include "core/texts.h"

namespace quillon {
namespace {

constexpr int kIconSize = 64;

}  // namespace

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
  start_stop_ = menu_.addAction(text::kTrayStart, this, &TrayIcon::start_stop_requested);
  games_ = menu_.addMenu(text::kTrayGames);
  game_group_ = new QActionGroup(games_);
  menu_.addAction(text::kTrayShowWindow, this, &TrayIcon::show_window_requested);
  menu_.addSeparator();
  menu_.addAction(text::kTrayQuit, this, &TrayIcon::quit_requested);
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  icon_ = new QSystemTrayIcon(this);
  icon_->setContextMenu(&menu_);
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) emit show_window_requested();
  });
  set_state(TrayState::idle);
  icon_->show();
}

bool TrayIcon::shown() const { return icon_ && icon_->isVisible(); }

void TrayIcon::set_state(TrayState state) {
  start_stop_->setText(state == TrayState::voice_commands ? text::kTrayStop : text::kTrayStart);
  if (!icon_) return;
  icon_->setIcon(icon_for(state));
  icon_->setToolTip(state == TrayState::voice_commands ? text::kTrayVoiceCommands
                    : state == TrayState::test_mode    ? text::kTrayTestMode
                                                       : text::kTrayIdle);
}

void TrayIcon::set_games(const std::vector<std::string>& games, const std::string& current) {
  games_->clear();
  for (const std::string& game : games) {
    const QString name = QString::fromStdString(game);
    QAction* action = games_->addAction(name, this, [this, name] { emit game_chosen(name); });
    action->setCheckable(true);
    action->setChecked(game == current);
    game_group_->addAction(action);
  }
}

// The program's icon; a green dot while voice commands run, an orange one in
// test mode, so the state shows without opening anything.
QIcon TrayIcon::icon_for(TrayState state) const {
  QPixmap picture = QIcon(":/pictures/icon.svg").pixmap(kIconSize, kIconSize);
  if (state == TrayState::idle) return picture;
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 3));
  painter.setBrush(state == TrayState::voice_commands ? QColor(0, 170, 0) : QColor(255, 128, 0));
  painter.drawEllipse(QRectF(kIconSize * 0.55, kIconSize * 0.55, kIconSize * 0.4, kIconSize * 0.4));
  return picture;
}

}  // namespace quillon
