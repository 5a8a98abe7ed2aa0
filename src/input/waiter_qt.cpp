#include "input/waiter_qt.h"

#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace quillon {
namespace {

constexpr int kTimerFired = 1;

// Qt timers take an int of milliseconds; longer waits are made of several.
int next_interval_ms(double remaining_seconds) {
  const double ms = std::ceil(remaining_seconds * 1000.0);
  if (!(ms < static_cast<double>(std::numeric_limits<int>::max() / 2))) return std::numeric_limits<int>::max() / 2;
  return std::max(0, static_cast<int>(ms));
}

}  // namespace

QtWaiter::QtWaiter() { clock_.start(); }

double QtWaiter::now() { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }

bool QtWaiter::wait(double seconds) {
  if (quitting_) return false;
  if (seconds < 0 || std::isnan(seconds)) return true;
  const double start = now();
  while (!(now() - start > seconds)) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&loop] { loop.exit(kTimerFired); });
    const double remaining = seconds - (now() - start);
    // A timer rounds to whole milliseconds; the last sliver is a zero-time timer.
    timer.start(next_interval_ms(remaining));
    loops_.push_back(&loop);
    const int result = loop.exec();
    loops_.erase(std::find(loops_.begin(), loops_.end(), &loop));
    // Anything but our timer ending the loop means the application is quitting.
    if (result != kTimerFired || quitting_) {
      quitting_ = true;
      return false;
    }
  }
  return true;
}

void QtWaiter::quit_all() {
  quitting_ = true;
  for (QEventLoop* loop : loops_) loop->exit(0);
}

}  // namespace quillon
