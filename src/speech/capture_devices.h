#pragma once

// The microphones a user can choose from. On Linux these are ALSA's capture
// devices, which reach PulseAudio and PipeWire through their ALSA plugins; the
// Windows engine listens through the system's own input, so only "default" is
// offered there.

#include <string>
#include <vector>

namespace quillon {

inline constexpr const char* kDefaultCaptureDevice = "default";

struct CaptureDevice {
  std::string name;         // what the device is opened by: "default", "plughw:CARD=U0,DEV=0"
  std::string description;  // for people; empty for "default", which the window names itself
  bool found = true;        // false: chosen, but not on this system now
  bool operator==(const CaptureDevice&) const = default;
};

// A device as the sound system describes it.
struct DeviceHint {
  std::string name;
  std::string description;  // one or two lines: the card, then what kind of device
  std::string direction;    // "Input", "Output", or empty for both
};

// The devices a microphone can be chosen from: those that can record, each
// name once, "default" first (always there). Left out: the null device and
// raw hardware ("hw:"), which rarely records 16 kHz mono; its "plughw:" twin
// converts and is kept. A description's lines are joined with " - ".
std::vector<CaptureDevice> capture_devices_from_hints(const std::vector<DeviceHint>& hints);

// `devices` with `chosen` among them: a chosen device that is not listed now
// (unplugged, or named by hand) is added at the end, not found.
std::vector<CaptureDevice> with_chosen_device(std::vector<CaptureDevice> devices, const std::string& chosen);

// The capture devices of this system, as capture_devices_from_hints lists them.
std::vector<CaptureDevice> list_capture_devices();

}  // namespace quillon
