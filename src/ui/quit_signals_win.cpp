#include "ui/quit_signals.h"

namespace quillon {

// On Windows a request to end arrives as a window close, which the window
// handles itself.
void install_quit_signal_handler(std::function<void()>) {}

}  // namespace quillon
