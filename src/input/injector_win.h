#pragma once

#include <cstdint>

#include "input/platform.h"

namespace quillon {

// Synthetic input through user32's keybd_event and mouse_event. Every key event
// carries scan code 0 and never the extended-key flag, and every mouse event is
// one call with the table's flags, so the target sees exactly the events the
// action defines.
class Win32InputInjector : public InputInjector {
 public:
  void key_down(std::uint8_t vk) override;
  void key_up(std::uint8_t vk) override;
  void mouse(std::uint32_t flags, int dx, int dy) override;
};

}  // namespace quillon
