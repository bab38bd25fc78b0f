// While a long operation runs the window takes only its stop button and Escape: the
// operation pumps events after every exchange, and any other click or key would run a
// handler inside it (a second read of the same list, a section switch under a read, a
// close of the window that owns it). Input meant for the main window is dropped; Escape
// stops; other windows (a question the operation asks) get their input as ever.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace quorvex::ui {

class StopGate : public QObject {
 public:
  // running: whether an operation runs now; stop: what the stop button and Escape do.
  StopGate(QWidget* window, std::function<bool()> running, std::function<void()> stop);
  ~StopGate() override;
  // The one control that still takes clicks.
  void setStopButton(QWidget* button) { stopButton_ = button; }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  QWidget* window_;
  QPointer<QWidget> stopButton_;
  std::function<bool()> running_;
  std::function<void()> stop_;
};

}  // namespace quorvex::ui
