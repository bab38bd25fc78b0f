#include "cli/cli_ui.h"

#include <chrono>
#include <ctime>
#include <ostream>
#include <thread>

#include "codec/cp1251.h"
#include "codec/hex_digits.h"

namespace quorvex::cli {

std::string ForTerminal(const std::string& cp1251) {
  std::string lines;
  lines.reserve(cp1251.size());
  for (std::size_t i = 0; i < cp1251.size(); ++i) {
    char c = cp1251[i];
    if (c == '\r') {
      if (i + 1 < cp1251.size() && cp1251[i + 1] == '\n') ++i;
      lines.push_back('\n');
    } else {
      lines.push_back(c);
    }
  }
  return Cp1251ToUtf8(lines);
}

std::string OneLine(const std::string& cp1251) {
  std::string out;
  for (char c : cp1251) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 32 || u == 127) {
      out += std::string("\\x") + kHexDigits[u >> 4] + kHexDigits[u & 15];
    } else {
      out.push_back(c);
    }
  }
  return Cp1251ToUtf8(out);
}

void PrintList(const ListModel& list, std::ostream& out) {
  for (const ListRow& row : list.rows) {
    out << OneLine(row.caption);
    for (const ListCell& c : row.subItems) out << '\t' << OneLine(c.text);
    out << '\n';
  }
  out.flush();
}

namespace {
const char* KindName(MsgKind kind) {
  switch (kind) {
    case MsgKind::Error:
      return "error";
    case MsgKind::Warning:
      return "warning";
    case MsgKind::Information:
      return "information";
    case MsgKind::Question:
      return "question";
    case MsgKind::Message:
      break;
  }
  return "message";
}
}  // namespace

MsgResult CliUserInterface::messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) {
  err_ << '[' << KindName(kind) << "] " << ForTerminal(text);
  MsgResult result = MsgResult::Ok;
  const char* shown = nullptr;
  switch (buttons) {
    case MsgButtons::Ok:
      break;
    case MsgButtons::OkCancel:
      result = answerYes_ ? MsgResult::Ok : MsgResult::Cancel;
      shown = answerYes_ ? "OK" : "Cancel";
      break;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
      result = answerYes_ ? MsgResult::Yes : MsgResult::No;
      shown = answerYes_ ? "Yes" : "No";
      break;
  }
  if (shown) err_ << " -> " << shown;
  err_ << '\n';
  err_.flush();
  return result;
}

void CliUserInterface::showStandardError(const std::string& message) {
  failed_ = true;
  err_ << "[error] " << ForTerminal(message) << '\n';
  err_.flush();
}

std::optional<std::string> CliUserInterface::chooseOpenFile(const std::string&) {
  if (files_.empty()) return std::nullopt;
  std::string path = files_.front();
  files_.pop_front();
  return path;
}

std::optional<std::string> CliUserInterface::chooseSaveFile(const std::string& filter,
                                                            const std::string&) {
  return chooseOpenFile(filter);
}

void CliUserInterface::pause(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

LocalTime CliUserInterface::now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void CliUserInterface::showModal(ModalDialog& dialog) {
  if (dialogScript) dialogScript(dialog);
}

void CliUserInterface::openUrl(const std::string& url) {
  err_ << "[url] " << url << '\n';
}

std::optional<std::string> SplitOptions(const std::vector<std::string>& args, std::size_t from,
                                        const std::vector<std::string>& allowed,
                                        CommandOptions& into) {
  for (std::size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      into.positional.push_back(a);
      continue;
    }
    std::string name = a, value;
    const std::size_t eq = a.find('=');
    if (eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    } else {
      if (i + 1 >= args.size()) return Cp1251ToUtf8(a) + " needs a value";
      value = args[++i];
    }
    bool known = false;
    for (const std::string& k : allowed) known = known || k == name;
    if (!known) return "unknown option " + Cp1251ToUtf8(name);
    into.named[name] = value;
  }
  return std::nullopt;
}

std::vector<std::string> SplitCaptions(const std::string& list) {
  std::vector<std::string> captions;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    captions.push_back(list.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return captions;
}

void SelectCaptions(ListModel& list, const std::vector<std::string>& captions) {
  list.focused = -1;
  for (ListRow& row : list.rows) row.selected = false;
  for (const std::string& c : captions) {
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
      if (list.rows[i].caption != c) continue;
      list.rows[i].selected = true;
      if (list.focused < 0) list.focused = static_cast<int>(i);
    }
  }
  ++list.revision;
}

}  // namespace quorvex::cli
