// A window's key preview: the window sees every key pressed in it before the focused control
// does. The callback returns true to keep the key from the control.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class QKeyEvent;

namespace quorvex::ui {

class KeyPreview : public QObject {
 public:
  KeyPreview(QWidget* window, std::function<bool(QKeyEvent&)> onKey);
  ~KeyPreview() override;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  QWidget* window_;
  const QEvent* lastEvent_ = nullptr;  // compared, never followed
  QPointer<QWidget> lastReceiver_;
  std::function<bool(QKeyEvent&)> onKey_;
};

}  // namespace quorvex::ui
