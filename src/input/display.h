#pragma once

// Whether there is a desktop display to work on, asked before the toolkit
// opens one, so that a run without it can say so instead of being aborted
// (display_x11.cpp, display_win.cpp).

#include <optional>
#include <string>

namespace quillon {

// Opens the desktop display and holds it while it lives: kept until the
// toolkit has its own connection, because an X server whose last client
// leaves resets itself and turns the next one away.
class DisplayCheck {
 public:
  DisplayCheck();
  ~DisplayCheck();
  DisplayCheck(const DisplayCheck&) = delete;
  DisplayCheck& operator=(const DisplayCheck&) = delete;

  // Why no display can be opened here, for the user; nothing when one can.
  const std::optional<std::string>& problem() const { return problem_; }

 private:
  std::optional<std::string> problem_;
  void* connection_ = nullptr;
};

}  // namespace quillon
