// Linux adapters: XTest input, the desktop's URL handler, QProcess without a
// shell, and the Qt clipboard.

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdint>
#include <functional>

#include "input/desktop.h"
#include "input/injector_x11.h"

namespace quillon {
namespace {

class DesktopShellOpener : public ShellOpener {
 public:
  void open(const std::string& target) override {
    const QString text = QString::fromStdString(target);
    const QUrl url(text);
    // A scheme of one letter is a Windows drive ("f:\music"), not a URL scheme.
    if (url.isValid() && url.scheme().size() > 1) {
      QDesktopServices::openUrl(url);
    } else if (!text.isEmpty()) {
      QDesktopServices::openUrl(QUrl::fromLocalFile(text));
    }
  }
};

// Linux has no shell-window collection to navigate.
class NoBrowserWindows : public BrowserWindows {
 public:
  int count() override { return 0; }
  void navigate_first(const std::string&) override {}
};

class DetachedProcessLauncher : public ProcessLauncher {
 public:
  bool start(const std::string& command_line) override {
    QStringList parts = QProcess::splitCommand(QString::fromStdString(command_line));
    if (parts.isEmpty()) return false;
    const QString program = parts.takeFirst();
    return QProcess::startDetached(program, parts);
  }
};

// Reports selection requests reaching this process, so that a short-lived
// process knows when its clipboard text is being read.
class SelectionRequestWatch : public QAbstractNativeEventFilter {
 public:
  std::function<void()> on_request;
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    constexpr std::uint8_t kSelectionRequest = 30;
    if (type == "xcb_generic_event_t" && message && on_request) {
      const auto response_type = *static_cast<const std::uint8_t*>(message);
      if ((response_type & 0x7f) == kSelectionRequest) on_request();
    }
    return false;
  }
};

class QtClipboard : public Clipboard {
 public:
  QtClipboard() { QCoreApplication::instance()->installNativeEventFilter(&watch_); }
  ~QtClipboard() override { QCoreApplication::instance()->removeNativeEventFilter(&watch_); }

  bool set_text(const std::string& text) override {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->clear();
    clipboard->setText(QString::fromStdString(text));
    owned_ = true;
    return true;
  }

  // One timer: first the time allowed for the first request, then, after every
  // request, a short quiet spell (a paste asks for the targets, then the text).
  // Quitting the application ends the loop too.
  void wait_until_served(double timeout_seconds) override {
    if (!owned_) return;
    constexpr int kQuietMs = 300;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    // A coarse timer may fire 5 % early.
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    watch_.on_request = [&timer] { timer.start(kQuietMs); };
    timer.start(static_cast<int>(std::clamp(timeout_seconds * 1000.0, 0.0, 1e9)));
    loop.exec();
    watch_.on_request = nullptr;
  }

 private:
  SelectionRequestWatch watch_;
  bool owned_ = false;
};

}  // namespace

DesktopAdapters make_desktop_adapters() {
  DesktopAdapters adapters;
  adapters.input = XTestInjector::open();
  adapters.shell = std::make_unique<DesktopShellOpener>();
  adapters.browsers = std::make_unique<NoBrowserWindows>();
  adapters.processes = std::make_unique<DetachedProcessLauncher>();
  adapters.clipboard = std::make_unique<QtClipboard>();
  adapters.description =
      adapters.input ? "XTest input, desktop URL handler, Qt clipboard" : "no X display with XTest: input unavailable";
  return adapters;
}

}  // namespace quillon
