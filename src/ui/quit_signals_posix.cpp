#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

#include "ui/quit_signals.h"

namespace quillon {
namespace {

int g_signal_socket[2] = {-1, -1};

extern "C" void forward_signal(int) {
  const char byte = 1;
  // Only async-signal-safe calls here; the GUI thread does the rest.
  [[maybe_unused]] const auto written = ::write(g_signal_socket[0], &byte, 1);
}

}  // namespace

void install_quit_signal_handler(std::function<void()> on_quit) {
  // Programs we start must not inherit the pair; a flood of signals must never
  // block the handler.
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signal_socket) != 0) return;
  ::fcntl(g_signal_socket[0], F_SETFL, ::fcntl(g_signal_socket[0], F_GETFL) | O_NONBLOCK);
  auto* notifier = new QSocketNotifier(g_signal_socket[1], QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [on_quit = std::move(on_quit)] {
    char byte = 0;
    [[maybe_unused]] const auto got = ::read(g_signal_socket[1], &byte, 1);
    on_quit();
  });
  struct sigaction action {};
  action.sa_handler = forward_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal_number, &action, nullptr);
}

}  // namespace quillon
