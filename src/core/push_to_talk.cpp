#include "core/push_to_talk.h"

#include <limits>
#include <utility>

namespace quillon {
namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();

struct ModeName {
  PushToTalkMode mode;
  const char* name;
};

constexpr ModeName kModeNames[] = {
    {PushToTalkMode::off, "off"}, {PushToTalkMode::hold, "hold"}, {PushToTalkMode::toggle, "toggle"}};

}  // namespace

std::optional<PushToTalkMode> read_push_to_talk_mode(std::string_view text) {
  for (const ModeName& row : kModeNames) {
    if (text == row.name) return row.mode;
  }
  return std::nullopt;
}

const char* push_to_talk_mode_name(PushToTalkMode mode) {
  for (const ModeName& row : kModeNames) {
    if (row.mode == mode) return row.name;
  }
  return "off";
}

PushToTalk::PushToTalk(Clock clock, PushToTalkMode mode, double tail)
    : clock_(std::move(clock)), mode_(mode), tail_(tail) {
  set_mode(mode);
}

void PushToTalk::set_mode(PushToTalkMode mode) {
  mode_ = mode;
  down_ = false;
  open_until_ = mode == PushToTalkMode::hold ? -kForever : kForever;
}

bool PushToTalk::press() {
  const bool first = !down_;
  down_ = true;
  if (mode_ == PushToTalkMode::hold) open_until_ = kForever;
  return first && mode_ == PushToTalkMode::toggle;
}

void PushToTalk::release() {
  // A release without a press (the key was down before the watch began) must
  // not open the gate.
  if (!down_) return;
  down_ = false;
  if (mode_ == PushToTalkMode::hold) open_until_ = clock_() + tail_;
}

bool PushToTalk::decoding() const { return clock_() < open_until_.load(); }

}  // namespace quillon
