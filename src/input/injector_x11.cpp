#include "input/injector_x11.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <array>
#include <utility>

namespace quillon {

struct XTestInjector::Connection {
  Display* display = nullptr;
  ~Connection() {
    if (display) XCloseDisplay(display);
  }
};

namespace {

struct VkKeysym {
  std::uint8_t vk;
  unsigned long keysym;
};

constexpr std::array<VkKeysym, 38> kNamedKeysyms{{
    {0x08, XK_BackSpace}, {0x09, XK_Tab},         {0x0D, XK_Return},     {0x10, XK_Shift_L},  {0x11, XK_Control_L},
    {0x12, XK_Alt_L},     {0x13, XK_Pause},       {0x14, XK_Caps_Lock},  {0x1B, XK_Escape},   {0x20, XK_space},
    {0x21, XK_Prior},     {0x22, XK_Next},        {0x23, XK_End},        {0x24, XK_Home},     {0x25, XK_Left},
    {0x26, XK_Up},        {0x27, XK_Right},       {0x28, XK_Down},       {0x2A, XK_Print},    {0x2D, XK_Insert},
    {0x2E, XK_Delete},    {0x5B, XK_Super_L},     {0x5C, XK_Super_R},    {0x5D, XK_Menu},     {0x6A, XK_KP_Multiply},
    {0x6B, XK_KP_Add},    {0x6D, XK_KP_Subtract}, {0x6F, XK_KP_Divide},  {0x90, XK_Num_Lock}, {0x91, XK_Scroll_Lock},
    {0xBA, XK_semicolon}, {0xBB, XK_equal},       {0xBC, XK_comma},      {0xBD, XK_minus},    {0xBE, XK_period},
    {0xBF, XK_slash},     {0xDC, XK_backslash},   {0xDE, XK_apostrophe},
}};

constexpr std::uint32_t kMove = 0x01;
constexpr std::uint32_t kLeftDown = 0x02;
constexpr std::uint32_t kLeftUp = 0x04;
constexpr std::uint32_t kRightDown = 0x08;
constexpr std::uint32_t kRightUp = 0x10;

}  // namespace

unsigned long keysym_for_vk(std::uint8_t vk) {
  if (vk >= 0x30 && vk <= 0x39) return XK_0 + (vk - 0x30);
  // Lower-case letter keysyms, so that the letter key itself is found with no Shift.
  if (vk >= 0x41 && vk <= 0x5A) return XK_a + (vk - 0x41);
  if (vk >= 0x70 && vk <= 0x7B) return XK_F1 + (vk - 0x70);
  for (const VkKeysym& row : kNamedKeysyms) {
    if (row.vk == vk) return row.keysym;
  }
  return NoSymbol;
}

std::unique_ptr<XTestInjector> XTestInjector::open() {
  auto connection = std::make_unique<Connection>();
  connection->display = XOpenDisplay(nullptr);
  if (!connection->display) return nullptr;
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(connection->display, &event_base, &error_base, &major, &minor)) return nullptr;
  return std::unique_ptr<XTestInjector>(new XTestInjector(std::move(connection)));
}

XTestInjector::XTestInjector(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {
  resolve_all();
}

XTestInjector::~XTestInjector() {
  Display* display = connection_->display;
  for (const auto& [keycode, keysym] : borrowed_) {
    // A new layout loaded meanwhile may have given the keycode a use of its own.
    int per_keycode = 0;
    KeySym* now = XGetKeyboardMapping(display, static_cast<KeyCode>(keycode), 1, &per_keycode);
    const bool still_ours = now && per_keycode > 0 && now[0] == keysym;
    if (now) XFree(now);
    if (!still_ours) continue;
    KeySym none = NoSymbol;
    XChangeKeyboardMapping(display, static_cast<int>(keycode), 1, &none, 1);
  }
  XSync(display, False);
}

unsigned XTestInjector::bind_spare_keycode(unsigned long keysym) {
  Display* display = connection_->display;
  int min_keycode = 0, max_keycode = 0;
  XDisplayKeycodes(display, &min_keycode, &max_keycode);
  int per_keycode = 0;
  KeySym* map =
      XGetKeyboardMapping(display, static_cast<KeyCode>(min_keycode), max_keycode - min_keycode + 1, &per_keycode);
  if (!map) return 0;
  unsigned spare = 0;
  for (int keycode = max_keycode; keycode >= min_keycode && spare == 0; --keycode) {
    bool empty = true;
    for (int i = 0; i < per_keycode; ++i) empty = empty && map[(keycode - min_keycode) * per_keycode + i] == NoSymbol;
    if (empty) spare = static_cast<unsigned>(keycode);
  }
  XFree(map);
  if (spare == 0) return 0;
  KeySym sym = keysym;
  XChangeKeyboardMapping(display, static_cast<int>(spare), 1, &sym, 1);
  XSync(display, False);
  borrowed_[spare] = keysym;
  return spare;
}

// The keyboard map may change while we run (a layout switch, or our own spare
// binding). Reading the events the server sends us lets Xlib reload its copy of
// the map; every code is then resolved afresh.
void XTestInjector::follow_keyboard_map() {
  Display* display = connection_->display;
  bool changed = false;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
    changed = true;
  }
  if (changed) resolve_all();
}

// Every code is resolved up front, so that no spare keycode is bound halfway
// through a chord.
void XTestInjector::resolve_all() {
  keycodes_.clear();
  for (int code = 0; code < 256; ++code) {
    const auto vk = static_cast<std::uint8_t>(code);
    const unsigned long keysym = keysym_for_vk(vk);
    if (keysym == NoSymbol) continue;
    // Our own earlier binding is found here like any other; only a keysym that
    // really is missing (again, after a new layout) takes a spare keycode.
    unsigned keycode = XKeysymToKeycode(connection_->display, keysym);
    if (keycode == 0) keycode = bind_spare_keycode(keysym);
    keycodes_[vk] = keycode;
  }
}

void XTestInjector::send_key(std::uint8_t vk, bool down) {
  follow_keyboard_map();
  unsigned keycode = 0;
  // A key goes up on the keycode it went down on, even if the map changed in between.
  if (const auto pressed = pressed_.find(vk); !down && pressed != pressed_.end()) {
    keycode = pressed->second;
    pressed_.erase(pressed);
  } else if (const auto found = keycodes_.find(vk); found != keycodes_.end()) {
    keycode = found->second;
  }
  if (keycode == 0) return;
  if (down) pressed_[vk] = keycode;
  XTestFakeKeyEvent(connection_->display, keycode, down ? True : False, CurrentTime);
  XFlush(connection_->display);
}

void XTestInjector::key_down(std::uint8_t vk) { send_key(vk, true); }

void XTestInjector::key_up(std::uint8_t vk) { send_key(vk, false); }

void XTestInjector::mouse(std::uint32_t flags, int dx, int dy) {
  Display* display = connection_->display;
  // The server does not put XTest relative motion through the pointer's
  // acceleration (the integration tests check this under a steep one), so the
  // pointer moves by exactly dx, dy.
  if (flags & kMove) XTestFakeRelativeMotionEvent(display, dx, dy, CurrentTime);
  if (flags & kLeftDown) XTestFakeButtonEvent(display, 1, True, CurrentTime);
  if (flags & kLeftUp) XTestFakeButtonEvent(display, 1, False, CurrentTime);
  if (flags & kRightDown) XTestFakeButtonEvent(display, 3, True, CurrentTime);
  if (flags & kRightUp) XTestFakeButtonEvent(display, 3, False, CurrentTime);
  XFlush(display);
}

}  // namespace quillon
