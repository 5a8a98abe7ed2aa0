#pragma once

// The capabilities that carrying out an action needs from the desktop, one small
// interface each. Tests replace them with a recording fake; the real adapters
// live in files named for their platform.

#include <cstdint>
#include <string>

namespace quillon {

// Synthetic keyboard and mouse input, addressed by Windows virtual-key codes and
// Windows mouse-event flags whatever the platform.
class InputInjector {
 public:
  virtual ~InputInjector() = default;
  // Sends one key-down event for `vk` at once. Never fails visibly: a key the
  // desktop cannot produce is dropped.
  virtual void key_down(std::uint8_t vk) = 0;
  // Sends one key-up event for `vk`, whether or not the key is down.
  virtual void key_up(std::uint8_t vk) = 0;
  // One mouse event: `flags` are MOUSEEVENTF_* bits (move 0x01, left down/up
  // 0x02/0x04, right down/up 0x08/0x10); dx, dy are relative units.
  virtual void mouse(std::uint32_t flags, int dx, int dy) = 0;
};

// Opens a document, folder or web address with the desktop's default handler
// ("open" verb, normal window). Errors are the desktop's to show.
class ShellOpener {
 public:
  virtual ~ShellOpener() = default;
  virtual void open(const std::string& target) = 0;
};

// Starts a program from a command line without waiting for it and without a
// shell. Returns false when nothing could be started.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // `command_line` is a program path optionally followed by arguments; the
  // program's first window should appear minimised where the platform allows.
  virtual bool start(const std::string& command_line) = 0;
};

// The desktop's open browser windows. Where the platform has no such list the
// count is always 0 and callers fall back to ShellOpener.
class BrowserWindows {
 public:
  virtual ~BrowserWindows() = default;
  virtual int count() = 0;
  // Asks the first window to show `url` in a new window (target "_blank").
  virtual void navigate_first(const std::string& url) = 0;
};

// The system clipboard, through which text is pasted.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Replaces the clipboard's content with `text`. Returns false when the
  // clipboard could not be taken (another program holds it).
  virtual bool set_text(const std::string& text) = 0;
  // Returns once the text this process put there has been read by another
  // program, or `timeout_seconds` passed without a request for it; at once
  // where the clipboard keeps a copy of its own after this process ends.
  // Keeps the window's events flowing while it waits.
  virtual void wait_until_served(double timeout_seconds) = 0;
};

// Modal message boxes with the given title; they return once the user has
// answered.
class Messages {
 public:
  virtual ~Messages() = default;
  virtual void inform(const std::string& title, const std::string& text) = 0;
  virtual void warn(const std::string& title, const std::string& text) = 0;
  virtual bool ask_yes_no(const std::string& title, const std::string& text) = 0;
};

// A steady clock and a wait that keeps the window processing its events, so a
// further recognition can run nested inside a wait.
class Waiter {
 public:
  virtual ~Waiter() = default;
  // Seconds since an arbitrary fixed point; never goes backwards.
  virtual double now() = 0;
  // Returns once strictly more than `seconds` have elapsed since the call, at
  // once when `seconds` is below zero. Returns false instead when the program
  // is quitting: the caller must then release what it holds without waiting.
  virtual bool wait(double seconds) = 0;
  // True once the program has been asked to quit.
  virtual bool quitting() const = 0;
};

// Everything the executor calls, passed as one bundle of references.
struct Platform {
  InputInjector& input;
  ShellOpener& shell;
  BrowserWindows& browsers;
  ProcessLauncher& processes;
  Clipboard& clipboard;
  Messages& messages;
  Waiter& waiter;
};

}  // namespace quillon
