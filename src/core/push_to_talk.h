#pragma once

// When heard audio may be decoded, as the push-to-talk hotkey decides. The
// hotkey's presses and releases arrive on the GUI thread; the audio thread asks
// decoding() for each chunk it reads.

#include <atomic>
#include <functional>
#include <optional>
#include <string_view>

namespace quillon {

enum class PushToTalkMode {
  off,     // the hotkey does nothing; voice commands hear everything
  hold,    // audio is decoded only while the hotkey is held, and a short tail after
  toggle,  // each press starts or stops the voice commands, as their button does
};

std::optional<PushToTalkMode> read_push_to_talk_mode(std::string_view text);
const char* push_to_talk_mode_name(PushToTalkMode mode);

// A phrase finished just after the release still counts: the end of speech is
// noticed a little after the speaker stops.
inline constexpr double kPushToTalkTail = 0.4;

class PushToTalk {
 public:
  // Seconds on a steady clock; called from the GUI and the audio thread.
  using Clock = std::function<double()>;

  explicit PushToTalk(Clock clock, PushToTalkMode mode = PushToTalkMode::off, double tail = kPushToTalkTail);

  // Forgets whether the hotkey is held: in hold mode nothing is decoded until
  // the next press.
  void set_mode(PushToTalkMode mode);
  PushToTalkMode mode() const { return mode_; }

  // The hotkey went down. True when this press should start or stop the voice
  // commands: in toggle mode, and only for the first press of a hold, so that
  // a key's auto repeat toggles nothing.
  bool press();
  void release();

  // Whether audio heard now is to be decoded: always, except in hold mode,
  // where only while the hotkey is held and for the tail after its release.
  // Safe to call from any thread.
  bool decoding() const;

 private:
  Clock clock_;
  PushToTalkMode mode_;
  double tail_;
  bool down_ = false;
  // Audio is decoded before this time; +inf: open, -inf: closed.
  std::atomic<double> open_until_;
};

}  // namespace quillon
