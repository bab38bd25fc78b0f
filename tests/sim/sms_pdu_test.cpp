#include "sim/sms_pdu.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvex::sim {
namespace {

Message Received(std::string number, std::string stamp, std::string text) {
  Message m;
  m.store = MessageStore::Incoming;
  m.status = MessageStatus::RecRead;
  m.number = std::move(number);
  m.timestamp = std::move(stamp);
  m.text = std::move(text);
  return m;
}

Message Written(std::string number, std::string text) {
  Message m;
  m.number = std::move(number);
  m.text = std::move(text);
  return m;
}

TEST(SmsPdu, EncodesStoredMessages) {
  const std::string centre = "07919761989901F0";
  const struct {
    const char* what;
    Message message;
    std::string serviceCentre;
    std::string hex;
    int length;
  } cases[] = {
      {"packed septets, a zone east",
       Received("+79161234501", "26/12/01,09:15:32+12", "hellohello"), "+79168999100",
       centre + "040B919761214305F10000622110905123210AE8329BFD4697D9EC37", 28},
      {"UCS2, no service centre", Written("+74951234567", "\xCC\xE0\xEC\xE0"), "",
       "0001000B914759214365F7000808041C0430043C0430", 21},
      // A sender that is a name goes as an alphanumeric address; the stamp of the message
      // folder's other shape reads too, without a zone.
      {"alphanumeric sender", Received("Design@Home", "2009/8/18,19:11:45", "@$_"), "+79168999100",
       centre + "0414D0C4F23C7D760390EF761900009080819111540003004104", 26},
      {"a zone west, a national number", Received("89031234567", "26/12/08,01:30:05-08", "A"),
       "89168999100", "07819861989901F0040B819830214365F70000622180100350880141", 20},
      {"a stamp without numbers, no number", Received("", "?", "A"), "bad centre",
       "000400810000000000000000000141", 14},
  };
  for (const auto& c : cases) {
    const MessagePdu pdu = EncodeMessagePdu(c.message, c.serviceCentre);
    EXPECT_EQ(pdu.hex, c.hex) << c.what;
    EXPECT_EQ(pdu.tpduLength, c.length) << c.what;
  }
}

TEST(SmsPdu, CutsATextLongerThanOneMessage) {
  const struct {
    std::string text;
    int coding, userDataLength;
  } cases[] = {
      {std::string(200, 'a'), 0, 160},
      {std::string(160, 'a'), 0, 160},
      {std::string(100, '\xE0'), 8, 140},  // а
      {"a]", 8, 4},                        // "]" needs the extension table: UCS2
  };
  for (const auto& c : cases) {
    const MessagePdu pdu = EncodeMessagePdu(Written("1", c.text), "");
    EXPECT_EQ(PduCoding(c.text), c.coding) << c.text;
    // "00" centre, then first octet, reference, the address "01 81 F1", identifier, coding,
    // length and the user data.
    EXPECT_EQ(pdu.hex.substr(14, 2), c.coding == 0 ? "00" : "08") << c.text;
    EXPECT_EQ(std::stoi(pdu.hex.substr(16, 2), nullptr, 16), c.userDataLength) << c.text;
    const int octets = c.coding == 0 ? (c.userDataLength * 7 + 7) / 8 : c.userDataLength;
    EXPECT_EQ(pdu.tpduLength, 8 + octets) << c.text;
  }
}

TEST(SmsPdu, NumbersTheStatuses) {
  EXPECT_EQ(PduStatus(MessageStatus::RecUnread), 0);
  EXPECT_EQ(PduStatus(MessageStatus::RecRead), 1);
  EXPECT_EQ(PduStatus(MessageStatus::StoUnsent), 2);
  EXPECT_EQ(PduStatus(MessageStatus::StoSent), 3);
}

}  // namespace
}  // namespace quorvex::sim
