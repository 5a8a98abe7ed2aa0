#pragma once

// The window's microphone list: the capture devices by description, the one in
// use selected. The list is read again each time it drops down, so a headset
// plugged in later can be chosen.

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "speech/capture_devices.h"
#include "speech/recognizer.h"

namespace quillon {

class MicrophoneBox : public QComboBox {
  Q_OBJECT

 public:
  using DeviceList = std::function<std::vector<CaptureDevice>()>;
  using Chosen = std::function<void(const std::string& device)>;

  explicit MicrophoneBox(QWidget* parent = nullptr);

  // Fills the list from `list` with `current` selected. `fixed`: this run's
  // device was given from outside and cannot be changed here. `chosen` hears
  // each device the user picks.
  void use(DeviceList list, const std::string& current, bool fixed, Chosen chosen);
  std::string current_device() const;
  // While the rules listen the choice waits: the box is locked.
  void set_listening(bool listening);
  void showPopup() override;

 private:
  void fill(const std::string& current);
  void update_enabled();

  DeviceList list_;
  Chosen chosen_;
  bool fixed_ = false;
  bool listening_ = false;
};

// A choice is kept in the settings file and handed to the recogniser (which
// may be null), for the next time the rules are switched on.
void connect_microphone(MicrophoneBox& box, Recognizer* recognizer, SettingsKeeper& settings);

}  // namespace quillon
