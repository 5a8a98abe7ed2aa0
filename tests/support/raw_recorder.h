#pragma once

// Records what really reached the X server: XInput2 raw key, button and motion
// events on the root window, on a connection of its own and read by a thread
// of its own, so it knows nothing of the injector that caused them.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillon::testing {

struct RawEvent {
  enum class Kind { KeyDown, KeyUp, ButtonDown, ButtonUp, Motion };
  Kind kind;
  std::string keysym;    // keys: the keycode's first keysym at arrival ("Control_L", "a")
  unsigned keycode = 0;  // keys
  int button = 0;        // buttons
  double raw_dx = 0;     // motion as the device sent it
  double raw_dy = 0;
  double dx = 0;  // motion after the server's acceleration
  double dy = 0;
  unsigned long server_ms = 0;                     // the server's timestamp
  std::chrono::steady_clock::time_point received;  // when this recorder read it

  // "down Control_L", "up a", "button down 1", "motion 10 0".
  std::string text() const;
};

class RawEventRecorder {
 public:
  // Opens `display_name` and starts listening; `ok()` tells whether it could.
  explicit RawEventRecorder(const std::string& display_name);
  ~RawEventRecorder();
  RawEventRecorder(const RawEventRecorder&) = delete;
  RawEventRecorder& operator=(const RawEventRecorder&) = delete;

  bool ok() const { return ok_; }

  // Waits until at least `count` events are recorded or `timeout` passes, then
  // `settle` longer so that stray extra events are caught too.
  std::vector<RawEvent> wait_for(std::size_t count, std::chrono::milliseconds timeout,
                                 std::chrono::milliseconds settle = std::chrono::milliseconds(60));
  std::vector<RawEvent> events();
  void clear();

 private:
  void run();

  void* display_ = nullptr;
  int xi_opcode_ = 0;
  int wake_[2] = {-1, -1};
  bool ok_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<RawEvent> events_;
  std::thread thread_;
};

// The text of each event, for whole-sequence comparisons.
std::vector<std::string> texts(const std::vector<RawEvent>& events);

}  // namespace quillon::testing
