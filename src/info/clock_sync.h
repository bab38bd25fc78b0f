// Setting the handset's clock from the computer's local clock.
#pragma once

#include <string>

#include "core/app_state.h"

namespace quorvex {

// "AT+CCLK=\"yy/MM/dd,hh:mm:ss\"", every field two digits, no time zone.
std::string ClockCommand(const LocalTime& t);

// The reply the handset gives when it took the time.
inline constexpr const char* kClockAccepted = "\r\nOK\r\n";

// SpeedButton11 "Синхронизировать": settings reloaded, the clock read once through the user
// interface before the port is opened, one exchange, then one of two message boxes. Port and
// settings errors escape.
void SpeedButton11Click(AppState& app);

}  // namespace quorvex
