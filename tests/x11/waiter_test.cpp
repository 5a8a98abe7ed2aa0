// The real wait: it keeps the event loop running, never ends early, and ends
// at once when the program is quitting.

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QTimer>
#include <chrono>

#include "input/waiter_qt.h"

namespace quillon::testing {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// How often this thread's event loop went to sleep until the next event: once
// per timer for a wait that sleeps, never or thousands of times for one that
// spins, however busy the machine.
class SleepCount {
 public:
  SleepCount()
      : connection_(QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                                     [this] { ++count_; })) {}
  ~SleepCount() { QObject::disconnect(connection_); }
  int count() const { return count_; }

 private:
  int count_ = 0;
  QMetaObject::Connection connection_;
};

TEST(QtWaiterTest, ProcessesEventsWhileWaitingAndEndsStrictlyAfterTheTime) {
  QtWaiter waiter;
  bool posted_ran = false;
  QTimer::singleShot(50, [&] { posted_ran = true; });
  const auto start = Clock::now();
  const double start_own = waiter.now();
  const SleepCount sleeps;
  EXPECT_TRUE(waiter.wait(0.3));
  // Sleeping, not polling: woken by the posted timer and its own, and by
  // little else.
  EXPECT_GE(sleeps.count(), 1);
  EXPECT_LE(sleeps.count(), 20);
  EXPECT_GT(seconds_since(start), 0.3);
  EXPECT_GT(waiter.now() - start_own, 0.3);
  EXPECT_LT(seconds_since(start), 0.5);
  EXPECT_TRUE(posted_ran);
}

TEST(QtWaiterTest, ZeroAndNegativeWaitsEndAtOnce) {
  QtWaiter waiter;
  for (double seconds : {0.0, -1.0, -1e300}) {
    const auto start = Clock::now();
    EXPECT_TRUE(waiter.wait(seconds)) << seconds;
    EXPECT_LT(seconds_since(start), 0.05) << seconds;
  }
}

TEST(QtWaiterTest, QuitEndsNestedWaitsAndEveryLaterOne) {
  QtWaiter waiter;
  bool inner_result = true;
  QTimer::singleShot(20, [&] {
    QTimer::singleShot(30, [&] { waiter.quit_all(); });
    inner_result = waiter.wait(10);
  });
  const auto start = Clock::now();
  EXPECT_FALSE(waiter.wait(10));
  EXPECT_FALSE(inner_result);
  EXPECT_LT(seconds_since(start), 1.0);
  EXPECT_TRUE(waiter.quitting());
  EXPECT_FALSE(waiter.wait(1));
  EXPECT_LT(seconds_since(start), 1.0);
}

}  // namespace
}  // namespace quillon::testing
