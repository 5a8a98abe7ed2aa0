// Watches the hotkey through XInput 2 raw events on the root window. Raw events
// reach every client that asks for them and are not taken from anyone, so the
// focused game still gets the key; they also arrive while a game grabs the
// keyboard. The connection is our own, read when its socket has data.

// Qt before Xlib, whose macros (Bool, Status) break Qt's headers.
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "input/hotkey_watcher.h"
#include "input/injector_x11.h"

namespace quillon {
namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

class XInputHotkeyWatcher : public HotkeyWatcher {
 public:
  XInputHotkeyWatcher(std::unique_ptr<Display, DisplayCloser> display, int xi_opcode)
      : display_(std::move(display)), xi_opcode_(xi_opcode) {
    follow_keyboard_map();
    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(display_.get()), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { read_events(); });
  }

  ~XInputHotkeyWatcher() override { stop(); }

  bool watch(Hotkey hotkey, Changed changed) override {
    stop();
    hotkey_ = hotkey;
    if (hotkey.device == Hotkey::Device::keyboard) {
      resolve_keycodes();
      if (keycodes_.empty()) return false;
    }
    changed_ = std::move(changed);
    select(hotkey.device == Hotkey::Device::keyboard ? std::vector<int>{XI_RawKeyPress, XI_RawKeyRelease}
                                                     : std::vector<int>{XI_RawButtonPress, XI_RawButtonRelease});
    return true;
  }

  void stop() override {
    changed_ = nullptr;
    select({});
  }

 private:
  void select(const std::vector<int>& types) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    for (const int type : types) XISetMask(bits, type);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(display_.get(), DefaultRootWindow(display_.get()), &mask, 1);
    XSync(display_.get(), False);
    // XSync may have read events into Xlib's queue, which the socket no longer shows.
    read_events();
  }

  // Xlib speaks XKB, and the server then tells it of a new keyboard map
  // only through the XKB events it asks for, not the core MappingNotify.
  void follow_keyboard_map() {
    int opcode = 0, error_base = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display_.get(), &opcode, &xkb_event_base_, &error_base, &major, &minor)) return;
    constexpr unsigned long kChanges = XkbMapNotifyMask | XkbNewKeyboardNotifyMask;
    if (!XkbSelectEvents(display_.get(), XkbUseCoreKbd, kChanges, kChanges)) xkb_event_base_ = -1;
  }

  // Every keycode that carries the hotkey's keysym in the current keyboard map,
  // the same keysym the injector sends for that virtual-key code.
  void resolve_keycodes() {
    keycodes_.clear();
    const unsigned long keysym = keysym_for_vk(hotkey_.code);
    if (keysym == NoSymbol) return;
    int min_keycode = 0, max_keycode = 0, per_keycode = 0;
    XDisplayKeycodes(display_.get(), &min_keycode, &max_keycode);
    KeySym* map = XGetKeyboardMapping(display_.get(), static_cast<KeyCode>(min_keycode), max_keycode - min_keycode + 1,
                                      &per_keycode);
    if (!map) return;
    for (int keycode = min_keycode; keycode <= max_keycode; ++keycode) {
      const KeySym* row = map + (keycode - min_keycode) * per_keycode;
      if (std::find(row, row + per_keycode, keysym) != row + per_keycode) keycodes_.push_back(keycode);
    }
    XFree(map);
  }

  void read_events() {
    Display* display = display_.get();
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MappingNotify || (xkb_event_base_ >= 0 && event.type == xkb_event_base_)) {
        if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
        if (hotkey_.device == Hotkey::Device::keyboard) resolve_keycodes();
        continue;
      }
      XGenericEventCookie* cookie = &event.xcookie;
      if (cookie->type != GenericEvent || cookie->extension != xi_opcode_ || !XGetEventData(display, cookie)) continue;
      const int type = cookie->evtype;
      const int detail = static_cast<const XIRawEvent*>(cookie->data)->detail;
      XFreeEventData(display, cookie);
      report(type, detail);
    }
  }

  void report(int type, int detail) {
    if (!changed_) return;
    const bool key = type == XI_RawKeyPress || type == XI_RawKeyRelease;
    const bool ours =
        key ? std::find(keycodes_.begin(), keycodes_.end(), detail) != keycodes_.end() : detail == hotkey_.code;
    // A copy: the callback may replace or end the watch.
    if (Changed changed = changed_; ours) changed(type == XI_RawKeyPress || type == XI_RawButtonPress);
  }

  std::unique_ptr<Display, DisplayCloser> display_;
  int xi_opcode_;
  int xkb_event_base_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  Hotkey hotkey_;
  std::vector<int> keycodes_;
  Changed changed_;
};

}  // namespace

std::unique_ptr<HotkeyWatcher> make_hotkey_watcher(std::string& log) {
  std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) {
    log = "no X display: the push-to-talk key cannot be watched";
    return nullptr;
  }
  // 2.1 and later deliver raw events even while another client grabs the device.
  int opcode = 0, event_base = 0, error_base = 0, major = 2, minor = 2;
  if (!XQueryExtension(display.get(), "XInputExtension", &opcode, &event_base, &error_base) ||
      XIQueryVersion(display.get(), &major, &minor) != Success) {
    log = "the X server lacks XInput 2: the push-to-talk key cannot be watched";
    return nullptr;
  }
  log = "push-to-talk key watched through XInput 2 raw events";
  return std::make_unique<XInputHotkeyWatcher>(std::move(display), opcode);
}

}  // namespace quillon
