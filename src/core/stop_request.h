// A request to stop the long operation that runs, and what that operation is. The window's
// "Остановить" button and Escape set it, and so does the CLI's SIGINT handler; every long
// loop asks it after each exchange with the handset, ends there, keeps what it has, and says
// how far it got. Asking adds no wire traffic.
#pragma once

#include <atomic>
#include <string>

#include "core/user_interface.h"

namespace quorvex {

class StopRequest {
 public:
  // The user asked to stop the operation that runs now; a write asks before it gives up.
  void request() noexcept { once_.store(true, std::memory_order_relaxed); }
  // Nothing more is to run in this program: every operation from now on stops at its first
  // check and asks no question. Safe in a signal handler.
  void requestAll() noexcept { all_.store(true, std::memory_order_relaxed); }
  bool requested() const noexcept {
    return once_.load(std::memory_order_relaxed) || all_.load(std::memory_order_relaxed);
  }
  // Whether the request came with "stop everything", which no confirmation can take back.
  bool final() const noexcept { return all_.load(std::memory_order_relaxed); }
  // A write whose user said "go on" after the question.
  void withdraw() noexcept { once_.store(false, std::memory_order_relaxed); }

  // Whether a stoppable operation runs, and what it does (cp1251, for the status bar).
  bool running() const { return depth_ > 0; }
  const std::string& activity() const { return activity_; }
  // What the last stopped operation got done ("Остановлено: прочитано 30 из 250."); empty
  // after one that ran to its end.
  const std::string& outcome() const { return outcome_; }

 private:
  friend class StoppableOperation;
  static_assert(std::atomic<bool>::is_always_lock_free);
  std::atomic<bool> once_{false};
  std::atomic<bool> all_{false};
  int depth_ = 0;
  std::string activity_;
  std::string outcome_;
};

// A long operation for its lifetime: it starts with no request pending (an Escape pressed
// before it began does not stop it), shows its activity while it runs, and gives the
// previous activity back when it ends, however it ends. Declared before the operation's
// port and busy state, it ends after them: a stopped operation says how far it got once the
// port is free and the window idle.
class StoppableOperation {
 public:
  StoppableOperation(StopRequest& stop, UserInterface& ui, std::string activity);
  ~StoppableOperation();
  StoppableOperation(const StoppableOperation&) = delete;
  StoppableOperation& operator=(const StoppableOperation&) = delete;

  bool stopRequested() const noexcept { return stop_.requested(); }
  // Marks the operation stopped with the text that says how far it got.
  void stopped(std::string outcome) { outcome_ = std::move(outcome); }
  bool wasStopped() const { return !outcome_.empty(); }

 private:
  StopRequest& stop_;
  UserInterface& ui_;
  std::string previous_;
  std::string outcome_;
  int unwinding_;
};

// "Остановлено: <done> n из m." in cp1251, done being a past participle such as
// "прочитано" or "записано".
std::string StoppedText(const char* doneUtf8, long long n, long long m);

}  // namespace quorvex
