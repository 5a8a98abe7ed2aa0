#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "input/platform.h"

namespace quillon {

// XTest injection on the default display. Virtual-key codes become X keysyms,
// keysyms become keycodes; a keysym the keyboard map lacks is bound to a spare
// keycode for the rest of the session (clients read the map lazily, so unbinding
// right after the event would make them see NoSymbol) and unbound on destruction.
// Codes are resolved when it opens and again after every keyboard map change.
class XTestInjector : public InputInjector {
 public:
  // Null when the display cannot be opened or lacks the XTest extension.
  static std::unique_ptr<XTestInjector> open();
  ~XTestInjector() override;

  void key_down(std::uint8_t vk) override;
  void key_up(std::uint8_t vk) override;
  void mouse(std::uint32_t flags, int dx, int dy) override;

  XTestInjector(const XTestInjector&) = delete;
  XTestInjector& operator=(const XTestInjector&) = delete;

 private:
  struct Connection;
  explicit XTestInjector(std::unique_ptr<Connection> connection);
  void follow_keyboard_map();
  void resolve_all();
  unsigned bind_spare_keycode(unsigned long keysym);
  void send_key(std::uint8_t vk, bool down);

  std::unique_ptr<Connection> connection_;
  std::map<std::uint8_t, unsigned> keycodes_;   // 0: the code has no key
  std::map<std::uint8_t, unsigned> pressed_;    // keys down, by the keycode used
  std::map<unsigned, unsigned long> borrowed_;  // spare keycode we bound -> its keysym
};

// The X keysym for a virtual-key code, 0 when the code has none.
unsigned long keysym_for_vk(std::uint8_t vk);

}  // namespace quillon
