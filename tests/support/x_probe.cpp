#include "support/x_probe.h"

#include <X11/Xlib.h>

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
}

}  // namespace quillon::testing
