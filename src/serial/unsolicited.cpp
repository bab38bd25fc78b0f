#include "serial/unsolicited.h"

#include <algorithm>
#include <array>

namespace quorvex {

namespace {

// clang-format off
constexpr std::array<UnsolicitedCode, 13> kCodes = {{
    {"RING",       true,  false, "RING", {}},
    {"NO CARRIER", true,  false, "NO CARRIER", {}},
    {"+CRING",     false, false, "+CRING: VOICE", {}},
    {"+CLIP",      false, false, "+CLIP: \"+79161234567\",145", {}},
    {"+CMTI",      false, false, "+CMTI: \"IM\",5", {}},
    {"+CMT",       false, true,  "+CMT: \"+79161234567\",,\"24/05/01,12:00:00+12\"", "OK, call me"},
    {"+CDSI",      false, false, "+CDSI: \"SR\",3", {}},
    {"+CDS",       false, true,  "+CDS: 25", "0791973007111111F1060A0A81197167520000"},
    {"+CBM",       false, true,  "+CBM: 24", "001000320111C8329BFD06B540C3"},
    {"+CREG",      false, false, "+CREG: 1", {}},
    {"+CGREG",     false, false, "+CGREG: 1", {}},
    {"+CIEV",      false, false, "+CIEV: 1,3", {}},
    {"+CUSD",      false, false, "+CUSD: 0,\"ERROR\",15", {}},
}};
// clang-format on

constexpr std::array<std::string_view, 8> kMode2Commands = {"+MPBR", "+MPBW",  "+MPGR", "+MDBR",
                                                            "+MDBW", "+MDBWE", "+MDBL", "+MDBAD"};

constexpr std::array<std::string_view, 4> kTextAnswers = {"+CMGR", "+CMGL", "+MMGR", "+MMGL"};

}  // namespace

std::span<const UnsolicitedCode> UnsolicitedCodes() {
  return kCodes;
}

std::string AtCommandName(std::string_view command) {
  std::string compact;
  for (const char c : command) {
    if (c == '=' || c == '?' || c == ';' || c == '\r') break;
    if (c == ' ') continue;
    compact += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return compact.starts_with("AT") ? compact.substr(2) : std::string();
}

const UnsolicitedCode* FindUnsolicited(std::string_view line, std::string_view commandName) {
  for (const UnsolicitedCode& code : kCodes) {
    const bool match = code.whole ? line == code.name
                                  : line.starts_with(code.name) && line.size() > code.name.size() &&
                                        line[code.name.size()] == ':';
    if (!match) continue;
    return code.name == commandName ? nullptr : &code;
  }
  return nullptr;
}

bool IsErrorResult(std::string_view line) {
  return line == "ERROR" || line.starts_with("+CME ERROR:") || line.starts_with("+CMS ERROR:");
}

bool AnswersWithText(std::string_view commandName) {
  return std::find(kTextAnswers.begin(), kTextAnswers.end(), commandName) != kTextAnswers.end();
}

bool NeedsMode2(std::string_view commandName) {
  return std::find(kMode2Commands.begin(), kMode2Commands.end(), commandName) !=
         kMode2Commands.end();
}

}  // namespace quorvex
