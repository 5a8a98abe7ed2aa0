#include "support/x_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace quillon::testing {
namespace {
Display* dpy(void* display) { return static_cast<Display*>(display); }
}  // namespace

XProbe::XProbe(const std::string& display_name) { display_ = XOpenDisplay(display_name.c_str()); }

XProbe::~XProbe() {
  if (display_) XCloseDisplay(dpy(display_));
}

std::pair<int, int> XProbe::pointer() {
  Window root = 0, child = 0;
  int x = 0, y = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  XQueryPointer(dpy(display_), DefaultRootWindow(dpy(display_)), &root, &child, &x, &y, &wx, &wy, &mask);
  return {x, y};
}

void XProbe::put_pointer(int x, int y) {
  XWarpPointer(dpy(display_), None, DefaultRootWindow(dpy(display_)), 0, 0, 0, 0, x, y);
  XSync(dpy(display_), False);
}

void XProbe::click(int x, int y) {
  Display* d = dpy(display_);
  XTestFakeMotionEvent(d, DefaultScreen(d), x, y, CurrentTime);
  XTestFakeButtonEvent(d, 1, True, CurrentTime);
  XTestFakeButtonEvent(d, 1, False, CurrentTime);
  XSync(d, False);
}

void XProbe::key(unsigned keycode, bool down) {
  XTestFakeKeyEvent(dpy(display_), keycode, down ? True : False, CurrentTime);
  XSync(dpy(display_), False);
}

void XProbe::button(unsigned button, bool down) {
  XTestFakeButtonEvent(dpy(display_), button, down ? True : False, CurrentTime);
  XSync(dpy(display_), False);
}

void XProbe::set_active_window(unsigned long window) {
  Display* d = dpy(display_);
  const Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
  if (window == 0) {
    XDeleteProperty(d, DefaultRootWindow(d), active);
  } else {
    Window value = window;
    XChangeProperty(d, DefaultRootWindow(d), active, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
  }
  XSync(d, False);
}

bool XProbe::viewable(unsigned long window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(dpy(display_), window, &attributes) && attributes.map_state == IsViewable;
}

bool XProbe::override_redirect(unsigned long window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(dpy(display_), window, &attributes) && attributes.override_redirect;
}

unsigned long XProbe::input_focus() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(dpy(display_), &focus, &revert);
  return focus;
}

std::optional<std::pair<int, int>> XProbe::window_origin(const std::string& title) {
  Display* d = dpy(display_);
  const Window root = DefaultRootWindow(d);
  const Atom name_atom = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Window root_back = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, root, &root_back, &parent, &children, &count)) return std::nullopt;
  std::optional<std::pair<int, int>> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* value = nullptr;
    if (XGetWindowProperty(d, children[i], name_atom, 0, 1024, False, utf8, &type, &format, &items, &after, &value) ==
            Success &&
        value) {
      if (std::string(reinterpret_cast<char*>(value), items) == title) {
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(d, children[i], root, 0, 0, &x, &y, &child);
        found = std::make_pair(x, y);
      }
      XFree(value);
    }
  }
  if (children) XFree(children);
  return found;
}

XProbe::Acceleration XProbe::set_acceleration(Acceleration acceleration) {
  Acceleration old{};
  XGetPointerControl(dpy(display_), &old.numerator, &old.denominator, &old.threshold);
  XChangePointerControl(dpy(display_), True, True, acceleration.numerator, acceleration.denominator,
                        acceleration.threshold);
  XSync(dpy(display_), False);
  return old;
}

std::vector<std::string> XProbe::keysyms_at(unsigned keycode) {
  int per_keycode = 0;
  KeySym* syms = XGetKeyboardMapping(dpy(display_), static_cast<KeyCode>(keycode), 1, &per_keycode);
  std::vector<std::string> names;
  for (int i = 0; syms && i < per_keycode; ++i) {
    if (syms[i] == NoSymbol) continue;
    const char* name = XKeysymToString(syms[i]);
    names.push_back(name ? name : "?");
  }
  if (syms) XFree(syms);
  return names;
}

std::vector<unsigned> XProbe::bound_keycodes() {
  int min_keycode = 0, max_keycode = 0;
  XDisplayKeycodes(dpy(display_), &min_keycode, &max_keycode);
  std::vector<unsigned> out;
  for (int keycode = min_keycode; keycode <= max_keycode; ++keycode) {
    if (!keysyms_at(static_cast<unsigned>(keycode)).empty()) out.push_back(static_cast<unsigned>(keycode));
  }
  return out;
}

unsigned XProbe::keycode_of(const std::string& keysym_name) {
  for (unsigned keycode : bound_keycodes()) {
    const std::vector<std::string> names = keysyms_at(keycode);
    if (names.front() == keysym_name) return keycode;
  }
  return 0;
}

void XProbe::bind(unsigned keycode, const std::vector<std::string>& keysym_names) {
  std::vector<KeySym> syms;
  for (const std::string& name : keysym_names) syms.push_back(XStringToKeysym(name.c_str()));
  if (syms.empty()) syms.push_back(NoSymbol);
  XChangeKeyboardMapping(dpy(display_), static_cast<int>(keycode), static_cast<int>(syms.size()), syms.data(), 1);
  XSync(dpy(display_), False);
  // The server takes a further request only once it has sent out everything
  // the change produced: after this round trip every client has the change
  // notice waiting on its connection.
  XSync(dpy(display_), False);
}

}  // namespace quillon::testing
