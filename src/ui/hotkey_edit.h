#pragma once

// A field that takes the next key or mouse side button pressed in it and
// shows its name as action strings write it ("F9", "CapsLock", "MB8"). Keys
// without such a name (keypad digits, media keys) are left to the dialog.

#include <QLineEdit>

namespace quillon {

class HotkeyEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit HotkeyEdit(QWidget* parent = nullptr);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

// The action-string name of a key Qt reports, empty when it has none.
QString hotkey_name_of_key(int key, Qt::KeyboardModifiers modifiers);

}  // namespace quillon
