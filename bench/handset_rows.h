// Numbered messages and events for the simulated handsets of the read benchmarks; each one
// differs from the others in its text and, for messages, in its date and time.
#pragma once

#include <cstdio>
#include <string>

#include "sim/handset_state.h"

namespace quorvex::bench {

inline sim::Message IncomingMessage(int i) {
  sim::Message m;
  m.store = sim::MessageStore::Incoming;
  m.status = i % 3 ? sim::MessageStatus::RecRead : sim::MessageStatus::RecUnread;
  m.number = "+7916" + std::to_string(1000000 + i);
  char when[32];
  std::snprintf(when, sizeof when, "26/%02d/%02d,%02d:%02d:%02d+12", i % 12 + 1, i % 28 + 1, i % 24,
                i % 60, i / 60 % 60);
  m.timestamp = when;
  m.text = "Message number " + std::to_string(i) + ", see you";
  return m;
}

inline sim::DateEvent NumberedEvent(int i) {
  sim::DateEvent e;
  e.title = "Event number " + std::to_string(i);
  e.alarmFlag = '1';
  e.startTime = "10:30";
  e.startDate = "07-12-2026";
  e.duration = 60;
  e.alarmTime = "10:15";
  e.alarmDate = "07-12-2026";
  e.repeat = i % 6;
  return e;
}

}  // namespace quorvex::bench
