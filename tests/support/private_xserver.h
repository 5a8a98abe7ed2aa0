#pragma once

// A private Xvfb for tests that need a real X server: started on a free
// display number the server picks itself, killed when this object goes.

#include <sys/types.h>
#include <string>

namespace quillon::testing {

class PrivateXServer {
 public:
  // Starts Xvfb and waits until it accepts connections. `display()` is empty
  // when it could not be started.
  PrivateXServer();
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  // ":N", ready for DISPLAY.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace quillon::testing
