#include <X11/Xlib.h>

#include <cstdlib>

#include "input/display.h"

namespace quillon {

DisplayCheck::DisplayCheck() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    problem_ = "DISPLAY is not set";
    return;
  }
  connection_ = XOpenDisplay(name);
  if (!connection_) problem_ = std::string("the X display ") + name + " cannot be opened";
}

DisplayCheck::~DisplayCheck() {
  if (connection_) XCloseDisplay(static_cast<Display*>(connection_));
}

}  // namespace quillon
