// The real wait: it keeps the event loop running, never ends early, and ends
// at once when the program is quitting.

#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <ctime>

#include "input/waiter_qt.h"

namespace quillon::testing {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double thread_cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

TEST(QtWaiterTest, ProcessesEventsWhileWaitingAndEndsStrictlyAfterTheTime) {
  QtWaiter waiter;
  bool posted_ran = false;
  QTimer::singleShot(50, [&] { posted_ran = true; });
  const auto start = Clock::now();
  const double start_own = waiter.now();
  const double start_cpu = thread_cpu_seconds();
  EXPECT_TRUE(waiter.wait(0.3));
  // Sleeping, not polling: a busy wait would use the whole 0.3 s.
  EXPECT_LT(thread_cpu_seconds() - start_cpu, 0.05);
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
