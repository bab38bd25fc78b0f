// A stored message as the handset lists it in PDU mode (AT+CMGF=0): the service centre's
// address, then a deliver TPDU for a received message or a submit TPDU for one written
// here, in hex.
#pragma once

#include <string>
#include <string_view>

#include "sim/handset_state.h"

namespace quorvex::sim {

struct MessagePdu {
  std::string hex;     // upper-case hex, service centre address first
  int tpduLength = 0;  // octets after the service centre address, as +CMGL/+CMGR give it
};

// A text the default alphabet holds goes as packed septets, any other as UCS2. A text longer
// than one message holds (160 septets, 70 UCS2 characters) is cut there: the handset keeps
// each part of a long message in a slot of its own.
MessagePdu EncodeMessagePdu(const Message& message, std::string_view serviceCentre);

// The coding scheme that text goes in: 0 (packed septets) or 8 (UCS2).
int PduCoding(std::string_view text);

// "REC UNREAD" 0, "REC READ" 1, "STO UNSENT" 2, "STO SENT" 3.
int PduStatus(MessageStatus status);

}  // namespace quorvex::sim
