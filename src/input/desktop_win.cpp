// Windows adapters: user32 input, ShellExecute, the shell's window collection,
// CreateProcess and the Win32 clipboard. No Qt here: these build with mingw-w64.

#include <windows.h>
// The COM and shell headers build on windows.h, so it comes first.
#include <exdisp.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shldisp.h>
#include <wrl/client.h>

#include <cstring>
#include <memory>
#include <string>

#include "input/desktop.h"
#include "input/injector_win.h"
#include "input/win32_helpers_win.h"

namespace quillon {
namespace {

using Microsoft::WRL::ComPtr;

class ShellExecuteOpener : public ShellOpener {
 public:
  void open(const std::string& target) override {
    // The ANSI entry point with the ANSI code page, as the shell expects of
    // callers that pass narrow strings; the result is the shell's to report.
    const std::string ansi = win32::narrow(win32::widen(target), CP_ACP);
    ShellExecuteA(GetDesktopWindow(), "open", ansi.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
};

// Calls the late-bound Navigate(URL, Flags, TargetFrameName, PostData, Headers)
// of a browser window. DISPPARAMS lists arguments last first.
void navigate_new_window(IDispatch& window, const std::string& url) {
  LPOLESTR name = const_cast<LPOLESTR>(L"Navigate");
  DISPID id = 0;
  if (FAILED(window.GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return;
  // VariantInit only sets the type, so the values are zeroed here as well.
  VARIANT args[5] = {};
  for (VARIANT& arg : args) VariantInit(&arg);
  args[4].vt = VT_BSTR;
  args[4].bstrVal = SysAllocString(win32::widen(url).c_str());
  args[2].vt = VT_BSTR;  // args[3], the flags, stays empty
  args[2].bstrVal = SysAllocString(L"_blank");
  args[1].vt = VT_I4;  // post data 0
  args[1].lVal = 0;
  args[0].vt = VT_I4;  // headers 0
  args[0].lVal = 0;
  DISPPARAMS params{args, nullptr, 5, 0};
  window.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  for (VARIANT& arg : args) VariantClear(&arg);
}

// The shell's collection of open browser and folder windows, made once and kept,
// so that a later count sees windows opened meanwhile. Without it the count is 0.
class ShellWindowsBrowsers : public BrowserWindows {
 public:
  ShellWindowsBrowsers() { CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&windows_)); }

  bool available() const { return windows_ != nullptr; }

  int count() override {
    LONG count = 0;
    if (!windows_ || FAILED(windows_->get_Count(&count))) return 0;
    return static_cast<int>(count);
  }

  void navigate_first(const std::string& url) override {
    if (!windows_) return;
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = 0;
    ComPtr<IDispatch> window;
    // S_FALSE with no window when the collection emptied since it was counted.
    if (windows_->Item(index, &window) != S_OK || !window) return;
    navigate_new_window(*window.Get(), url);
  }

 private:
  win32::ComApartment apartment_;  // declared first: released last
  ComPtr<IShellWindows> windows_;
};

class CreateProcessLauncher : public ProcessLauncher {
 public:
  bool start(const std::string& command_line) override {
    if (command_line.empty()) return false;
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::wstring line = win32::widen(command_line);
    if (line.empty()) return false;
    STARTUPINFOW startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(SW_SHOWMINIMIZED);
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return false;
    }
    // Not waited for: the handles are only closed.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
};

class Win32Clipboard : public Clipboard {
 public:
  // A clipboard opened without a window gets no owner after EmptyClipboard and
  // then refuses SetClipboardData, so a message-only window owns it.
  Win32Clipboard()
      : owner_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                               nullptr)) {}
  ~Win32Clipboard() override {
    if (owner_) DestroyWindow(owner_);
  }
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;

  bool set_text(const std::string& text) override {
    if (!open()) return false;
    EmptyClipboard();
    const bool stored = store(win32::widen(text));
    CloseClipboard();
    return stored;
  }

  // The Win32 clipboard keeps a copy of the text after this process ends, so
  // there is nothing to wait for.
  void wait_until_served(double) override {}

 private:
  // Another program may hold the clipboard for a moment; a few short retries
  // cover that without stalling the window noticeably.
  bool open() {
    constexpr int kAttempts = 5;
    constexpr DWORD kPauseMs = 10;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      if (OpenClipboard(owner_)) return true;
      Sleep(kPauseMs);
    }
    return false;
  }

  // Hands a NUL-terminated copy to the clipboard, which then owns the memory.
  static bool store(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    void* data = GlobalLock(memory);
    if (!data) {
      GlobalFree(memory);
      return false;
    }
    std::memcpy(data, text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
      GlobalFree(memory);
      return false;
    }
    return true;
  }

  HWND owner_;
};

}  // namespace

DesktopAdapters make_desktop_adapters() {
  DesktopAdapters adapters;
  auto browsers = std::make_unique<ShellWindowsBrowsers>();
  const bool shell_windows = browsers->available();
  adapters.input = std::make_unique<Win32InputInjector>();
  adapters.shell = std::make_unique<ShellExecuteOpener>();
  adapters.browsers = std::move(browsers);
  adapters.processes = std::make_unique<CreateProcessLauncher>();
  adapters.clipboard = std::make_unique<Win32Clipboard>();
  adapters.description =
      std::string("user32 input, ShellExecute, ") +
      (shell_windows ? "shell window collection" : "no shell window collection (ShellExecute only)") +
      ", CreateProcess, Win32 clipboard";
  return adapters;
}

}  // namespace quillon
