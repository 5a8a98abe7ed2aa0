#include "support/raw_recorder.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>

namespace quillon::testing {
namespace {

Display* as_display(void* display) { return static_cast<Display*>(display); }

// The first keysym bound to `keycode` now. Asked of the server at each event
// because a binding may be gone by the time anyone looks.
std::string keysym_name(Display* display, unsigned keycode) {
  int per_keycode = 0;
  KeySym* syms = XGetKeyboardMapping(display, static_cast<KeyCode>(keycode), 1, &per_keycode);
  std::string name = "NoSymbol";
  if (syms && per_keycode > 0 && syms[0] != NoSymbol) {
    if (const char* text = XKeysymToString(syms[0])) name = text;
  }
  if (syms) XFree(syms);
  return name;
}

// Raw events list only the axes that changed, packed in axis order.
void read_axes(const XIValuatorState& state, const double* values, double& x, double& y) {
  int packed = 0;
  x = y = 0;
  for (int axis = 0; axis < state.mask_len * 8; ++axis) {
    if (!XIMaskIsSet(state.mask, axis)) continue;
    if (axis == 0) x = values[packed];
    if (axis == 1) y = values[packed];
    ++packed;
  }
}

}  // namespace

std::string RawEvent::text() const {
  char line[96];
  switch (kind) {
    case Kind::KeyDown:
      return "down " + keysym;
    case Kind::KeyUp:
      return "up " + keysym;
    case Kind::ButtonDown:
      return "button down " + std::to_string(button);
    case Kind::ButtonUp:
      return "button up " + std::to_string(button);
    case Kind::Motion:
      std::snprintf(line, sizeof line, "motion %g %g", raw_dx, raw_dy);
      return line;
  }
  return "?";
}

std::vector<std::string> texts(const std::vector<RawEvent>& events) {
  std::vector<std::string> out;
  for (const RawEvent& event : events) out.push_back(event.text());
  return out;
}

RawEventRecorder::RawEventRecorder(const std::string& display_name) {
  Display* display = XOpenDisplay(display_name.c_str());
  if (!display) return;
  display_ = display;
  int event_base = 0, error_base = 0;
  int major = 2, minor = 2;
  if (!XQueryExtension(display, "XInputExtension", &xi_opcode_, &event_base, &error_base) ||
      XIQueryVersion(display, &major, &minor) != Success) {
    return;
  }
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  for (int type : {XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress, XI_RawButtonRelease, XI_RawMotion}) {
    XISetMask(bits, type);
  }
  XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
  XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
  XSync(display, False);
  if (::pipe(wake_) != 0) return;
  ok_ = true;
  thread_ = std::thread([this] { run(); });
}

RawEventRecorder::~RawEventRecorder() {
  if (thread_.joinable()) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
    thread_.join();
  }
  for (int fd : wake_) {
    if (fd >= 0) ::close(fd);
  }
  if (display_) XCloseDisplay(as_display(display_));
}

void RawEventRecorder::run() {
  Display* display = as_display(display_);
  while (true) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      XGenericEventCookie* cookie = &event.xcookie;
      if (cookie->type != GenericEvent || cookie->extension != xi_opcode_ || !XGetEventData(display, cookie)) {
        continue;
      }
      const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
      RawEvent out{};
      out.server_ms = raw->time;
      out.received = std::chrono::steady_clock::now();
      bool keep = true;
      switch (cookie->evtype) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease:
          out.kind = cookie->evtype == XI_RawKeyPress ? RawEvent::Kind::KeyDown : RawEvent::Kind::KeyUp;
          out.keycode = static_cast<unsigned>(raw->detail);
          out.keysym = keysym_name(display, out.keycode);
          break;
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
          out.kind = cookie->evtype == XI_RawButtonPress ? RawEvent::Kind::ButtonDown : RawEvent::Kind::ButtonUp;
          out.button = raw->detail;
          break;
        case XI_RawMotion:
          out.kind = RawEvent::Kind::Motion;
          read_axes(raw->valuators, raw->raw_values, out.raw_dx, out.raw_dy);
          read_axes(raw->valuators, raw->valuators.values, out.dx, out.dy);
          break;
        default:
          keep = false;
      }
      XFreeEventData(display, cookie);
      if (keep) {
        std::lock_guard lock(mutex_);
        events_.push_back(out);
        changed_.notify_all();
      }
    }
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
  }
}

std::vector<RawEvent> RawEventRecorder::wait_for(std::size_t count, std::chrono::milliseconds timeout,
                                                 std::chrono::milliseconds settle) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
  lock.unlock();
  if (settle.count() > 0) std::this_thread::sleep_for(settle);
  return events();
}

std::vector<RawEvent> RawEventRecorder::events() {
  std::lock_guard lock(mutex_);
  return events_;
}

void RawEventRecorder::clear() {
  std::lock_guard lock(mutex_);
  events_.clear();
}

}  // namespace quillon::testing
