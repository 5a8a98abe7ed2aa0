#pragma once

// Watches one key or mouse button without taking it from anyone: the focused
// game still receives every press. Made by one factory per platform
// (hotkey_watcher_x11.cpp, hotkey_watcher_win.cpp).

#include <functional>
#include <memory>
#include <string>

#include "input/hotkey.h"

namespace quillon {

class HotkeyWatcher {
 public:
  // `down` is true for a press, false for a release.
  using Changed = std::function<void(bool down)>;

  virtual ~HotkeyWatcher() = default;
  // Reports every press and release of `hotkey`, wherever the focus is, to
  // `changed` on the GUI thread from its event loop, replacing any earlier
  // watch. A key held down may be reported pressed more than once (auto
  // repeat). False, watching nothing, when the hotkey cannot be watched here
  // (a key the keyboard lacks).
  virtual bool watch(Hotkey hotkey, Changed changed) = 0;
  // Ends the watch; nothing is reported after it returns.
  virtual void stop() = 0;
};

// Null with `log` saying why when this desktop offers no way to watch keys
// (no X display, or one without XInput 2); `log` names the backend otherwise.
std::unique_ptr<HotkeyWatcher> make_hotkey_watcher(std::string& log);

}  // namespace quillon
