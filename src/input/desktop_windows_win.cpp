// The foreground window and the open windows on Windows. The foreground is
// followed with an out-of-context event hook, which Windows calls from the
// GUI thread's message loop; no Qt here, so this builds with mingw-w64.

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "input/desktop_windows.h"
#include "input/win32_helpers_win.h"

namespace quillon {
namespace {

std::string class_of(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return length > 0 ? win32::narrow(std::wstring(name, static_cast<std::size_t>(length)), CP_UTF8) : "";
}

std::string title_of(HWND window) {
  std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, title.data(), static_cast<int>(title.size()));
  title.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return win32::narrow(title, CP_UTF8);
}

// The file name of the program that owns the window ("game.exe").
std::string program_of(HWND window) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (!process) return {};
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const bool named = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
  CloseHandle(process);
  if (!named) return {};
  const std::wstring full(path, size);
  return win32::narrow(full.substr(full.find_last_of(L"\\/") + 1), CP_UTF8);
}

WindowInfo info_of(HWND window) {
  if (!window) return {};
  return {class_of(window), program_of(window), title_of(window)};
}

class WinEventFocusWatcher : public FocusWatcher {
 public:
  ~WinEventFocusWatcher() override { stop(); }

  bool start(Focused focused) override {
    stop();
    focused_ = std::move(focused);
    // Event hook procedures carry no context: the one watch that runs is found here.
    active_ = this;
    foreground_hook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                       &WinEventFocusWatcher::on_event, 0, 0, WINEVENT_OUTOFCONTEXT);
    title_hook_ = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                  &WinEventFocusWatcher::on_event, 0, 0, WINEVENT_OUTOFCONTEXT);
    if (!foreground_hook_) {
      stop();
      return false;
    }
    report(GetForegroundWindow());
    return true;
  }

  void stop() override {
    if (foreground_hook_) UnhookWinEvent(foreground_hook_);
    if (title_hook_) UnhookWinEvent(title_hook_);
    foreground_hook_ = title_hook_ = nullptr;
    focused_ = nullptr;
    reported_ = false;
    if (active_ == this) active_ = nullptr;
  }

 private:
  static void CALLBACK on_event(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (!active_) return;
    // Titles of the foreground window only; other name changes are of no interest.
    if (event == EVENT_OBJECT_NAMECHANGE && (object != OBJID_WINDOW || window != GetForegroundWindow())) return;
    active_->report(GetForegroundWindow());
  }

  void report(HWND window) {
    WindowInfo info = info_of(window);
    if (reported_ && window == last_window_ && info == last_) return;
    reported_ = true;
    last_window_ = window;
    last_ = info;
    // A copy: the callback may end or restart the watch.
    if (Focused focused = focused_) focused(info);
  }

  static inline WinEventFocusWatcher* active_ = nullptr;
  HWINEVENTHOOK foreground_hook_ = nullptr;
  HWINEVENTHOOK title_hook_ = nullptr;
  Focused focused_;
  HWND last_window_ = nullptr;
  WindowInfo last_;
  bool reported_ = false;
};

// Windows on the taskbar: visible, unowned, not tool windows, with a title.
BOOL CALLBACK add_window(HWND window, LPARAM list) {
  const bool tool = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) || tool || GetWindowTextLengthW(window) == 0) {
    return TRUE;
  }
  reinterpret_cast<std::vector<WindowInfo>*>(list)->push_back(info_of(window));
  return TRUE;
}

class EnumeratedWindowList : public WindowList {
 public:
  std::vector<WindowInfo> windows() override {
    std::vector<WindowInfo> list;
    EnumWindows(&add_window, reinterpret_cast<LPARAM>(&list));
    return list;
  }
};

}  // namespace

std::unique_ptr<FocusWatcher> make_focus_watcher(std::string& log) {
  log = "foreground window followed through a window event hook";
  return std::make_unique<WinEventFocusWatcher>();
}

std::unique_ptr<WindowList> make_window_list() { return std::make_unique<EnumeratedWindowList>(); }

}  // namespace quillon
