// The on-screen echo on the private server: it shows over the focused game
// without taking the focus, a click on it or a key; and it goes by itself.

#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <string>
#include <vector>

#include "support/test_window.h"
#include "support/x_probe.h"
#include "ui/on_screen_echo.h"
#include "x11/x11_environment.h"

namespace quillon::testing {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

TEST(OnScreenEcho, ShowsOverTheGameWithoutTakingTheFocusAClickOrAKeyAndGoesAfterItsTime) {
  XProbe probe(test_display());
  TestWindow game(test_display(), {"game", "Game", "game", 0, 0, 1024, 768});
  ASSERT_TRUE(game.ok());
  game.focus();
  probe.put_pointer(10, 10);
  constexpr int kShownMs = 400;
  OnScreenEcho echo(kShownMs);
  const auto shown_at = std::chrono::steady_clock::now();
  echo.show_heard("城堡", "Ctrl+V");
  EXPECT_EQ(echo.text().toStdString(), "城堡 → Ctrl+V");
  const unsigned long id = echo.winId();
  ASSERT_TRUE(QTest::qWaitFor([&] { return probe.viewable(id); }, 3000));
  EXPECT_EQ(probe.input_focus(), game.id());
  EXPECT_TRUE(probe.override_redirect(id)) << "a window manager would activate it";
  const QRect where = echo.geometry();
  EXPECT_GT(where.left(), 1024 / 2) << "near the lower right corner";
  EXPECT_GT(where.top(), 768 / 2);
  EXPECT_LE(where.right(), 1024);
  EXPECT_LE(where.bottom(), 768);

  probe.click(where.center().x(), where.center().y());
  probe.key(probe.keycode_of("v"), true);
  probe.key(probe.keycode_of("v"), false);
  EXPECT_EQ(game.wait_for_input(4, 3s), (Strings{"button down 1", "button up 1", "key down v", "key up v"}));
  EXPECT_EQ(probe.input_focus(), game.id());
  ASSERT_TRUE(probe.viewable(id)) << "still shown: the test's clicks were faster than its time";

  ASSERT_TRUE(QTest::qWaitFor([&] { return !probe.viewable(id); }, 3000));
  EXPECT_GE(std::chrono::steady_clock::now() - shown_at, std::chrono::milliseconds(kShownMs));
  EXPECT_FALSE(echo.isVisible());

  echo.show_heard("城堡", "");
  EXPECT_EQ(echo.text().toStdString(), "城堡") << "test mode: the phrase alone";
  EXPECT_TRUE(QTest::qWaitFor([&] { return probe.viewable(id); }, 3000));
  EXPECT_EQ(probe.input_focus(), game.id());
  echo.hide();
}

}  // namespace
}  // namespace quillon::testing
