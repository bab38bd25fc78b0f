#include "ui/key_preview.h"

#include <QApplication>
#include <QKeyEvent>

namespace quorvex::ui {

KeyPreview::KeyPreview(QWidget* window, std::function<bool(QKeyEvent&)> onKey)
    : QObject(window), window_(window), onKey_(std::move(onKey)) {
  qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
  qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* receiver, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyRelease) {
    // Every press begins with these: whatever arrives next is a key of its own.
    lastEvent_ = nullptr;
    return false;
  }
  if (event->type() != QEvent::KeyPress || !receiver->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(receiver);
  // A key a control ignores travels on to its parents, and this filter sees it at each of
  // them: the window previews it once, where it arrives first.
  const bool travelling =
      event == lastEvent_ && lastReceiver_ != nullptr && w->isAncestorOf(lastReceiver_);
  lastEvent_ = event;
  lastReceiver_ = w;
  if (travelling || w->window() != window_) return false;
  const bool eaten = onKey_(*static_cast<QKeyEvent*>(event));
  // A dialog the key opened has seen keys of its own meanwhile: this key still travels on
  // from here, and must not be previewed again on its way up.
  lastEvent_ = event;
  lastReceiver_ = w;
  return eaten;
}

}  // namespace quorvex::ui
