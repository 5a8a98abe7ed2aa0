#include "support/private_xserver.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace quillon::testing {

PrivateXServer::PrivateXServer() {
  int ready[2];
  if (::pipe(ready) != 0) return;
  pid_ = ::fork();
  if (pid_ == 0) {
    ::close(ready[0]);
    // The server must not outlive a test binary that crashes.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    const std::string fd = std::to_string(ready[1]);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ready[1]);
  if (pid_ < 0) {
    ::close(ready[0]);
    return;
  }
  // Xvfb writes its display number followed by a newline once it is listening.
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd pfd{ready[0], POLLIN, 0};
    if (::poll(&pfd, 1, 200) <= 0) continue;
    char c = 0;
    if (::read(ready[0], &c, 1) != 1) break;
    if (c == '\n') {
      display_ = ":" + number;
      break;
    }
    number += c;
  }
  ::close(ready[0]);
}

PrivateXServer::~PrivateXServer() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  for (int i = 0; i < 100; ++i) {
    if (::waitpid(pid_, &status, WNOHANG) == pid_) return;
    ::usleep(20000);
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, &status, 0);
}

}  // namespace quillon::testing
