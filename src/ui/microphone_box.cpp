#include "ui/microphone_box.h"

#include <QAbstractItemView>
#include <cstdio>

#include "core/texts.h"

namespace quillon {
namespace {

QString label_of(const CaptureDevice& device) {
  if (device.name == kDefaultCaptureDevice) return text::kDefaultMicrophone;
  QString label = QString::fromStdString(device.description.empty() ? device.name : device.description);
  if (!device.found) label += text::kMicrophoneNotFound;
  return label;
}

}  // namespace

MicrophoneBox::MicrophoneBox(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::activated, this, [this](int row) {
    if (chosen_ && row >= 0) chosen_(itemData(row).toString().toStdString());
  });
}

void MicrophoneBox::use(DeviceList list, const std::string& current, bool fixed, Chosen chosen) {
  list_ = std::move(list);
  chosen_ = std::move(chosen);
  fixed_ = fixed;
  fill(current);
  update_enabled();
}

std::string MicrophoneBox::current_device() const { return currentData().toString().toStdString(); }

void MicrophoneBox::set_listening(bool listening) {
  listening_ = listening;
  update_enabled();
}

void MicrophoneBox::showPopup() {
  fill(current_device());
  QComboBox::showPopup();
}

void MicrophoneBox::fill(const std::string& current) {
  const QSignalBlocker quiet(this);
  clear();
  for (const CaptureDevice& device : with_chosen_device(list_ ? list_() : std::vector<CaptureDevice>{}, current)) {
    addItem(label_of(device), QString::fromStdString(device.name));
    setItemData(count() - 1, QString::fromStdString(device.name), Qt::ToolTipRole);
    if (device.name == current) setCurrentIndex(count() - 1);
  }
  // The box is narrow; the list that drops down shows whole descriptions.
  view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
  setToolTip(fixed_ ? QString(text::kMicrophoneFixed) : QString::fromStdString(current));
}

void MicrophoneBox::update_enabled() { setEnabled(!fixed_ && !listening_); }

void connect_microphone(MicrophoneBox& box, Recognizer* recognizer, SettingsKeeper& settings) {
  box.use(list_capture_devices, settings.current().capture_device, settings.fixed(kCaptureDeviceKey),
          [&box, recognizer, &settings](const std::string& device) {
            if (const auto failure = settings.change([&](Settings& s) { s.capture_device = device; })) {
              std::fprintf(stderr, "quillon: settings not saved: %s\n", failure->c_str());
            }
            if (recognizer) recognizer->set_capture_device(settings.current().capture_device);
            box.setToolTip(QString::fromStdString(device));
          });
}

}  // namespace quillon
