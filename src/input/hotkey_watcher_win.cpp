// Watches the hotkey through low-level keyboard and mouse hooks. They see every
// key and button before any window does and pass each one on, so the game
// still gets it. Windows calls them on the thread that set them, from its
// message loop (the GUI thread), and drops a hook that is slow to return: the
// change is posted to a message-only window and reported from there.

#include <windows.h>

#include <memory>
#include <utility>

#include "input/hotkey_watcher.h"

namespace quillon {
namespace {

constexpr UINT kChangedMessage = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"QuillonHotkeyWatcher";

// Low-level hooks report the left and right keys where action strings name one.
bool same_key(DWORD reported, std::uint8_t vk) {
  switch (vk) {
    case 0x10:
      return reported == VK_LSHIFT || reported == VK_RSHIFT || reported == vk;
    case 0x11:
      return reported == VK_LCONTROL || reported == VK_RCONTROL || reported == vk;
    case 0x12:
      return reported == VK_LMENU || reported == VK_RMENU || reported == vk;
    default:
      return reported == vk;
  }
}

class HookHotkeyWatcher : public HotkeyWatcher {
 public:
  HookHotkeyWatcher() {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &HookHotkeyWatcher::window_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kWindowClass;
    RegisterClassExW(&window_class);  // fails harmlessly when already registered
    window_ =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, window_class.hInstance, nullptr);
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }

  ~HookHotkeyWatcher() override {
    stop();
    if (window_) DestroyWindow(window_);
  }

  bool watch(Hotkey hotkey, Changed changed) override {
    stop();
    if (!window_) return false;
    const bool keyboard = hotkey.device == Hotkey::Device::keyboard;
    hotkey_ = hotkey;
    changed_ = std::move(changed);
    // Hook procedures carry no context: the one watch that runs is found here.
    active_ = this;
    hook_ = SetWindowsHookExW(keyboard ? WH_KEYBOARD_LL : WH_MOUSE_LL,
                              keyboard ? &HookHotkeyWatcher::keyboard_hook : &HookHotkeyWatcher::mouse_hook,
                              GetModuleHandleW(nullptr), 0);
    if (!hook_) stop();
    return hook_ != nullptr;
  }

  void stop() override {
    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    changed_ = nullptr;
    if (active_ == this) active_ = nullptr;
  }

 private:
  static LRESULT CALLBACK keyboard_hook(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION && active_) {
      const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
      if (same_key(key->vkCode, active_->hotkey_.code)) {
        active_->post(message == WM_KEYDOWN || message == WM_SYSKEYDOWN);
      }
    }
    return CallNextHookEx(nullptr, code, message, data);
  }

  static LRESULT CALLBACK mouse_hook(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION && active_ && (message == WM_XBUTTONDOWN || message == WM_XBUTTONUP)) {
      const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
      // XBUTTON1 is the back button, X's button 8; XBUTTON2 the forward one, 9.
      const int button = HIWORD(mouse->mouseData) == XBUTTON1 ? 8 : 9;
      if (button == active_->hotkey_.code) active_->post(message == WM_XBUTTONDOWN);
    }
    return CallNextHookEx(nullptr, code, message, data);
  }

  static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<HookHotkeyWatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != kChangedMessage || !self) return DefWindowProcW(window, message, w, l);
    // A copy: the callback may replace or end the watch.
    if (Changed changed = self->changed_) changed(w != 0);
    return 0;
  }

  void post(bool down) { PostMessageW(window_, kChangedMessage, down ? 1 : 0, 0); }

  static inline HookHotkeyWatcher* active_ = nullptr;
  HWND window_ = nullptr;
  HHOOK hook_ = nullptr;
  Hotkey hotkey_;
  Changed changed_;
};

}  // namespace

std::unique_ptr<HotkeyWatcher> make_hotkey_watcher(std::string& log) {
  log = "push-to-talk key watched through low-level hooks";
  return std::make_unique<HookHotkeyWatcher>();
}

}  // namespace quillon
