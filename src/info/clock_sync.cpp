#include "info/clock_sync.h"

#include "codec/ru.h"

namespace quorvex {

namespace {
// Two digits of a field; a value outside 0..99 keeps its last two so the command keeps its
// fixed layout.
std::string TwoDigits(int value) {
  const int v = ((value % 100) + 100) % 100;
  return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}
}  // namespace

std::string ClockCommand(const LocalTime& t) {
  return "AT+CCLK=\"" + TwoDigits(t.year) + "/" + TwoDigits(t.month) + "/" + TwoDigits(t.day) +
         "," + TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second) + "\"";
}

void SpeedButton11Click(AppState& app) {
  app.LoadPortSettings();
  const std::string command = ClockCommand(app.ui().now());
  std::string reply;
  {
    auto port = app.OpenHandset(false);
    reply = port->RunAtCommand(command);
  }
  if (reply == kClockAccepted)
    app.ui().messageBox(Ru("Дата и время синхронизированы!!!"), MsgKind::Message, MsgButtons::Ok);
  else
    app.ui().messageBox(Ru("Не удалось синхронизировать.\r\nБыли ошибки."), MsgKind::Error,
                        MsgButtons::Ok);
}

}  // namespace quorvex
