#include "messages/sms_section.h"

#include <cerrno>
#include <fstream>

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "messages/message_rows.h"

namespace quorvex::sms {

using text::Copy;
using text::Delete;
using text::IntToStr;
using text::Pos;

namespace {

std::string Count(const ListModel& list) {
  return IntToStr(static_cast<std::int64_t>(list.rows.size()));
}

std::string NothingErased() {
  return Ru("Ничего не удалено.");
}

void ShowNoRecord(UserInterface& ui) {
  ui.messageBox(Ru("Нет выбранной записи..."), MsgKind::Error, MsgButtons::Ok);
}

struct FolderTexts {
  const char* storage;
  const char* storageMessage;  // UTF-8
  const char* listingMessage;  // UTF-8
};

FolderTexts TextsOf(Folder folder) {
  switch (folder) {
    case kIncoming:
      return {"AT+CPMS=\"IM\"", "Проблемы с подключением. 2", "Проблемы с подключением. 1"};
    case kDrafts:
      return {"AT+CPMS=\"DM\"", "Проблемы с подключением. 6", "Проблемы с подключением. 5"};
    default:
      break;
  }
  return {"AT+CPMS=\"OM\"", "Проблемы с подключением. 4", "Проблемы с подключением. 3"};
}

// Sets the progress bar back to its start when the read ends, whatever the way.
class ResetOnExit {
 public:
  explicit ResetOnExit(ProgressBar& bar) : bar_(bar) {}
  ~ResetOnExit() {
    bar_.Position = 0;
    bar_.Figure.clear();
  }
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;

 private:
  ProgressBar& bar_;
};

// "The text from the 2nd character up to position p - 2": a quoted field before its
// separator, without the quotes.
std::string QuotedBefore(const std::string& s, int p) {
  return Copy(s, 2, p - 3);
}

std::string HexLine(const std::string& s) {
  return Copy(s, 1, Pos("\r", s) - 1);
}

}  // namespace

ListingHeader CutListingHeader(std::string line) {
  ListingHeader h;
  Delete(line, 1, 7);
  int p = Pos(",", line);
  h.index = Copy(line, 1, p - 1);
  Delete(line, 1, p + 1);
  h.status = Copy(line, 1, Pos(",", line) - 1);
  return h;
}

std::vector<std::string> SplitListing(std::string reply, std::int32_t n) {
  // A count larger than the listing (a message arriving between the two commands, or a
  // garbled count) ends with the listing: no phantom rows, no unbounded list.
  std::vector<std::string> headers;
  for (std::int32_t k = 0; k < n; ++k) {
    reply = text::Trim(reply);
    // What is left without a line end is the final result line, no header.
    if (Pos("\r", reply) == 0) break;
    std::string line = Copy(reply, 1, Pos("\r", reply) - 1);
    Delete(reply, 1, static_cast<std::int64_t>(line.size()) + 2);
    headers.push_back(std::move(line));
  }
  return headers;
}

std::int32_t CutMessageCount(std::string reply) {
  Delete(reply, 1, 8);
  return text::StrToInt(Copy(reply, 1, Pos(",", reply) - 1));
}

MessageReading CutMessageReading(std::string r, Folder folder, const std::string& status) {
  const std::string read = "\"REC READ\"", unread = "\"REC UNREAD\"";
  const std::string sent = kFilterSent, unsent = kFilterUnsent;
  MessageReading m;
  if (folder == kIncoming) {
    if (status == read) Delete(r, 1, 21);
    if (status == unread) Delete(r, 1, 23);
    int p = Pos(",", r);
    m.number = DropControls(QuotedBefore(r, p), false);
    Delete(r, 1, p + 1);
    p = Pos("\r", r);
    m.dateTime = DropControls(QuotedBefore(r, p), false);
    Delete(r, 1, p + 1);
  } else {
    if (folder == kDrafts || status == unsent) Delete(r, 1, 23);
    if (folder != kDrafts && status == sent) Delete(r, 1, 21);
    const int p = Pos("\r", r);
    m.number = DropControls(QuotedBefore(r, p), false);
    Delete(r, 1, p + 1);
  }
  m.hexText = HexLine(r);
  return m;
}

int RecipientIcon(const std::string& typeText) {
  static const char* const kTypes[] = {"Рабочий",   "Домашний",      "Основной",
                                       "Мобильный", "Факс",          "Пейджер",
                                       "E-Mail",    "Лист рассылки", "сохранено в SIM"};
  for (int i = 0; i < 9; ++i)
    if (typeText == Ru(kTypes[i])) return i;
  return -1;
}

std::string StoredIndex(std::string reply) {
  const std::string marker = "\r\n+CMGW: ";
  Delete(reply, 1, Pos(marker, reply) + static_cast<int>(marker.size()) - 1);
  return Copy(reply, 1, Pos("\r", reply) - 1);
}

SmsSection::SmsSection()
    : lvSMS(MakeMessageList()),
      Label7Caption(Ru("Текст сообщения")),
      sbSMSNewCaption(Ru("Новое")),
      sbSMSSaveCaption(Ru("Сохранить")),
      SpeedButton12Caption(Ru("Очистить")),
      sbDeleteSMSCaption(Ru("Удалить")),
      sbSMSDeleteAllCaption(Ru("Удалить все")),
      pmSMSRead{{}, Ru("Прочитать")},
      pmSMSDelete{{}, Ru("Удалить")},
      pmSMSNew{{}, Ru("Новое")},
      pmSMSSave{{}, Ru("Сохранить")},
      pmSendSMS{{}, Ru("Отправить")},
      pmSMSClear{{}, Ru("Очистить")},
      pmMarkasRead{{}, "Mark as Read"},
      N18{{}, Ru("Прочитать")},
      N19{{}, Ru("Новое")},
      N20{{}, Ru("Удалить")},
      N22{{}, Ru("Удалить все")} {
  struct Def {
    const char* caption;
    int parent, image, selectedImage;
  };
  const Def defs[] = {
      {"Телефон", -1, kImagePhone, kImagePhone},
      {"Входящие", kPhone, kImageInboxFolder, kImageInboxFolderSelected},
      {"Исходящие", kPhone, kImageOutboxFolder, kImageOutboxFolderSelected},
      {"Отправленные", kPhone, kImageOutgoing, kImageOutgoing},
      {"Черновики", kPhone, kImageDraft, kImageDraft},
      {"Архив", -1, kImageArchiveFolder, kImageArchiveFolder},
  };
  int state = 0;
  for (const Def& d : defs) {
    const std::string caption = Ru(d.caption);
    tvSMS.push_back({caption, caption, d.parent, d.image, d.selectedImage, state++});
  }
}

// ---------------------------------------------------------------------------------------
// Reading

void SmsSection::ReadMessageFolder(AppState& app, const std::string& filter) {
  UserInterface& ui = app.ui();
  StoppableOperation op(app.stop(), ui, Ru("Чтение сообщений…"));
  LastReadComplete = false;
  const ArchiveMark archive = MarkArchive(archivePath);
  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
  // Declared after the port: the busy state is left and the bar reset before it is freed.
  LeaveBusyOnExit idle(SetControlsEnabled);
  ResetOnExit bar(pbReadSMS);

  if (!ReplyHasOk(port->RunAtCommand("AT+CSCS=UCS2"))) {
    ui.messageBox(Ru("Проблемы с подключением. 7"), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  lvSMS.clear();
  listRefilled(filter == kFilterIncoming ? kIncoming
               : filter == kFilterSent   ? kSent
               : filter == kFilterUnsent ? kUnsent
               : filter == kFilterDrafts ? kDrafts
                                         : -1);
  Held.clear();
  if (SetControlsEnabled) SetControlsEnabled(false);
  pbReadSMS.Min = 0;
  if (filter == kFilterIncoming) readFolder(app, *port, kIncoming, filter, archive, op);
  if (filter == kFilterSent || filter == kFilterUnsent)
    readFolder(app, *port, filter == kFilterSent ? kSent : kUnsent, filter, archive, op);
  if (filter == kFilterDrafts) readFolder(app, *port, kDrafts, filter, archive, op);
}

void SmsSection::readFolder(AppState& app, TBlockSerial& port, Folder folder,
                            const std::string& filter, const ArchiveMark& archive,
                            StoppableOperation& op) {
  UserInterface& ui = app.ui();
  const FolderTexts texts = TextsOf(folder);
  std::string reply = port.RunAtCommand(texts.storage);
  if (!ReplyHasOk(reply)) {
    ui.messageBox(Ru(texts.storageMessage), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  const std::int32_t n = CutMessageCount(reply);
  pbReadSMS.Max = n > 0 ? n - 1 : 0;

  reply = port.RunAtCommand("AT+MMGL=\"HEADER ONLY\"");
  if (!ReplyHasOk(reply)) {
    ui.messageBox(Ru(texts.listingMessage), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  const std::vector<std::string> headers = SplitListing(reply, n);

  std::vector<ArchiveRecord> kept;
  const std::string read = "\"REC READ\"", unread = "\"REC UNREAD\"";
  for (std::size_t k = 0; k < headers.size(); ++k) {
    const ListingHeader h = CutListingHeader(headers[k]);
    if (folder == kIncoming) {
      const MessageReading m =
          CutMessageReading(port.RunAtCommand("AT+MMGR=" + h.index), folder, h.status);
      ListRow& row = lvSMS.add(h.index);
      AddSubItem(row, m.number);
      AddSubItem(row, m.dateTime);
      AddSubItem(row, KindIncoming(), kImageIncoming);
      const std::string decoded = Ucs2MessageToText(m.hexText);
      AddSubItem(row, IntToStr(static_cast<std::int64_t>(decoded.size())));
      if (h.status == read) AddSubItem(row, StatusRead(), kImageRead);
      if (h.status == unread) AddSubItem(row, StatusUnread(), kImageUnread);
      AddSubItem(row, decoded);
      kept.push_back({m.number, m.dateTime, decoded});
      Held.push_back({h.index, folder, h.status, m});
    } else {
      if (folder != kDrafts && h.status != filter) continue;
      const MessageReading m =
          CutMessageReading(port.RunAtCommand("AT+MMGR=" + h.index), folder, h.status);
      ListRow& row = lvSMS.add(h.index);
      AddSubItem(row, m.number);
      AddSubItem(row, kNoDateTime);
      if (folder == kDrafts)
        AddSubItem(row, KindDraft(), kImageDraft);
      else
        AddSubItem(row, KindOutgoing(), kImageOutgoing);
      const std::string decoded = Ucs2MessageToText(m.hexText);
      AddSubItem(row, IntToStr(static_cast<std::int64_t>(decoded.size())));
      if (folder == kSent)
        AddSubItem(row, StatusSent(), kImageSent);
      else
        AddSubItem(row, StatusUnsent(), kImageUnsent);
      AddSubItem(row, decoded);
      Held.push_back({h.index, folder, h.status, m});
    }
    pbReadSMS.Position = static_cast<int>(k);
    pbReadSMS.showFigure(static_cast<long long>(k) + 1, static_cast<long long>(headers.size()));
    ui.processEvents(false);
    if (k + 1 < headers.size() && op.stopRequested()) {
      op.stopped(StoppedText("прочитано", static_cast<long long>(k) + 1,
                             static_cast<long long>(headers.size())));
      break;
    }
  }
  // The messages read before a stop still go to the archive.
  LastReadComplete = !op.wasStopped();

  if (folder != kIncoming) return;
  std::vector<ArchiveRecord> fresh;
  std::vector<std::string> dateTimes;
  for (const ArchiveRecord& m : kept) dateTimes.push_back(m.dateTime);
  const std::vector<bool> known = KnownDateTimes(archive, dateTimes);
  for (std::size_t k = 0; k < kept.size(); ++k)
    if (!known[k]) fresh.push_back(kept[k]);
  if (!fresh.empty()) AppendArchive(archivePath, fresh);
}

std::size_t SmsSection::LoadMessageArchive() {
  LastReadComplete = false;
  const ArchiveTail tail = ReadArchiveTail(archivePath, kMaxArchiveRows);
  lvSMS.clear();
  listRefilled(kArchive);
  Held.clear();
  for (const std::string& line : tail.lines) AddArchiveRow(lvSMS, SplitArchiveLine(line));
  LastReadComplete = true;
  return tail.leftOut;
}

void SmsSection::listRefilled(int folder) {
  lvSMSFolder = folder;
  mmSMS.clear();
  mmSMSRow_.reset();
}

namespace {

// One message of the list, whatever its status says since: its storage index, number,
// date/time and text.
bool SameMessage(const ListRow& a, const ListRow& b) {
  static const std::string none;
  if (a.caption != b.caption) return false;
  for (const std::size_t c : {kNumber, kDateTime, kText}) {
    const std::string& x = c < a.subItems.size() ? a.subItems[c].text : none;
    const std::string& y = c < b.subItems.size() ? b.subItems[c].text : none;
    if (x != y) return false;
  }
  return true;
}

}  // namespace

void SmsSection::forgetIfShown(const ListRow& row) {
  if (!mmSMSRow_ || !SameMessage(*mmSMSRow_, row)) return;
  mmSMS.clear();
  mmSMSRow_.reset();
}

void SmsSection::relabelListedFolder() {
  if (lvSMSFolder < kIncoming || lvSMSFolder > kArchive) return;
  TreeNode& node = tvSMS[static_cast<std::size_t>(lvSMSFolder)];
  node.caption = node.baseCaption + " (" + Count(lvSMS) + ")";
}

void SmsSection::setReadEnabled(bool enabled) {
  pmSMSRead.enabled = enabled;
  N18.enabled = enabled;
}

void SmsSection::tvSMSClick(AppState& app) {
  if (tvSMSSelected < 0 || tvSMSSelected >= static_cast<int>(tvSMS.size())) return;
  TreeNode& node = tvSMS[static_cast<std::size_t>(tvSMSSelected)];
  switch (node.stateIndex) {
    case kIncoming:
      ReadMessageFolder(app, kFilterIncoming);
      break;
    case kUnsent:
      ReadMessageFolder(app, kFilterUnsent);
      break;
    case kSent:
      ReadMessageFolder(app, kFilterSent);
      break;
    case kDrafts:
      ReadMessageFolder(app, kFilterDrafts);
      break;
    case kArchive:
      if (const std::size_t leftOut = LoadMessageArchive(); leftOut > 0) {
        const std::size_t shown = lvSMS.rows.size();
        app.ui().messageBox(
            Ru("В архиве записей: ") + IntToStr(static_cast<std::int64_t>(shown + leftOut)) +
                Ru(". Показаны последние ") + IntToStr(static_cast<std::int64_t>(shown)) +
                Ru(", остальные ") + IntToStr(static_cast<std::int64_t>(leftOut)) +
                Ru(" есть только в файле."),
            MsgKind::Information, MsgButtons::Ok);
      }
      break;
    default:
      setReadEnabled(false);
      return;
  }
  setReadEnabled(true);
  node.caption = node.baseCaption + " (" + Count(lvSMS) + ")";
}

void SmsSection::pmSMSReadClick(AppState& app) {
  if (tvSMSSelected >= 0) tvSMSClick(app);
}

void SmsSection::tvSMSKeyDown(AppState& app, int key) {
  if (key == kKeyEnter) pmSMSReadClick(app);
}

void SmsSection::lvSMSClick() {
  const int i = lvSMS.selectedIndex();
  mmSMS.clear();
  mmSMSRow_.reset();
  if (i >= 0) {
    const ListRow& row = lvSMS.rows[static_cast<std::size_t>(i)];
    if (row.subItems.size() > kText) {
      mmSMS = row.subItems[kText].text;
      mmSMSRow_ = row;
    }
  }
}

void SmsSection::SpeedButton12Click() {
  lvSMS.clear();
  listRefilled(-1);
  for (int i = kIncoming; i <= kDrafts; ++i)
    tvSMS[static_cast<std::size_t>(i)].caption = tvSMS[static_cast<std::size_t>(i)].baseCaption;
}

void SmsSection::pmSMSClearClick() {
  lvSMS.clear();
  // The caption keeps its count and the memo its text; no folder's rows are listed now.
  lvSMSFolder = -1;
}

void SmsSection::ShowSection() {
  tvSMSExpanded = true;
  setReadEnabled(false);
}

void SmsSection::HotKey(AppState& app, int key, const ListModel& phoneBook) {
  if (key == kKeyF5 && pmSMSRead.enabled) pmSMSReadClick(app);
  if (key == kKeyInsert) sbSMSNewClick(app, phoneBook);
  if (key == kKeyDelete) sbDeleteSMSClick(app);
}

// ---------------------------------------------------------------------------------------
// Composing and sending

void SmsSection::showDialog() {
  frmSaveSMS.visible = true;
  if (runDialog) runDialog(frmSaveSMS);
  frmSaveSMS.visible = false;
}

void SmsSection::sbSMSNewClick(AppState& app, const ListModel& phoneBook) {
  TfrmSaveSMS& d = frmSaveSMS;
  const std::size_t n = phoneBook.rows.size();
  d.clearRecipients();
  d.RecipientNames.resize(n);
  d.RecipientNumbers.resize(n);
  d.RecipientIcons.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const ListRow& row = phoneBook.rows[i];
    d.RecipientNames[i] = phoneBook.cellText(row, 1);
    d.RecipientNumbers[i] = phoneBook.cellText(row, 2);
    const int icon = RecipientIcon(phoneBook.cellText(row, 3));
    if (icon >= 0) d.RecipientIcons[i] = static_cast<std::uint8_t>(icon);
    const int image = d.RecipientIcons[i];
    d.cbAbonentsItems.push_back({d.RecipientNames[i], image, image, image, -1});
  }

  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
  port->RunAtCommand("AT+CSCS=UCS2");
  d.Confirmed = false;
  showDialog();
  if (!d.Confirmed) return;

  UserInterface& ui = app.ui();
  const std::string reply = port->RunAtCommand(d.WriteCommand);
  if (!ReplyHasOk(reply)) {
    ui.messageBox(Ru("Невозможно записать сообщение."), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  switch (d.RadioGroup.itemIndex) {
    case 0:
      ui.messageBox(Ru("Сообщение записано в \"Иходящие\"."), MsgKind::Information, MsgButtons::Ok);
      break;
    case 1:
      port->RunAtCommand("AT+CMSS=" + StoredIndex(reply));
      ui.messageBox(Ru("Сообщение отправлено и записано в \"Иходящие\"."), MsgKind::Information,
                    MsgButtons::Ok);
      break;
    case 2: {
      const std::string index = StoredIndex(reply);
      port->RunAtCommand("AT+CMSS=" + index);
      ui.pause(500);
      const HeldMessage sent{index, kSent, "\"STO SENT\"", {d.Recipient, "", d.MessageHex}};
      if (!KeepInBin(app, {MessageBinRecord(sent, "send-delete")},
                     Ru("Сообщение отправлено и оставлено в \"Исходящих\"."))) {
        return;
      }
      port->RunAtCommand("AT+CMGD=" + index);
      ui.messageBox(Ru("Сообщение отправлено."), MsgKind::Information, MsgButtons::Ok);
      break;
    }
    default:
      break;
  }
}

void SmsSection::mnuSendSMSClick(AppState& app, const ListModel& phoneBook) {
  const int selected = phoneBook.selectedIndex();
  if (phoneBook.rows.empty() || selected < 0) return;
  const ListRow& row = phoneBook.rows[static_cast<std::size_t>(selected)];
  const std::string name = phoneBook.cellText(row, 1);
  const std::string number = phoneBook.cellText(row, 2);
  const int icon = row.subItems.size() > 2 ? row.subItems[2].image : kNoImage;

  TfrmSaveSMS& d = frmSaveSMS;
  d.RadioGroup.itemIndex = 1;
  d.clearRecipients();
  d.cbAbonentsText = name;
  d.cbAbonentsItems.push_back({name, icon, icon, icon, -1});
  d.cbAbonentsItemIndex = 0;
  d.Confirmed = false;
  d.RecipientNames = {name};
  d.RecipientNumbers = {number};
  {
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
    port->RunAtCommand("AT+CSCS=UCS2");
    showDialog();
    if (d.Confirmed) {
      UserInterface& ui = app.ui();
      const std::string reply = port->RunAtCommand(StoreCommand(number, d.Memo1));
      if (!ReplyHasOk(reply)) {
        ui.messageBox(Ru("Невозможно записать сообщение."), MsgKind::Error, MsgButtons::Ok);
      } else {
        port->RunAtCommand("AT+CMSS=" + StoredIndex(reply));
        ui.messageBox(Ru("Сообщение отправлено и записано в \"Иходящие\"."), MsgKind::Information,
                      MsgButtons::Ok);
      }
    }
  }
  d.RadioGroup.itemIndex = 0;
  d.Memo1.clear();
  d.Memo1Change();
  d.clearRecipients();
  d.RecipientNames.clear();
  d.RecipientNumbers.clear();
}

void SmsSection::pmSendSMSClick(AppState& app) {
  UserInterface& ui = app.ui();
  try {
    app.LoadPortSettings();
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
    const int selected = lvSMS.selectedIndex();
    if (selected < 0) throw Exception("no message selected");
    const std::string reply =
        port->RunAtCommand("AT+CMSS=" + lvSMS.rows[static_cast<std::size_t>(selected)].caption);
    if (ReplyHasOk(reply))
      ui.messageBox(Ru("Сообщение отправлено..."), MsgKind::Information, MsgButtons::Ok);
    else
      ui.messageBox(Ru("Сбой отправки..."), MsgKind::Error, MsgButtons::Ok);
  } catch (...) {
    ShowNoRecord(ui);
  }
}

// ---------------------------------------------------------------------------------------
// Deleting, marking, export

void SmsSection::sbDeleteSMSClick(AppState& app) {
  try {
    app.LoadPortSettings();
    const int first = lvSMS.selectedIndex();
    const int s = lvSMS.selectedCount();
    {
      const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
      port->RunAtCommand("AT+CPMS=\"MT\"");
      std::vector<const ListRow*> chosen;
      for (std::size_t k = 0; k < lvSMS.rows.size(); ++k) {
        if (s == 1 ? static_cast<int>(k) == first : lvSMS.rows[k].selected)
          chosen.push_back(&lvSMS.rows[k]);
      }
      if (!KeepInBin(app, keptRows(chosen, "delete"), NothingErased())) return;
      if (s == 1) {
        port->RunAtCommand("AT+CMGD=" + lvSMS.rows[static_cast<std::size_t>(first)].caption);
        forgetIfShown(lvSMS.rows[static_cast<std::size_t>(first)]);
        lvSMS.rows.erase(lvSMS.rows.begin() + first);
        lvSMS.focused = -1;
        ++lvSMS.revision;
        relabelListedFolder();
      } else {
        for (const ListRow& row : lvSMS.rows)
          if (row.selected) port->RunAtCommand("AT+CMGD=" + row.caption);
      }
    }
    if (s > 1) tvSMSClick(app);
  } catch (...) {
    ShowNoRecord(app.ui());
  }
}

void SmsSection::sbSMSDeleteAllClick(AppState& app) {
  if (app.ui().messageBox("Delete all messages?!", MsgKind::Question, MsgButtons::YesNo) !=
      MsgResult::Yes)
    return;
  try {
    StoppableOperation op(app.stop(), app.ui(), Ru("Удаление сообщений…"));
    app.LoadPortSettings();
    if (SetControlsEnabled) SetControlsEnabled(false);
    LeaveBusyOnExit idle(SetControlsEnabled);
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
    std::vector<const ListRow*> all;
    for (const ListRow& row : lvSMS.rows) all.push_back(&row);
    if (!KeepInBin(app, keptRows(all, "delete-all"), NothingErased())) return;
    const std::size_t total = lvSMS.rows.size();
    pbReadSMS.Min = 0;
    pbReadSMS.Max = total > 0 ? static_cast<int>(total) - 1 : 0;
    ResetOnExit bar(pbReadSMS);
    while (!lvSMS.rows.empty()) {
      port->RunAtCommand("AT+CMGD=" + lvSMS.rows.back().caption);
      forgetIfShown(lvSMS.rows.back());
      lvSMS.rows.pop_back();
      ++lvSMS.revision;
      const std::size_t done = total - lvSMS.rows.size();
      pbReadSMS.Position = static_cast<int>(done) - 1;
      pbReadSMS.showFigure(static_cast<long long>(done), static_cast<long long>(total));
      app.ui().processEvents(true);
      if (!lvSMS.rows.empty() && op.stopRequested()) {
        op.stopped(
            StoppedText("удалено", static_cast<long long>(done), static_cast<long long>(total)));
        break;
      }
    }
    lvSMS.focused = -1;
  } catch (...) {
    ShowNoRecord(app.ui());
  }
  // Also after a failure: the rows deleted until then have left the list.
  relabelListedFolder();
}

void SmsSection::pmMarkasReadClick(AppState& app) {
  try {
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
    const int selected = lvSMS.selectedIndex();
    if (selected < 0) throw Exception("no message selected");
    ListRow& row = lvSMS.rows[static_cast<std::size_t>(selected)];
    if (ReplyHasOk(port->RunAtCommand("AT+MMAR=" + row.caption))) {
      SetStatus(row, StatusRead(), kImageRead);
      ++lvSMS.revision;
    }
  } catch (...) {
    ShowNoRecord(app.ui());
  }
}

void SmsSection::sbSMSSaveClick(UserInterface& ui) {
  try {
    const int first = lvSMS.selectedIndex();
    const std::optional<std::string> file = ui.chooseSaveFile(
        "All files (*.*)|*.*|Text File (*.txt)|*.txt|CSV File (*.csv)|*.csv", "*.csv");
    if (file) {
      std::string data;
      if (first >= 0) {
        for (std::size_t i = static_cast<std::size_t>(first); i < lvSMS.rows.size(); ++i)
          if (lvSMS.rows[i].selected) data += ExportRecord(lvSMS.rows[i]);
      }
      std::ofstream out(*file, std::ios::binary | std::ios::trunc);
      if (!out) throw MakeInOutError(errno);
      out << data;
      out.close();
      if (!out) throw MakeInOutError(errno);
    }
    for (ListRow& row : lvSMS.rows) row.selected = false;
    lvSMS.focused = -1;
    ++lvSMS.revision;
  } catch (...) {
    ShowNoRecord(ui);
  }
}

void SmsSection::pmSMSPopup() {
  const int first = lvSMS.selectedIndex();
  const bool some = !lvSMS.rows.empty() && first >= 0;
  pmSMSDelete.enabled = some;
  pmSMSSave.enabled = some;
  pmSendSMS.enabled = some;
  if (some) {
    const ListRow& row = lvSMS.rows[static_cast<std::size_t>(first)];
    pmMarkasRead.enabled =
        row.subItems.size() > kStatus && row.subItems[kStatus].text == StatusUnread();
  }
}

}  // namespace quorvex::sms
