#include "ui/on_screen_echo.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "core/texts.h"

namespace quillon {
namespace {

constexpr int kMargin = 32;
constexpr double kOpacity = 0.85;

}  // namespace

OnScreenEcho::OnScreenEcho(int shown_ms) : QLabel(nullptr) {
  // A tooltip window is one the window manager never activates (on X11 it is
  // not managed at all); the input transparency lets clicks through to the game.
  setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput |
                 Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setWindowOpacity(kOpacity);
  setStyleSheet("QLabel { background: #202020; color: white; padding: 8px 14px; border: 1px solid #808080; }");
  QFont larger = font();
  larger.setPointSizeF(larger.pointSizeF() * 1.6);
  setFont(larger);
  hide_timer_.setSingleShot(true);
  // A coarse timer may fire 5 % early.
  hide_timer_.setTimerType(Qt::PreciseTimer);
  hide_timer_.setInterval(shown_ms);
  connect(&hide_timer_, &QTimer::timeout, this, &QWidget::hide);
}

void OnScreenEcho::show_heard(const std::string& phrase, const std::string& action) {
  setText(QString::fromStdString(action.empty() ? phrase : phrase + text::kEchoArrow + action));
  adjustSize();
  place();
  show();
  raise();
  hide_timer_.start();
}

// The lower right corner of the screen the pointer is on: where the game most
// likely is, away from the middle of the action.
void OnScreenEcho::place() {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  move(area.right() - width() - kMargin, area.bottom() - height() - kMargin);
}

}  // namespace quillon
