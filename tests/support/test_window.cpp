#include "support/test_window.h"

// Qt before Xlib, whose macros (Bool, Status) break Qt's headers.
#include <QProcess>
#include <QStringList>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <string>

namespace quillon::testing {
namespace {

Display* as_display(void* display) { return static_cast<Display*>(display); }

using Clock = std::chrono::steady_clock;

// Waits for the connection to have data, at most until `deadline`.
bool wait_readable(Display* display, Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) return false;
  pollfd fd{ConnectionNumber(display), POLLIN, 0};
  return poll(&fd, 1, static_cast<int>(left)) > 0;
}

}  // namespace

TestWindow::TestWindow(const std::string& display_name, const WindowLook& look) {
  Display* display = XOpenDisplay(display_name.c_str());
  if (!display) return;
  display_ = display;
  XSetWindowAttributes attributes{};
  attributes.override_redirect = look.override_redirect ? True : False;
  attributes.background_pixel = WhitePixel(display, DefaultScreen(display));
  attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
  const Window window =
      XCreateWindow(display, DefaultRootWindow(display), look.x, look.y, static_cast<unsigned>(look.width),
                    static_cast<unsigned>(look.height), 0, CopyFromParent, InputOutput, CopyFromParent,
                    CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
  std::string program = look.program, window_class = look.window_class;
  XClassHint hint{program.data(), window_class.data()};
  XSetClassHint(display, window, &hint);
  window_ = window;
  set_title(look.title);
  XMapWindow(display, window);
  // The focus can only be given to a window that is on the screen.
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  for (XEvent event{}; event.type != MapNotify;) {
    if (XPending(display) == 0 && !wait_readable(display, deadline)) {
      window_ = 0;
      return;
    }
    XNextEvent(display, &event);
  }
}

TestWindow::~TestWindow() {
  if (display_) XCloseDisplay(as_display(display_));
}

void TestWindow::focus() {
  XSetInputFocus(as_display(display_), window_, RevertToPointerRoot, CurrentTime);
  XSync(as_display(display_), False);
}

void TestWindow::set_title(const std::string& title) {
  if (!window_) return;
  Display* display = as_display(display_);
  const auto* bytes = reinterpret_cast<const unsigned char*>(title.data());
  XChangeProperty(display, window_, XInternAtom(display, "_NET_WM_NAME", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace, bytes,
                  static_cast<int>(title.size()));
  XSync(display, False);
}

void TestWindow::hide() {
  XUnmapWindow(as_display(display_), window_);
  XSync(as_display(display_), False);
}

void TestWindow::read_events() {
  Display* display = as_display(display_);
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == KeyPress || event.type == KeyRelease) {
      const char* name = XKeysymToString(XLookupKeysym(&event.xkey, 0));
      input_.push_back(std::string(event.type == KeyPress ? "key down " : "key up ") + (name ? name : "?"));
    } else if (event.type == ButtonPress || event.type == ButtonRelease) {
      input_.push_back(std::string(event.type == ButtonPress ? "button down " : "button up ") +
                       std::to_string(event.xbutton.button));
    }
  }
}

std::vector<std::string> TestWindow::wait_for_input(std::size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  read_events();
  while (input_.size() < count && wait_readable(as_display(display_), deadline)) read_events();
  return input_;
}

bool xdotool(const std::vector<std::string>& arguments) {
  QStringList words;
  for (const std::string& argument : arguments) words.push_back(QString::fromStdString(argument));
  return QProcess::execute("xdotool", words) == 0;
}

}  // namespace quillon::testing
