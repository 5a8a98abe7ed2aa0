#pragma once

#include "input/platform.h"

class QWidget;

namespace quillon {

// Modal QMessageBox dialogs with one OK button, or Yes and No.
class QtMessages : public Messages {
 public:
  explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
  void inform(const std::string& title, const std::string& text) override;
  void warn(const std::string& title, const std::string& text) override;
  bool ask_yes_no(const std::string& title, const std::string& text) override;

 private:
  QWidget* parent_;
};

}  // namespace quillon
