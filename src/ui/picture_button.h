#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace quillon {

// A picture that acts as a button: it reports a click with the left button.
class PictureButton : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
  }
};

}  // namespace quillon
