#include "sim/sms_pdu.h"

#include <optional>
#include <vector>

#include "sim/handset_text.h"

namespace quorvex::sim {

namespace {

constexpr int kMostSeptets = 160;
constexpr int kMostUcs2 = 70;
constexpr std::size_t kMostDigits = 20;
constexpr std::size_t kMostAlphaCharacters = 11;

// The default alphabet's code of a code page 1251 byte, where it has one. Most of ASCII
// sits at its own place; "@", "$" and "_" do not, and "¤" and "¡" stand where "$" and "@"
// would.
std::optional<unsigned char> Septet(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (c == '@') return 0x00;
  if (c == '$') return 0x02;
  if (c == '_') return 0x11;
  if (c == '\n' || c == '\r') return u;
  if ((u >= 0x20 && u <= 0x23) || (u >= 0x25 && u <= 0x3F) || (u >= 'A' && u <= 'Z') ||
      (u >= 'a' && u <= 'z')) {
    return u;
  }
  return std::nullopt;
}

std::string Hex(const std::vector<unsigned char>& octets) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char o : octets) {
    out += kDigits[o >> 4];
    out += kDigits[o & 0x0F];
  }
  return out;
}

std::vector<unsigned char> Pack(const std::vector<unsigned char>& septets) {
  std::vector<unsigned char> out((septets.size() * 7 + 7) / 8, 0);
  for (std::size_t i = 0; i < septets.size(); ++i) {
    const std::size_t bit = i * 7;
    const unsigned value = septets[i] & 0x7Fu;
    out[bit / 8] |= static_cast<unsigned char>(value << (bit % 8));
    if (bit % 8 > 1) out[bit / 8 + 1] |= static_cast<unsigned char>(value >> (8 - bit % 8));
  }
  return out;
}

// Digits two to an octet, the first in the low half; an odd count ends in F.
void Swapped(std::string_view digits, std::vector<unsigned char>& out) {
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const unsigned low = static_cast<unsigned>(digits[i] - '0');
    const unsigned high = i + 1 < digits.size() ? static_cast<unsigned>(digits[i + 1] - '0') : 0xF;
    out.push_back(static_cast<unsigned char>(high << 4 | low));
  }
}

bool AllDigits(std::string_view s) {
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The originating or destination address: its length in semi-octets, its type and the
// number. A number with other characters than digits goes as an alphanumeric address.
void Address(std::string_view number, std::vector<unsigned char>& out) {
  const bool international = !number.empty() && number[0] == '+';
  std::string_view digits = international ? number.substr(1) : number;
  if (AllDigits(digits)) {
    digits = digits.substr(0, kMostDigits);
    out.push_back(static_cast<unsigned char>(digits.size()));
    out.push_back(international ? 0x91 : 0x81);
    Swapped(digits, out);
    return;
  }
  std::vector<unsigned char> septets;
  for (const char c : number.substr(0, kMostAlphaCharacters))
    septets.push_back(Septet(c).value_or('?'));
  const std::vector<unsigned char> packed = Pack(septets);
  out.push_back(static_cast<unsigned char>((septets.size() * 7 + 3) / 4));
  out.push_back(0xD0);
  out.insert(out.end(), packed.begin(), packed.end());
}

// "yy/MM/dd,hh:mm:ss+zz" (the zone in quarter hours) as seven swapped octets. The fields are
// taken as numbers between any separators, so a four-digit year or one-digit month and day
// ("2009/8/18,19:11:45") read as well; a stamp with fewer than six numbers gives zeros.
void TimeStamp(std::string_view stamp, std::vector<unsigned char>& out) {
  std::vector<int> fields;
  bool west = false;
  for (std::size_t i = 0; i < stamp.size() && fields.size() < 7;) {
    if (stamp[i] < '0' || stamp[i] > '9') {
      if (fields.size() == 6) west = stamp[i] == '-';
      ++i;
      continue;
    }
    int value = 0;
    for (; i < stamp.size() && stamp[i] >= '0' && stamp[i] <= '9'; ++i) {
      value = (value * 10 + (stamp[i] - '0')) % 10000;
    }
    fields.push_back(value);
  }
  if (fields.size() < 6) fields.assign(7, 0);
  fields.resize(7, 0);
  std::string digits;
  for (const int f : fields) {
    digits += static_cast<char>('0' + f % 100 / 10);
    digits += static_cast<char>('0' + f % 10);
  }
  Swapped(digits, out);
  if (west) out.back() |= 0x08;
}

void UserData(std::string_view text, std::vector<unsigned char>& out) {
  std::vector<unsigned char> septets;
  bool gsm = true;
  for (const char c : text) {
    const std::optional<unsigned char> s = Septet(c);
    if (!s) {
      gsm = false;
      break;
    }
    septets.push_back(*s);
  }
  if (gsm) {
    if (septets.size() > kMostSeptets) septets.resize(kMostSeptets);
    out.push_back(0x00);
    out.push_back(static_cast<unsigned char>(septets.size()));
    const std::vector<unsigned char> packed = Pack(septets);
    out.insert(out.end(), packed.begin(), packed.end());
    return;
  }
  const std::string_view cut = text.substr(0, kMostUcs2);
  const std::string hex = EncodeUcs2Hex(cut);
  out.push_back(0x08);
  out.push_back(static_cast<unsigned char>(hex.size() / 2));
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
}

}  // namespace

int PduCoding(std::string_view text) {
  for (const char c : text) {
    if (!Septet(c)) return 8;
  }
  return 0;
}

int PduStatus(MessageStatus status) {
  switch (status) {
    case MessageStatus::RecUnread:
      return 0;
    case MessageStatus::RecRead:
      return 1;
    case MessageStatus::StoUnsent:
      return 2;
    case MessageStatus::StoSent:
      break;
  }
  return 3;
}

MessagePdu EncodeMessagePdu(const Message& message, std::string_view serviceCentre) {
  std::vector<unsigned char> centre;
  const bool international = !serviceCentre.empty() && serviceCentre[0] == '+';
  const std::string_view centreDigits =
      (international ? serviceCentre.substr(1) : serviceCentre).substr(0, kMostDigits);
  if (centreDigits.empty() || !AllDigits(centreDigits)) {
    centre.push_back(0x00);
  } else {
    centre.push_back(static_cast<unsigned char>(1 + (centreDigits.size() + 1) / 2));
    centre.push_back(international ? 0x91 : 0x81);
    Swapped(centreDigits, centre);
  }

  std::vector<unsigned char> tpdu;
  const bool received = message.store == MessageStore::Incoming;
  // Deliver, no more messages waiting; or submit without a validity period.
  tpdu.push_back(received ? 0x04 : 0x01);
  if (!received) tpdu.push_back(0x00);  // message reference, given when it is sent
  Address(message.number, tpdu);
  tpdu.push_back(0x00);  // protocol identifier: plain short message
  std::vector<unsigned char> data;
  UserData(message.text, data);
  tpdu.push_back(data[0]);  // coding scheme
  if (received) TimeStamp(message.timestamp, tpdu);
  tpdu.insert(tpdu.end(), data.begin() + 1, data.end());
  return {Hex(centre) + Hex(tpdu), static_cast<int>(tpdu.size())};
}

}  // namespace quorvex::sim
