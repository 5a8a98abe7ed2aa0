#include "input/messages_qt.h"

#include <QMessageBox>
#include <QString>

namespace quillon {
namespace {

int show_box(QWidget* parent, QMessageBox::Icon icon, const std::string& title, const std::string& text,
             QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(text), buttons, parent);
  return box.exec();
}

}  // namespace

void QtMessages::inform(const std::string& title, const std::string& text) {
  show_box(parent_, QMessageBox::NoIcon, title, text, QMessageBox::Ok);
}

void QtMessages::warn(const std::string& title, const std::string& text) {
  show_box(parent_, QMessageBox::Critical, title, text, QMessageBox::Ok);
}

bool QtMessages::ask_yes_no(const std::string& title, const std::string& text) {
  return show_box(parent_, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace quillon
