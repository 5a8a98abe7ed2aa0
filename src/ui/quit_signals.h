#pragma once

#include <functional>

namespace quillon {

// Calls `on_quit` on the GUI thread when the process is asked to end from
// outside (SIGTERM, SIGINT, SIGHUP on Linux), so runs can release their keys.
void install_quit_signal_handler(std::function<void()> on_quit);

}  // namespace quillon
