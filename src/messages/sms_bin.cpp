// Messages as records of the bin: kept before a delete, stored back, exported.
#include <cstdlib>
#include <memory>

#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "messages/message_rows.h"
#include "messages/new_message_dialog.h"
#include "messages/sms_section.h"

namespace quorvex::sms {

namespace {

// The memory a message lived in, as the handset's storage names it.
std::string MemoryOf(Folder folder) {
  if (folder == kIncoming) return "IM";
  if (folder == kDrafts) return "DM";
  return "OM";
}

constexpr std::size_t kStatusField = 0, kNumberField = 1, kDateTimeField = 2, kHexField = 3;

bool IsSent(const BinRecord& b) {
  return b.data[kStatusField] == "\"STO SENT\"";
}

// The folder of the tree a stored-back record shows in.
std::string FolderCaption(const BinRecord& b) {
  if (b.memory == "DM") return Ru("Черновики");
  return IsSent(b) ? Ru("Отправленные") : Ru("Исходящие");
}

}  // namespace

std::string StorageCommand(const std::string& memory) {
  return "AT+CPMS=\"" + memory + "\",\"" + memory + "\"";
}

std::string StorageRestoreCommand(const std::string& reply) {
  // The answer's first two texts in quotes; only names of two capitals go back into a command.
  std::vector<std::string> names;
  const std::size_t answer = reply.find("+CPMS:");
  std::size_t at = answer;
  while (at != std::string::npos && names.size() < 2) {
    const std::size_t open = reply.find('"', at);
    const std::size_t close = open == std::string::npos ? open : reply.find('"', open + 1);
    if (close == std::string::npos) break;
    names.push_back(reply.substr(open + 1, close - open - 1));
    at = close + 1;
  }
  const auto plain = [](const std::string& n) {
    return n.size() == 2 && n[0] >= 'A' && n[0] <= 'Z' && n[1] >= 'A' && n[1] <= 'Z';
  };
  if (!ReplyHasOk(reply) || names.size() < 2 || !plain(names[0]) || !plain(names[1]))
    names = {"IM", "OM"};
  return "AT+CPMS=\"" + names[0] + "\",\"" + names[1] + "\"";
}

bool StorageSelection::select(const std::string& memory) {
  if (memory == selected_) return true;
  if (before_.empty()) before_ = StorageRestoreCommand(port_.RunAtCommand("AT+CPMS?"));
  if (!ReplyHasOk(port_.RunAtCommand(StorageCommand(memory)))) {
    selected_.clear();
    return false;
  }
  selected_ = memory;
  return true;
}

StorageSelection::~StorageSelection() {
  if (before_.empty() || std::uncaught_exceptions() > unwinding_) return;
  try {
    port_.RunAtCommand(before_);
  } catch (...) {
  }
}

std::string StoreCommandFor(const BinRecord& m) {
  std::string command = StoreCommandHex(m.data[kNumberField], m.data[kHexField]);
  if (IsSent(m)) {
    const std::string type = !m.data[kNumberField].empty() && m.data[kNumberField][0] == '+'
                                 ? std::string("145")
                                 : std::string("129");
    command.insert(command.find('\r'), "," + type + ",\"STO SENT\"");
  }
  return command;
}

BinRecord MessageBinRecord(const HeldMessage& m, const std::string& operation) {
  BinRecord b;
  b.section = std::string(kBinMessages);
  b.operation = operation;
  b.memory = MemoryOf(m.folder);
  b.index = std::atoll(m.index.c_str());
  b.caption = m.reading.number;
  b.text = Ucs2MessageToText(m.reading.hexText);
  b.data = {m.status, m.reading.number, m.reading.dateTime, m.reading.hexText};
  return b;
}

std::vector<ListRow> MessageRowsFromBin(const std::vector<BinRecord>& records) {
  std::vector<ListRow> rows;
  for (const BinRecord& b : records) {
    if (b.section != kBinMessages || b.data.size() <= kHexField) continue;
    const std::string& status = b.data[kStatusField];
    ListRow row;
    row.caption = b.index >= 0 ? std::to_string(b.index) : std::string();
    AddSubItem(row, b.data[kNumberField]);
    const std::string& dateTime = b.data[kDateTimeField];
    AddSubItem(row, dateTime.empty() ? std::string(kNoDateTime) : dateTime);
    if (b.memory == "IM") {
      AddSubItem(row, KindIncoming(), kImageIncoming);
    } else if (b.memory == "DM") {
      AddSubItem(row, KindDraft(), kImageDraft);
    } else {
      AddSubItem(row, KindOutgoing(), kImageOutgoing);
    }
    const std::string decoded = Ucs2MessageToText(b.data[kHexField]);
    AddSubItem(row, std::to_string(decoded.size()));
    if (status == "\"REC READ\"") {
      AddSubItem(row, StatusRead(), kImageRead);
    } else if (status == "\"REC UNREAD\"") {
      AddSubItem(row, StatusUnread(), kImageUnread);
    } else if (status == "\"STO SENT\"") {
      AddSubItem(row, StatusSent(), kImageSent);
    } else {
      AddSubItem(row, StatusUnsent(), kImageUnsent);
    }
    AddSubItem(row, decoded);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<BinRecord> SmsSection::keptRows(const std::vector<const ListRow*>& rows,
                                            const std::string& operation) const {
  std::vector<BinRecord> kept;
  for (const ListRow* row : rows) {
    for (const HeldMessage& m : Held) {
      if (m.index != row->caption) continue;
      kept.push_back(MessageBinRecord(m, operation));
      break;
    }
  }
  return kept;
}

std::vector<BinRestoreResult> SmsSection::RestoreFromBin(AppState& app,
                                                         const std::vector<BinRecord>& chosen) {
  std::vector<BinRestoreResult> results;
  std::unique_ptr<TBlockSerial> port;
  // Declared after the port: it selects back while the port is still open.
  std::unique_ptr<StorageSelection> storage;
  for (const BinRecord& b : chosen) {
    BinRestoreResult& r = results.emplace_back(BinRestoreResult{b.id, false, {}});
    if (b.section != kBinMessages || b.data.size() <= kHexField) {
      r.where = Ru("запись корзины повреждена");
      continue;
    }
    if (b.memory == "IM") {
      r.where = Ru("входящее сообщение в телефон не вернуть; его можно экспортировать");
      continue;
    }
    // The memory goes into a command: only the two a message can be stored back into.
    if (b.memory != "OM" && b.memory != "DM") {
      r.where = Ru("запись корзины повреждена");
      continue;
    }
    if (!port) {
      app.LoadPortSettings();
      port = app.OpenHandset(true);
      port->RunAtCommand("AT+CSCS=UCS2");
    }
    if (!storage) storage = std::make_unique<StorageSelection>(*port);
    // A store into a memory the handset did not select would land in the wrong folder.
    if (!storage->select(b.memory)) {
      r.where = Ru("телефон не открыл папку \"") + FolderCaption(b) + "\"";
      continue;
    }
    const std::string reply = port->RunAtCommand(StoreCommandFor(b));
    if (!ReplyHasOk(reply)) {
      r.where = Ru("телефон не принял сообщение");
      continue;
    }
    r.restored = true;
    r.where = Ru("в \"") + FolderCaption(b) + Ru("\" под номером ") + StoredIndex(reply);
  }
  return results;
}

}  // namespace quorvex::sms
