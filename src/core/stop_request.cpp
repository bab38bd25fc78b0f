#include "core/stop_request.h"

#include <exception>

#include "codec/ru.h"

namespace quorvex {

StoppableOperation::StoppableOperation(StopRequest& stop, UserInterface& ui, std::string activity)
    : stop_(stop),
      ui_(ui),
      previous_(std::move(stop.activity_)),
      unwinding_(std::uncaught_exceptions()) {
  // An inner operation runs on behalf of the outer one and keeps its request.
  if (stop_.depth_++ == 0) {
    stop_.withdraw();
    stop_.outcome_.clear();
  }
  stop_.activity_ = std::move(activity);
}

StoppableOperation::~StoppableOperation() {
  stop_.activity_ = std::move(previous_);
  if (--stop_.depth_ == 0) stop_.withdraw();
  if (outcome_.empty()) return;
  stop_.outcome_ = outcome_;
  // An error on the way out is the one the user sees.
  if (std::uncaught_exceptions() > unwinding_) return;
  try {
    ui_.messageBox(outcome_, MsgKind::Information, MsgButtons::Ok);
  } catch (...) {
  }
}

std::string StoppedText(const char* doneUtf8, long long n, long long m) {
  return Ru("Остановлено: ") + Ru(doneUtf8) + " " + std::to_string(n) + Ru(" из ") +
         std::to_string(m) + ".";
}

}  // namespace quorvex
