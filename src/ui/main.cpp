#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QTimer>
#include <cstdio>

#include "commands/executor.h"
#include "input/desktop.h"
#include "input/messages_qt.h"
#include "input/waiter_qt.h"
#include "ui/quit_signals.h"

namespace {

constexpr double kClipboardServeTimeout = 2.0;

bool plan_uses_clipboard(const quillon::ActionPlan& plan) {
  const auto* commands = std::get_if<quillon::CommandPlan>(&plan);
  return commands && commands->write && commands->bracket_text;
}

// Carries out one action string on the desktop as a recognised phrase would,
// then quits once any pasted text has been read.
int run_one_action(QApplication& app, const QString& action_text) {
  quillon::DesktopAdapters desktop = quillon::make_desktop_adapters();
  std::fprintf(stderr, "quillon: %s\n", desktop.description.c_str());
  if (!desktop.input) return 1;
  quillon::QtWaiter waiter;
  quillon::QtMessages messages;
  quillon::Executor executor(quillon::Platform{*desktop.input, *desktop.shell, *desktop.browsers, *desktop.processes,
                                               *desktop.clipboard, messages, waiter});
  quillon::install_quit_signal_handler([&] {
    waiter.quit_all();
    app.exit(3);
  });
  const quillon::ActionPlan plan = quillon::read_action(action_text.toStdString());
  QTimer::singleShot(0, &app, [&] {
    executor.run(plan);
    if (!waiter.quitting() && plan_uses_clipboard(plan)) {
      quillon::wait_until_clipboard_served(*desktop.clipboard, kClipboardServeTimeout);
    }
    if (!waiter.quitting()) app.exit(0);
  });
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quillon");
  QCommandLineParser parser;
  parser.addHelpOption();
  const QCommandLineOption do_option("do", "Carry out one action string and exit.", "ACTION");
  parser.addOption(do_option);
  parser.process(app);

  if (parser.isSet(do_option)) return run_one_action(app, parser.value(do_option));

  QLabel placeholder("Quillon8.0版");
  placeholder.setWindowTitle("Quillon8.0版");
  placeholder.resize(557, 517);
  placeholder.show();
  return app.exec();
}
