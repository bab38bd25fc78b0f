#include "info/terminal.h"

namespace quorvex {

const std::array<TerminalCommand, 40>& TerminalCommands() {
  // clang-format off
  static const std::array<TerminalCommand, 40> kCommands = {{
      {"AT", "AT"},
      {"AT+CGMI", "AT+CGMI: Query phone manufacturer."},
      {"AT+CGMM", "AT+CGMM: Query phone model."},
      {"AT+CGSN", "AT+CGSN: Query phone serial number."},
      {"AT+CGMR", "AT+CGMR: Query phone revision."},
      {"AT+CIMI", "AT+CIMI: international mobile subscriber identity <IMSI>"},
      {"AT+CPBS=?", "AT+CPBS=?: list of supported phonebook memory storages"},
      {"AT+CPBS?", "AT+CPBS?: current phonebook memory storage"},
      {"AT+CPBS=\"ME\"", "AT+CPBR=?: Read Phonebook Entries test command"},
      {"AT+CPBR=?", "AT+CPBS=\"ME\""},
      {"AT+CPBR=", "AT+CPBR=: Read Phonebook selected Entries"},
      {"AT+CNUM", "AT+CNUM: subscriber number"},
      {"AT+CBC", "AT+CBC: battery charge level "},
      {"AT+CSQ", "AT+CSQ: signal quality level"},
      {"AT+CKPD=", "AT+CKPD=: keypad control"},
      {"AT+CCLK?", "AT+CCLK?: get current data&time"},
      {"AT+CSCS=IRA", "AT+CSCS=IRA: select character set - international reference alphabet "},
      {"AT+CSCS=?", "AT+CSCS=?: List of supported character sets"},
      {"AT+CSCS=GSM", "AT+CSCS=GSM: "},
      {"AT+CSCS=HEX", "AT+CSCS=HEX: "},
      {"AT+CSCS=UCS2", "AT+CSCS=UCS2: 16-bit universal multiple-octet coded character set "},
      {"AT+CMGL=", "AT+CMGL=: check sms"},
      {"ATI1", "ATI1"},
      {"ATI2", "ATI2"},
      {"ATI3", "ATI3"},
      {"ATI4", "ATI4"},
      {"ATI5", "ATI5"},
      {"AT+MDBAD?", "AT+MDBAD?"},
      {"AT+MODE=0", "AT+MODE=0"},
      {"AT+MODE=1", "AT+MODE=1"},
      {"AT+MODE=2", "AT+MODE=2"},
      {"AT+MODE=3", "AT+MODE=3"},
      {"AT+MODE=4", "AT+MODE=4"},
      {"AT+MODE=8", "AT+MODE=8"},
      {"AT+MODE=12", "AT+MODE=12"},
      {"AT+CMOD=", "AT+CMOD= : Call mode +CMOD"},
      {"AT+CMOD=?", "AT+CMOD=?: List of supported call modes"},
      {"+CMOD?", "AT+CMOD?: current call mode"},
      {"AT+CBST=x,0,y", "AT+CBST=x,0,y : The following commands are described more fully in the ETSI speci"
       "fication GSM 07.07.x takes the following values: 0 Autobauding (non-transparent only).1 300 bps V.21. 2 1200 bps V.22. 3 1200/75 bps V.23. 4 2400 bps V.22bis. 5 2400 bps V.26ter. 6 4800 bps V.32. 7 9600 bps V.32 65 300 bps V.110. 66 1200 bps V.110. 68 2400 bps V.110. 70 4800 bps V.110. 71 9600 bps V.110. y takes the following values: 0 Transparent connection (default). 1 Non-transparent connection (uses RLP)."},
      {"AT+CBST?", "AT+CBST?: Query the bearer service type."},
  }};
  // clang-format on
  return kCommands;
}

void Terminal::FillCommandList() {
  cbCommandItems.clear();
  for (const TerminalCommand& row : TerminalCommands()) cbCommandItems.emplace_back(row.command);
  cbCommandItemIndex = 0;
  cbCommandText = cbCommandItems.front();
}

void Terminal::cbCommandClick(int index) {
  if (index < 0 || index >= static_cast<int>(cbCommandItems.size())) return;
  cbCommandItemIndex = index;
  cbCommandText = cbCommandItems[static_cast<std::size_t>(index)];
  // The description goes by the row: the items are the table's commands in its order.
  mmDescriptionCommand = TerminalCommands()[static_cast<std::size_t>(index)].description;
}

std::string Terminal::btnSendCommandClick(AppState& app) {
  app.LoadPortSettings();
  const std::string command = cbCommandText;
  auto port = app.OpenHandset(false);
  // The log shows what the handset sent to exactly what the user typed.
  port->KeepUnsolicited = true;
  port->SwitchToMode2 = false;
  std::string reply = port->RunAtCommand(command);
  mmTerminal += reply;
  return reply;
}

}  // namespace quorvex
