// The handset's message commands. Indices are unique over all stores: listings and counts
// take the selected store, while a command given an index finds the message wherever it is.

#include "sim/at_engine.h"

#include <optional>

#include "sim/at_engine_helpers.h"
#include "sim/sms_pdu.h"

namespace quorvex::sim {

using namespace engine;

namespace {

std::optional<MessageStatus> StatusFromName(std::string_view s) {
  const std::string u = Upper(s);
  if (u == "REC UNREAD") return MessageStatus::RecUnread;
  if (u == "REC READ") return MessageStatus::RecRead;
  if (u == "STO UNSENT") return MessageStatus::StoUnsent;
  if (u == "STO SENT") return MessageStatus::StoSent;
  return std::nullopt;
}

}  // namespace

bool AtEngine::inMem(const Message& m, Mem mem) const {
  switch (mem) {
    case Mem::IM:
      return m.store == MessageStore::Incoming;
    case Mem::OM:
      return m.store == MessageStore::Outgoing;
    case Mem::DM:
      return m.store == MessageStore::Drafts;
    case Mem::MT:
      break;
  }
  return true;
}

int AtEngine::countIn(Mem mem) const {
  int n = 0;
  for (const auto& [index, m] : state_.messages) {
    if (inMem(m, mem)) ++n;
  }
  return n;
}

std::string AtEngine::cpmsCounts() const {
  const std::string slots = S(state_.messageSlots);
  return S(countIn(mem1_)) + "," + slots + "," + S(countIn(mem2_)) + "," + slots + "," +
         S(countIn(mem3_)) + "," + slots;
}

AtEngine::Result AtEngine::cpms(Form form, const std::vector<Arg>& args) {
  static const char* const kNames[] = {"IM", "OM", "DM", "MT"};
  if (form == Form::Test) {
    const std::string all = "(\"IM\",\"OM\",\"DM\",\"MT\")";
    return {true, Line("+CPMS: " + all + "," + all + "," + all)};
  }
  const std::string slots = S(state_.messageSlots);
  if (form == Form::Read) {
    std::string line = "+CPMS: ";
    const Mem mems[] = {mem1_, mem2_, mem3_};
    for (int i = 0; i < 3; ++i) {
      if (i > 0) line += ",";
      line += Quote(kNames[static_cast<int>(mems[i])]) + "," + S(countIn(mems[i])) + "," + slots;
    }
    return {true, Line(line)};
  }
  if (form != Form::Set || args.empty() || args.size() > 3) return {false};
  Mem chosen[3] = {mem1_, mem2_, mem3_};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string name = Upper(args[i].value);
    bool found = false;
    for (int k = 0; k < 4; ++k) {
      if (name == kNames[k]) {
        chosen[i] = static_cast<Mem>(k);
        found = true;
      }
    }
    if (!found) return {false};
  }
  mem1_ = chosen[0];
  mem2_ = chosen[1];
  mem3_ = chosen[2];
  return {true, Line("+CPMS: " + cpmsCounts())};
}

// A message of the standard listing (index > 0) or read (index 0): in text mode the header
// (with AT+CSDH=1 also the address types, coding and length) and the text; in PDU mode the
// status, the length and the PDU.
std::string AtEngine::standardMessage(int index, const Message& m) const {
  const std::string prefix = index > 0 ? "+CMGL: " + S(index) + "," : "+CMGR: ";
  if (pduMode()) {
    const MessagePdu pdu = EncodeMessagePdu(m, state_.serviceCentre);
    return Line(prefix + S(PduStatus(m.status)) + ",," + S(pdu.tpduLength)) + pdu.hex + "\r\n";
  }
  const bool incoming = m.store == MessageStore::Incoming;
  std::string header = prefix + Quote(StatusName(m.status)) + "," + Quote(m.number);
  if (incoming) header += ",," + Quote(stampText(m));
  if (csdh_ == 1) {
    const auto type = [](const std::string& number) {
      return S(!number.empty() && number[0] == '+' ? 145 : 129);
    };
    if (!incoming) header += index > 0 ? ",," : ",";
    header += "," + type(m.number);
    if (index == 0) {
      header += "," + S(incoming ? 4 : 1) + ",0," + S(PduCoding(m.text)) + ",";
      if (!incoming) header += ",";
      header += Quote(state_.serviceCentre) + "," + type(state_.serviceCentre);
    }
    header += "," + S(static_cast<std::int64_t>(m.text.size()));
  }
  return "\r\n" + header + "\r\n" + wireText(m.text) + "\r\n";
}

std::string AtEngine::listMessages(Mem mem, const std::string& filter, bool motorola,
                                   bool headersOnly) {
  std::optional<MessageStatus> only;
  if (filter != "ALL" && filter != "HEADER ONLY") only = StatusFromName(filter);
  std::string body;
  for (auto& [index, m] : state_.messages) {
    if (!inMem(m, mem) || (only && m.status != *only)) continue;
    if (!motorola) {
      body += standardMessage(index, m);
      // Only the standard listing counts as reading; Motorola's leaves the status alone.
      if (m.status == MessageStatus::RecUnread) {
        m.status = MessageStatus::RecRead;
        changed_ = true;
      }
      continue;
    }
    std::string header =
        "+MMGL: " + S(index) + ", " + Quote(StatusName(m.status)) + ", " + Quote(m.number);
    if (m.store == MessageStore::Incoming) header += ", " + Quote(stampText(m));
    body += headersOnly ? Line(header) : "\r\n" + header + "\r\n" + wireText(m.text) + "\r\n";
  }
  return body;
}

AtEngine::Result AtEngine::mmgl(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) {
    return {true, Line("+MMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO SENT\",\"ALL\","
                       "\"HEADER ONLY\")")};
  }
  std::string filter = "REC UNREAD";
  if (form == Form::Set) {
    if (args.size() != 1) return {false};
    filter = Upper(args[0].value);
  } else if (form != Form::Exec) {
    return {false};
  }
  if (filter != "ALL" && filter != "HEADER ONLY" && !StatusFromName(filter)) return {false};
  return {true, listMessages(mem1_, filter, true, filter == "HEADER ONLY")};
}

AtEngine::Result AtEngine::cmgl(Form form, const std::vector<Arg>& args) {
  static const char* const kFilters[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", "ALL"};
  if (form == Form::Test) {
    if (pduMode()) return {true, Line("+CMGL: (0-4)")};
    return {true, Line("+CMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO SENT\",\"ALL\")")};
  }
  std::string filter = "REC UNREAD";
  if (form == Form::Set) {
    if (args.size() != 1) return {false};
    filter = Upper(args[0].value);
    // PDU mode names the statuses by number.
    if (pduMode()) {
      const std::optional<int> n = ToInt(args[0].value, 0, 4);
      if (!n || args[0].quoted) return {false};
      filter = kFilters[*n];
    }
  } else if (form != Form::Exec) {
    return {false};
  }
  if (filter != "ALL" && !StatusFromName(filter)) return {false};
  return {true, listMessages(mem1_, filter, false, false)};
}

AtEngine::Result AtEngine::mmgr(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  if (!index) return {false};
  const auto it = state_.messages.find(*index);
  if (it == state_.messages.end()) return {false};
  const Message& m = it->second;
  std::string header = "+MMGR: " + Quote(StatusName(m.status)) + ", " + Quote(m.number);
  if (m.store == MessageStore::Incoming) header += ", " + Quote(stampText(m));
  return {true, "\r\n" + header + "\r\n" + wireText(m.text) + "\r\n"};
}

AtEngine::Result AtEngine::cmgr(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  if (!index) return {false};
  const auto it = state_.messages.find(*index);
  if (it == state_.messages.end()) return Result::Refused(kCmsInvalidIndex);
  Message& m = it->second;
  const std::string body = standardMessage(0, m);
  if (m.status == MessageStatus::RecUnread) {
    m.status = MessageStatus::RecRead;
    changed_ = true;
  }
  return {true, body};
}

AtEngine::Result AtEngine::mmar(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  if (!index) return {false};
  const auto it = state_.messages.find(*index);
  if (it == state_.messages.end() || it->second.store != MessageStore::Incoming) {
    return {false};
  }
  if (it->second.status == MessageStatus::RecUnread) {
    it->second.status = MessageStatus::RecRead;
    changed_ = true;
  }
  return {};
}

AtEngine::Result AtEngine::cmgw(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Exec && form != Form::Set) return {false};
  std::string number;
  MessageStatus status = MessageStatus::StoUnsent;
  if (form == Form::Set) {
    if (args.size() > 3 || !args[0].quoted || args[0].value.size() > kNumberLength) return {false};
    number = args[0].value;
    if (args.size() > 1 && !ToInt(args[1].value, 0, 255)) return {false};
    if (args.size() > 2) {
      const std::optional<MessageStatus> s = StatusFromName(args[2].value);
      if (!args[2].quoted || !s || (*s != MessageStatus::StoUnsent && *s != MessageStatus::StoSent))
        return {false};
      status = *s;
    }
  }
  if (mem2_ == Mem::DM) status = MessageStatus::StoUnsent;
  // A full store refuses before it takes a text.
  if (static_cast<int>(state_.messages.size()) >= state_.messageSlots) {
    return Result::Refused(kCmsMemoryFull);
  }
  pending_ = PendingText::Store;
  pendingNumber_ = number;
  pendingStatus_ = status;
  pendingText_.clear();
  return {true, "", true};
}

AtEngine::Result AtEngine::cmgs(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() > 2 || !args[0].quoted || args[0].value.empty() ||
      args[0].value.size() > kNumberLength) {
    return {false};
  }
  if (args.size() > 1 && !ToInt(args[1].value, 0, 255)) return {false};
  pending_ = PendingText::Send;
  pendingNumber_ = args[0].value;
  pendingText_.clear();
  return {true, "", true};
}

AtEngine::Result AtEngine::cmss(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() > 3) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  if (!index) return {false};
  const auto it = state_.messages.find(*index);
  if (it == state_.messages.end()) return {false};
  const bool otherNumber = args.size() > 1;
  if (otherNumber && (!args[1].quoted || args[1].value.empty())) return {false};
  if (args.size() > 2 && !ToInt(args[2].value, 0, 255)) return {false};
  Message& m = it->second;
  // A received message goes out again only to a number given here.
  if (m.store == MessageStore::Incoming && !otherNumber) return {false};
  if (!otherNumber && m.number.empty()) return {false};
  if (m.store != MessageStore::Incoming) {
    m.store = MessageStore::Outgoing;
    m.status = MessageStatus::StoSent;
  }
  const int reference = state_.nextReference;
  state_.nextReference = state_.nextReference % 255 + 1;
  changed_ = true;
  return {true, Line("+CMSS: " + S(reference))};
}

AtEngine::Result AtEngine::cmgd(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CMGD: (1-" + S(state_.messageSlots) + "),(0-4)")};
  if (form != Form::Set || args.size() > 2) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  const std::optional<int> flag = args.size() == 2 ? ToInt(args[1].value, 0, 4) : 0;
  if (!index || !flag) return {false};
  if (*flag == 0) {
    const auto it = state_.messages.find(*index);
    if (it == state_.messages.end()) return Result::Refused(kCmsInvalidIndex);
    state_.messages.erase(it);
    changed_ = true;
    return {};
  }
  // 1: every read message; 2: and the sent ones; 3: and the unsent ones; 4: all.
  for (auto it = state_.messages.begin(); it != state_.messages.end();) {
    const MessageStatus s = it->second.status;
    const bool drop = inMem(it->second, mem1_) && (*flag == 4 || s == MessageStatus::RecRead ||
                                                   (*flag >= 2 && s == MessageStatus::StoSent) ||
                                                   (*flag >= 3 && s == MessageStatus::StoUnsent));
    if (drop) {
      it = state_.messages.erase(it);
      changed_ = true;
    } else {
      ++it;
    }
  }
  return {};
}

}  // namespace quorvex::sim
