#pragma once

// The desktop's top-level windows: which one has the focus, as it changes, and
// which are open. One factory each per platform (desktop_windows_x11.cpp,
// desktop_windows_win.cpp).

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

// A top-level window as the user and a tie see it. Texts are UTF-8.
struct WindowInfo {
  // X11: the class part of WM_CLASS; Windows: the window's class name.
  std::string window_class;
  // X11: the instance part of WM_CLASS, usually the program's name; Windows:
  // the file name of the program that owns the window.
  std::string program;
  std::string title;

  bool operator==(const WindowInfo&) const = default;
};

class FocusWatcher {
 public:
  using Focused = std::function<void(const WindowInfo& window)>;

  virtual ~FocusWatcher() = default;
  // Reports the focused window now and again each time the focus moves to
  // another window or the focused window's title changes, to `focused` on the
  // GUI thread from its event loop, without polling. A focus on no window (the
  // bare desktop) is reported as an empty WindowInfo. Replaces any earlier
  // watch; false when the focus cannot be followed here.
  virtual bool start(Focused focused) = 0;
  // Nothing is reported after it returns.
  virtual void stop() = 0;
};

class WindowList {
 public:
  virtual ~WindowList() = default;
  // The open top-level windows the user can see, with their class, program and
  // title, in no particular order; empty when they cannot be listed.
  virtual std::vector<WindowInfo> windows() = 0;
};

// Null with `log` saying why when the focus cannot be followed here.
std::unique_ptr<FocusWatcher> make_focus_watcher(std::string& log);
std::unique_ptr<WindowList> make_window_list();

}  // namespace quillon
