#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <vector>

#include "input/platform.h"

namespace quillon {

// Waits in a nested event loop woken by a precise timer, so the window keeps
// working and nothing spins. quit_all() ends every wait in progress and every
// later one at once, so each run can release its keys before the program ends.
class QtWaiter : public Waiter {
 public:
  QtWaiter();
  double now() override;
  bool wait(double seconds) override;
  bool quitting() const override { return quitting_; }
  void quit_all();

 private:
  QElapsedTimer clock_;
  bool quitting_ = false;
  std::vector<QEventLoop*> loops_;
};

}  // namespace quillon
