#include "ui/hotkey_edit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <array>
#include <utility>

#include "core/texts.h"

namespace quillon {
namespace {

constexpr std::array<std::pair<int, const char*>, 37> kNamedKeys{{
    {Qt::Key_Control, "Ctrl"},
    {Qt::Key_Alt, "Alt"},
    {Qt::Key_Shift, "Shift"},
    {Qt::Key_Backspace, "Backspace"},
    {Qt::Key_Space, "Space"},
    {Qt::Key_Tab, "Tab"},
    {Qt::Key_CapsLock, "CapsLock"},
    {Qt::Key_Insert, "Insert"},
    {Qt::Key_PageUp, "PageUp"},
    {Qt::Key_PageDown, "PageDown"},
    {Qt::Key_Up, "Up"},
    {Qt::Key_Down, "Down"},
    {Qt::Key_Left, "Left"},
    {Qt::Key_Right, "Right"},
    {Qt::Key_Escape, "Esc"},
    {Qt::Key_Print, "PrintScreen"},
    {Qt::Key_Delete, "Delete"},
    {Qt::Key_Home, "Home"},
    {Qt::Key_End, "End"},
    {Qt::Key_Return, "Enter"},
    {Qt::Key_Enter, "Enter"},
    {Qt::Key_ScrollLock, "ScrollLock"},
    {Qt::Key_Pause, "Pause"},
    {Qt::Key_NumLock, "NumLock"},
    {Qt::Key_Period, "."},
    {Qt::Key_Comma, ","},
    {Qt::Key_Semicolon, ";"},
    {Qt::Key_Apostrophe, "'"},
    {Qt::Key_Slash, "/"},
    {Qt::Key_Backslash, "\\"},
    {Qt::Key_Equal, "="},
    {Qt::Key_Minus, "-"},
    {Qt::Key_Super_L, "LWindows"},
    {Qt::Key_Super_R, "RWindows"},
    {Qt::Key_Meta, "LWindows"},
    {Qt::Key_Menu, "PopMenu"},
    {Qt::Key_Backtab, "Tab"},
}};

// The keypad's operators have names of their own; its digits have none.
constexpr std::array<std::pair<int, const char*>, 4> kKeypadKeys{{
    {Qt::Key_Plus, "Add"},
    {Qt::Key_Minus, "Sub"},
    {Qt::Key_Asterisk, "Mul"},
    {Qt::Key_Slash, "Div"},
}};

}  // namespace

QString hotkey_name_of_key(int key, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier) {
    for (const auto& [code, name] : kKeypadKeys) {
      if (code == key) return name;
    }
    if (key != Qt::Key_Enter) return {};
  }
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return QChar(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return "F" + QString::number(key - Qt::Key_F1 + 1);
  for (const auto& [code, name] : kNamedKeys) {
    if (code == key) return name;
  }
  return {};
}

HotkeyEdit::HotkeyEdit(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  setPlaceholderText(text::kPushToTalkKeyHint);
}

// Tab would move the focus on; here it is a key like any other.
bool HotkeyEdit::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(static_cast<QKeyEvent*>(event));
      return true;
    }
  }
  return QLineEdit::event(event);
}

void HotkeyEdit::keyPressEvent(QKeyEvent* event) {
  const QString name = hotkey_name_of_key(event->key(), event->modifiers());
  if (name.isEmpty()) {
    event->ignore();
    return;
  }
  setText(name);
  event->accept();
}

void HotkeyEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::BackButton || event->button() == Qt::ForwardButton) {
    setText(event->button() == Qt::BackButton ? "MB8" : "MB9");
    event->accept();
    return;
  }
  QLineEdit::mousePressEvent(event);
}

}  // namespace quillon
