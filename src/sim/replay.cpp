#include "sim/replay.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quorvex::sim {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(std::string_view in, std::string& out) {
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      out += in[i];
      continue;
    }
    if (++i == in.size()) return false;
    switch (in[i]) {
      case '\\':
        out += '\\';
        break;
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        const int high = i + 1 < in.size() ? HexDigit(in[i + 1]) : -1;
        const int low = i + 2 < in.size() ? HexDigit(in[i + 2]) : -1;
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

std::string Describe(std::string_view s) {
  std::string out;
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::vector<ReplayExchange> ParseTranscript(std::string_view text) {
  std::vector<ReplayExchange> out;
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    const char mark = line[0];
    const bool spaced = line.size() > 1 && line[1] == ' ';
    if ((line.size() > 1 && !spaced) ||
        (mark != '>' && mark != '<' && mark != '|' && mark != '=')) {
      throw std::runtime_error("transcript line " + std::to_string(number) +
                               ": not a command, reply or comment: " + Describe(line));
    }
    std::string value;
    if (!Unescape(line.substr(spaced ? 2 : 1), value)) {
      throw std::runtime_error("transcript line " + std::to_string(number) + ": bad escape");
    }
    if (mark == '>') {
      out.push_back({std::move(value), {}, number});
      continue;
    }
    if (out.empty()) {
      throw std::runtime_error("transcript line " + std::to_string(number) +
                               ": a reply before the first command");
    }
    std::string& reply = out.back().reply;
    if (mark == '<') {
      reply += "\r\n" + value + "\r\n";
    } else if (mark == '|') {
      reply += value + "\r\n";
    } else {
      reply += value;
    }
  }
  return out;
}

std::vector<ReplayExchange> LoadTranscript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the transcript " + path);
  std::stringstream ss;
  ss << in.rdbuf();
  try {
    return ParseTranscript(ss.str());
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
}

Replay::Answer Replay::answer(std::string_view command) {
  Answer a;
  if (next_ < exchanges_.size() && exchanges_[next_].command == command) {
    a.matched = true;
    a.reply = exchanges_[next_++].reply;
    const std::string_view r = a.reply;
    a.prompt = r.size() >= 2 && r.substr(r.size() - 2) == "> ";
    return a;
  }
  mismatches_.push_back(next_ < exchanges_.size()
                            ? "line " + std::to_string(exchanges_[next_].line) + ": expected " +
                                  Describe(exchanges_[next_].command) + ", got " + Describe(command)
                            : "after the end: got " + Describe(command));
  a.reply = "\r\nERROR\r\n";
  return a;
}

}  // namespace quorvex::sim
