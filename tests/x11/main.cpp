// Starts a private Xvfb, points DISPLAY at it for this process and every
// program it starts, and runs the tests inside a QApplication on it.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "support/private_xserver.h"
#include "x11/x11_environment.h"

namespace {
quillon::testing::PrivateXServer* g_server = nullptr;
}

const std::string& quillon::testing::test_display() { return g_server->display(); }

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  quillon::testing::PrivateXServer server;
  if (server.display().empty()) {
    std::fprintf(stderr, "could not start Xvfb\n");
    return 1;
  }
  g_server = &server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  int result = 0;
  {
    QApplication app(argc, argv);
    result = RUN_ALL_TESTS();
  }
  g_server = nullptr;
  return result;
}
