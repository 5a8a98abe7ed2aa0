#pragma once

// A plain X window of a class and title chosen by the test, on a connection of
// its own: it can be given the focus and tells which keys and buttons reached
// it. It stands in for a game's window.

#include <chrono>
#include <string>
#include <vector>

namespace quillon::testing {

struct WindowLook {
  std::string program;  // the instance part of WM_CLASS
  std::string window_class;
  std::string title;
  int x = 0, y = 0, width = 200, height = 150;
  // Ignored by window managers, as menus and tooltips are.
  bool override_redirect = false;
};

class TestWindow {
 public:
  // Made and mapped; `ok()` tells whether it is on the screen.
  TestWindow(const std::string& display_name, const WindowLook& look);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  bool ok() const { return window_ != 0; }
  unsigned long id() const { return window_; }
  // Gives it the input focus directly, as a window manager would.
  void focus();
  void set_title(const std::string& title);
  void hide();

  // Waits until at least `count` keys and buttons have reached the window or
  // `timeout` passes: "key down F9", "key up F9", "button down 8", ...
  std::vector<std::string> wait_for_input(std::size_t count, std::chrono::milliseconds timeout);

 private:
  void read_events();

  void* display_ = nullptr;
  unsigned long window_ = 0;
  std::vector<std::string> input_;
};

// Runs `xdotool ARGS...` and waits for it; true when it succeeded.
bool xdotool(const std::vector<std::string>& arguments);

}  // namespace quillon::testing
