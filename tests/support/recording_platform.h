#pragma once

// A fake of every platform interface that writes what it is asked to do as
// readable lines ("down Ctrl", "wait 0.5", "open https://..."), with a fake
// clock, so tests compare whole transcripts and run waits in zero time.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "commands/key_names.h"
#include "input/platform.h"

namespace quillon::testing {

class RecordingPlatform : public InputInjector,
                          public ShellOpener,
                          public BrowserWindows,
                          public ProcessLauncher,
                          public Clipboard,
                          public Messages,
                          public Waiter {
 public:
  std::vector<std::string> log;
  double clock = 0.0;
  int browser_windows = 0;
  bool program_starts = true;
  bool clipboard_works = true;
  bool answer_yes = true;
  bool quit_requested = false;
  std::string clipboard_text;
  // Called inside every wait after it is logged, as a nested event would run.
  std::function<void(double seconds)> during_wait;
  // Called inside every message box after it is logged (a request to quit, say).
  std::function<void()> during_message;

  Platform platform() { return Platform{*this, *this, *this, *this, *this, *this, *this}; }

  void key_down(std::uint8_t vk) override { log.push_back("down " + key_display_name(vk)); }
  void key_up(std::uint8_t vk) override { log.push_back("up " + key_display_name(vk)); }
  void mouse(std::uint32_t flags, int dx, int dy) override { log.push_back(mouse_display_name(flags, dx, dy)); }

  void open(const std::string& target) override { log.push_back("open " + target); }
  int count() override { return browser_windows; }
  void navigate_first(const std::string& url) override { log.push_back("navigate _blank " + url); }
  bool start(const std::string& command_line) override {
    log.push_back("start " + command_line);
    return program_starts;
  }
  bool set_text(const std::string& text) override {
    if (!clipboard_works) return false;
    clipboard_text = text;
    log.push_back("clipboard " + text);
    return true;
  }
  void wait_until_served(double) override {}
  void inform(const std::string& title, const std::string& text) override {
    log.push_back("message " + title + " " + text);
    if (during_message) during_message();
  }
  void warn(const std::string& title, const std::string& text) override {
    log.push_back("warning " + title + " " + text);
    if (during_message) during_message();
  }
  bool ask_yes_no(const std::string& title, const std::string& text) override {
    log.push_back("question " + title + " " + text);
    if (during_message) during_message();
    return answer_yes;
  }

  double now() override { return clock; }
  bool wait(double seconds) override {
    if (quit_requested) return false;
    char text[64];
    std::snprintf(text, sizeof text, "wait %g", seconds);
    log.push_back(text);
    if (during_wait) during_wait(seconds);
    if (quit_requested) return false;
    if (seconds > 0) clock += seconds;
    return true;
  }
  bool quitting() const override { return quit_requested; }
};

}  // namespace quillon::testing
