#include "backup/whole_phone_read.h"

#include "codec/ru.h"
#include "datebook/date_book_section.h"
#include "messages/message_rows.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_bin.h"
#include "phonebook/phonebook_section.h"

namespace quorvex {

namespace {

constexpr const char* kOperation = "backup";

struct FolderPart {
  BackupPart part;
  const char* filter;
};
constexpr FolderPart kFolders[] = {{BackupPart::Inbox, sms::kFilterIncoming},
                                   {BackupPart::Outbox, sms::kFilterUnsent},
                                   {BackupPart::Sent, sms::kFilterSent},
                                   {BackupPart::Drafts, sms::kFilterDrafts}};

}  // namespace

std::string BackupPartName(BackupPart part) {
  switch (part) {
    case BackupPart::PhoneBook:
      return Ru("справочник");
    case BackupPart::DateBook:
      return Ru("ежедневник");
    case BackupPart::Inbox:
      return Ru("входящие");
    case BackupPart::Outbox:
      return Ru("исходящие");
    case BackupPart::Sent:
      return Ru("отправленные");
    case BackupPart::Drafts:
      return Ru("черновики");
  }
  return {};
}

PhoneBackup ReadWholePhone(AppState& app, WholePhoneSections sections,
                           WholeReadProgress& progress) {
  UserInterface& ui = app.ui();
  StoppableOperation op(app.stop(), ui, Ru("Резервная копия телефона…"));
  progress.complete = false;
  progress.stopped = false;
  progress.bar.setRange(0, kBackupParts);
  progress.bar.setPosition(0);
  struct Idle {
    WholeReadProgress& p;
    ~Idle() {
      p.part.clear();
      p.bar.setPosition(0);
      p.bar.Figure.clear();
    }
  } idle{progress};

  PhoneBackup backup;
  backup.time = BinTimeText(ui.now());
  int begun = 0;
  // Whether the part that just ran read whole, else where and why the read ends.
  const auto ended = [&](BackupPart part, bool whole) {
    if (whole && !op.stopRequested()) return false;
    progress.endedAt = part;
    progress.stopped = op.stopRequested();
    // A part's read that stopped has said how far it got; a stop between two parts says it
    // here.
    if (whole) op.stopped(StoppedText("прочитано", begun, kBackupParts));
    return true;
  };
  const auto begin = [&](BackupPart part) {
    progress.part = BackupPartName(part);
    progress.bar.setPosition(begun);
    progress.bar.showFigure(++begun, kBackupParts);
    ui.processEvents(true);
  };

  phonebook::PhoneBookSection& book = sections.phoneBook;
  begin(BackupPart::PhoneBook);
  // The read leaves the flag alone when the handset refuses it before the first entry.
  book.LastReadComplete = false;
  book.sbReadAllClick(app);
  if (ended(BackupPart::PhoneBook, book.LastReadComplete)) return backup;
  backup.model = book.Model;
  const phonebook::Family family = phonebook::FamilyOf(book.Model);
  for (const phonebook::TAbonentInfo& r : book.Records)
    if (r.Index != 0 && !phonebook::IsFree(r))
      backup.records.push_back(phonebook::EntryBinRecord(r, family, kOperation));

  datebook::DateBookSection& dates = sections.dateBook;
  begin(BackupPart::DateBook);
  dates.sbReadAllEventsClick(app);
  if (ended(BackupPart::DateBook, dates.LastReadComplete)) return backup;
  for (const datebook::ReadEvent& e : dates.Events)
    backup.records.push_back(datebook::EventBinRecord(e, kOperation));

  sms::SmsSection& messages = sections.messages;
  for (const FolderPart& folder : kFolders) {
    begin(folder.part);
    messages.ReadMessageFolder(app, folder.filter);
    if (ended(folder.part, messages.LastReadComplete)) return backup;
    for (const sms::HeldMessage& m : messages.Held)
      backup.records.push_back(sms::MessageBinRecord(m, kOperation));
  }

  // The IMEI the program knows belongs to the model the phone book read just named.
  backup.imei = app.handset.model == backup.model ? app.handset.imei : std::string();
  std::int64_t id = 0;
  for (BinRecord& r : backup.records) {
    r.id = ++id;
    r.time = backup.time;
    r.model = backup.model;
    r.imei = backup.imei;
  }
  progress.bar.setPosition(kBackupParts);
  progress.complete = true;
  return backup;
}

}  // namespace quorvex
