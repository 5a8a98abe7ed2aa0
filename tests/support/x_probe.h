#pragma once

// A plain X connection for tests to look at and set up server state (pointer
// position, keyboard map) without Xlib's macros leaking into test code.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon::testing {

class XProbe {
 public:
  explicit XProbe(const std::string& display_name);
  ~XProbe();
  XProbe(const XProbe&) = delete;
  XProbe& operator=(const XProbe&) = delete;

  bool ok() const { return display_ != nullptr; }
  std::pair<int, int> pointer();
  void put_pointer(int x, int y);
  // Moves the pointer to (x, y) and clicks the left button there, through XTest.
  void click(int x, int y);
  // One press or release of a key (by keycode) or a mouse button, through XTest.
  void key(unsigned keycode, bool down);
  void button(unsigned button, bool down);
  // Names `window` as the active one in the root's _NET_ACTIVE_WINDOW, as a
  // window manager does; 0 removes the property.
  void set_active_window(unsigned long window);
  // Whether `window` is mapped and all its ancestors too.
  bool viewable(unsigned long window);
  // Whether window managers leave `window` alone (never frame nor activate it).
  bool override_redirect(unsigned long window);
  // The window holding the input focus (0 for none, 1 for PointerRoot).
  unsigned long input_focus();
  // The root position of the viewable top-level window whose _NET_WM_NAME is
  // `title`, if there is one.
  std::optional<std::pair<int, int>> window_origin(const std::string& title);
  // The core pointer acceleration (XChangePointerControl); returns the old one.
  struct Acceleration {
    int numerator, denominator, threshold;
  };
  Acceleration set_acceleration(Acceleration acceleration);
  // The keycode whose first keysym is `keysym_name`, 0 when none.
  unsigned keycode_of(const std::string& keysym_name);
  // The keysym names bound to `keycode` (NoSymbol entries left out).
  std::vector<std::string> keysyms_at(unsigned keycode);
  // Every keycode with at least one keysym.
  std::vector<unsigned> bound_keycodes();
  // Binds `keysym_names` to `keycode`; an empty list unbinds it. Returns once
  // every client of the server has been sent the change notice.
  void bind(unsigned keycode, const std::vector<std::string>& keysym_names);

 private:
  void* display_ = nullptr;
};

}  // namespace quillon::testing
