// Everything the handset keeps across power cycles, and its state file.
//
// The state file is line-based text in code page 1251. A line starting with "#" is a
// comment; every other non-empty line is a record: a keyword and its fields separated by
// TAB. Inside a field the backslash escapes "\\", "\t", "\n" and "\r". Line ends are LF
// (a CR before it is ignored). The records:
//
//   quorvex-handset  1                                    first record, format version
//   imei | imsi | manufacturer | revision | own-number | service-centre   TEXT
//   battery          STATUS  LEVEL
//   signal           RSSI    BER
//   clock-offset     SECONDS          handset clock minus the host's local clock
//   phone-book       PHONE   SIM      sizes: phone indices 1..PHONE, SIM PHONE+1..PHONE+SIM
//   groups           COUNT            caller group slots
//   group            N  NAME  ALERT
//   entry            INDEX NUMBER FORMAT NAME TYPE ATTR6 ALERT ATTR8 ATTR9 CATEGORY ICON
//                    ATTR12 ATTR13 ICONTEXT TAIL1 TAIL2   (the wire order of an entry)
//                    [NAME-UCS2]   the name's UCS2 hex, for a name NAME cannot hold
//   date-book        HIGHEST  AUTODELETE   events at 0..HIGHEST; auto-delete in weeks
//   event            INDEX TITLE ENTRYFLAG ALARMFLAG START-TIME START-DATE DURATION
//                    ALARM-TIME ALARM-DATE REPEAT   (times HH:MM, dates MM-DD-YYYY)
//   messages         SLOTS  NEXT-REFERENCE         message indices 1..SLOTS
//   message          INDEX STORE STATUS NUMBER TIMESTAMP TEXT
//                    STORE: IM, OM or DM; STATUS: REC UNREAD, REC READ, STO UNSENT, STO SENT
//
// Records may stand in any order after the first; a later record of the same index wins.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::sim {

struct PhoneEntry {
  std::string number;
  int format = 129;
  std::string name;
  int type = 0;
  int attr6 = 0;
  int alert = 255;
  int attr8 = 0;
  int attr9 = 1;
  int category = 0;
  int icon = 255;
  int attr12 = 255;
  int attr13 = 0;
  std::string iconText;
  int tail1 = 0;
  int tail2 = 0;
  // The name in UCS2 hex when it holds characters code page 1251 cannot (a name written in
  // UCS2); name then has "?" for them. Empty otherwise.
  std::string nameUcs2;
  bool operator==(const PhoneEntry&) const = default;
};

struct CallerGroup {
  std::string name;  // empty: the slot holds no group
  int alert = 255;
  bool operator==(const CallerGroup&) const = default;
};

struct DateEvent {
  std::string title;
  char entryFlag = '1';
  char alarmFlag = '0';
  std::string startTime = "00:00";
  std::string startDate = "01-01-2000";
  int duration = 0;
  std::string alarmTime = "00:00";
  std::string alarmDate = "00-00-2000";
  int repeat = 0;
  bool operator==(const DateEvent&) const = default;
};

enum class MessageStore { Incoming, Outgoing, Drafts };
enum class MessageStatus { RecUnread, RecRead, StoUnsent, StoSent };

// "IM", "OM", "DM"; "REC UNREAD", "REC READ", "STO UNSENT", "STO SENT".
std::string StoreName(MessageStore store);
std::string StatusName(MessageStatus status);

struct Message {
  MessageStore store = MessageStore::Outgoing;
  MessageStatus status = MessageStatus::StoUnsent;
  std::string number;
  std::string timestamp;  // "yy/MM/dd,hh:mm:ss+zz"; empty for messages written here
  std::string text;
  bool operator==(const Message&) const = default;
};

struct HandsetState {
  std::string imei = "350881020000000";
  std::string imsi = "250010000000000";
  std::string manufacturer = "Motorola CE, Copyright 2000";
  std::string revision;  // empty: derived from the model
  std::string ownNumber;
  std::string serviceCentre = "+79168999100";
  int batteryStatus = 0;
  int batteryLevel = 80;
  int rssi = 17;
  int ber = 99;
  std::int64_t clockOffset = 0;

  int phoneSize = 500;
  int simSize = 250;
  std::map<int, PhoneEntry> entries;  // by index: phone memory, then SIM
  std::vector<CallerGroup> groups = std::vector<CallerGroup>(4);

  int dateBookHighest = 99;
  int autoDeleteWeeks = 1;
  std::map<int, DateEvent> events;

  int messageSlots = 60;
  int nextReference = 1;
  std::map<int, Message> messages;

  int simFirst() const { return phoneSize + 1; }
  int simLast() const { return phoneSize + simSize; }
  bool operator==(const HandsetState&) const = default;
};

// An empty handset: identity and sizes, no entries, events or messages.
HandsetState EmptyState();
// The demo handset compiled in from data/demo_handset.txt.
HandsetState DemoState();

std::string SerializeState(const HandsetState& state);
// Throws std::runtime_error naming the line of the first fault.
HandsetState ParseState(std::string_view text);

// Writes a temporary file beside path and renames it over path. Throws std::runtime_error.
void SaveStateFile(const std::string& path, const HandsetState& state);
// Throws std::runtime_error when the file exists but cannot be read or parsed; false when
// there is no such file.
bool LoadStateFile(const std::string& path, HandsetState& state);

}  // namespace quorvex::sim
