// A window with one focused line edit. Prints "ready" once it has the
// keyboard focus; on "quit" (or end of input) on stdin prints the line edit's
// text and exits. Used to check what a paste really typed.

#include <unistd.h>
#include <QApplication>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLineEdit edit;
  edit.setWindowTitle("paste target");
  edit.setGeometry(0, 0, 1024, 768);
  edit.show();
  edit.activateWindow();
  edit.setFocus();

  bool announced = false;
  QTimer poll_focus;
  QObject::connect(&poll_focus, &QTimer::timeout, [&] {
    if (announced || !edit.hasFocus() || QApplication::focusWindow() == nullptr) return;
    announced = true;
    std::printf("ready\n");
    std::fflush(stdout);
  });
  poll_focus.start(20);

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[64];
    const auto got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got > 0 && std::string_view(buffer, static_cast<std::size_t>(got)).find("quit") == std::string_view::npos) {
      return;
    }
    std::printf("text:%s\n", edit.text().toUtf8().constData());
    std::fflush(stdout);
    app.quit();
  });
  return app.exec();
}
