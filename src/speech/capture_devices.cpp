#include "speech/capture_devices.h"

#include <algorithm>

namespace quillon {
namespace {

bool listed(const std::vector<CaptureDevice>& devices, const std::string& name) {
  return std::any_of(devices.begin(), devices.end(), [&](const CaptureDevice& d) { return d.name == name; });
}

bool unusable(const DeviceHint& hint) {
  return hint.direction == "Output" || hint.name.empty() || hint.name == "null" || hint.name.starts_with("hw:");
}

std::string one_line(const std::string& description) {
  std::string text;
  std::size_t from = 0;
  while (from <= description.size()) {
    std::size_t end = description.find('\n', from);
    if (end == std::string::npos) end = description.size();
    if (end > from) text += (text.empty() ? "" : " - ") + description.substr(from, end - from);
    from = end + 1;
  }
  return text;
}

}  // namespace

std::vector<CaptureDevice> capture_devices_from_hints(const std::vector<DeviceHint>& hints) {
  std::vector<CaptureDevice> devices{{kDefaultCaptureDevice, "", true}};
  for (const DeviceHint& hint : hints) {
    if (unusable(hint) || listed(devices, hint.name)) continue;
    devices.push_back({hint.name, one_line(hint.description), true});
  }
  return devices;
}

std::vector<CaptureDevice> with_chosen_device(std::vector<CaptureDevice> devices, const std::string& chosen) {
  if (!listed(devices, chosen)) devices.push_back({chosen, "", false});
  return devices;
}

}  // namespace quillon
