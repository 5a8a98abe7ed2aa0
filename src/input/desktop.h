#pragma once

// The platform's own adapters for input, shell, processes, browser windows and
// clipboard, made by one factory per platform (desktop_x11.cpp, desktop_win.cpp).

#include <memory>
#include <string>

#include "input/platform.h"

namespace quillon {

struct DesktopAdapters {
  std::unique_ptr<InputInjector> input;
  std::unique_ptr<ShellOpener> shell;
  std::unique_ptr<BrowserWindows> browsers;
  std::unique_ptr<ProcessLauncher> processes;
  std::unique_ptr<Clipboard> clipboard;
  std::string description;  // which backends were chosen, for the log
};

// Fails (returns adapters with a null `input`) only when no input backend can
// be opened, for instance without a display.
DesktopAdapters make_desktop_adapters();

}  // namespace quillon
