#include "speech/capture_devices.h"

namespace quillon {

// The speech API engine hears the microphone chosen in the system's sound
// settings; there is nothing to choose here.
std::vector<CaptureDevice> list_capture_devices() { return {{kDefaultCaptureDevice, "", true}}; }

}  // namespace quillon
