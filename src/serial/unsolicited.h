// What a handset may send that no command asked for, and the commands that a newer handset
// takes only after AT+MODE=2. The port object keeps the codes out of replies; the simulated
// handset draws the codes it sends from the same table.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace quorvex {

struct UnsolicitedCode {
  std::string_view name;    // "+CMTI", or a whole line such as "RING"
  bool whole;               // the line is the name alone; otherwise the name and a colon start it
  bool dataLine;            // one more line follows: the message text or its PDU
  std::string_view sample;  // a line as a handset sends it
  std::string_view sampleData;  // the line after it, for the codes that have one
};

std::span<const UnsolicitedCode> UnsolicitedCodes();

// The command's name after "AT", upper-cased, blanks ignored, up to "=", "?" or ";":
// "+CPBS" for "AT +CPBS=ME", "" for "AT", "Z" for "ATZ".
std::string AtCommandName(std::string_view command);

// The table's entry for a line, or null when the line is no unsolicited code or is an
// answer of the named command itself (AT+CREG? answers "+CREG: 0,1").
const UnsolicitedCode* FindUnsolicited(std::string_view line, std::string_view commandName);

// A line that ends a reply as refused: ERROR, or the numbered error of a handset left with
// AT+CMEE=1 or 2 ("+CME ERROR: 10", "+CMS ERROR: 321").
bool IsErrorResult(std::string_view line);

// Whether the answer of this command may hold a message text line, right after the line
// that starts with the command's name, which must not be taken for a code.
bool AnswersWithText(std::string_view commandName);

// The phone book, group and date book commands that a newer handset refuses until
// AT+MODE=2.
bool NeedsMode2(std::string_view commandName);

}  // namespace quorvex
