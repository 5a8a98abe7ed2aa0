#pragma once

// What was heard and done, shown for a moment near a corner of the screen over
// whatever has the focus. It never takes the focus or a click, so keys and
// clicks still land in the game.

#include <QLabel>
#include <QTimer>
#include <string>

namespace quillon {

class OnScreenEcho : public QLabel {
  Q_OBJECT

 public:
  static constexpr int kShownMs = 1500;

  explicit OnScreenEcho(int shown_ms = kShownMs);

  // Shows "城堡 → Ctrl+V", or the phrase alone when `action` is empty (test
  // mode), in place of anything shown before, for the whole time again.
  void show_heard(const std::string& phrase, const std::string& action);

 private:
  void place();

  QTimer hide_timer_;
};

}  // namespace quillon
