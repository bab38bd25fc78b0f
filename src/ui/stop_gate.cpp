#include "ui/stop_gate.h"

#include <QApplication>
#include <QKeyEvent>

namespace quorvex::ui {
namespace {

bool IsInput(QEvent::Type t) {
  switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
    case QEvent::DragEnter:
    case QEvent::DragMove:
      return true;
    default:
      return false;
  }
}

}  // namespace

StopGate::StopGate(QWidget* window, std::function<bool()> running, std::function<void()> stop)
    : QObject(window), window_(window), running_(std::move(running)), stop_(std::move(stop)) {
  qApp->installEventFilter(this);
}

StopGate::~StopGate() {
  qApp->removeEventFilter(this);
}

bool StopGate::eventFilter(QObject* receiver, QEvent* event) {
  const QEvent::Type type = event->type();
  // A shortcut is matched before its key reaches any widget, and goes to an action or a
  // shortcut object: the window it belongs to is that of its nearest widget.
  if (type == QEvent::Shortcut) {
    QObject* owner = receiver;
    while (owner != nullptr && !owner->isWidgetType()) owner = owner->parent();
    return owner != nullptr && static_cast<QWidget*>(owner)->window() == window_ && running_();
  }
  // The platform window passes input on to its widgets, where it is judged.
  if (!IsInput(type) || !receiver->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(receiver);
  if (w->window() != window_ || !running_()) return false;
  if (stopButton_ != nullptr && (w == stopButton_ || stopButton_->isAncestorOf(w))) return false;
  if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    stop_();
    return true;
  }
  return true;
}

}  // namespace quorvex::ui
