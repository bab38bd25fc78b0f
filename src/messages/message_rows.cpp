#include "messages/message_rows.h"

#include "codec/delphi_text.h"
#include "codec/ru.h"

namespace quorvex::sms {

std::string KindIncoming() {
  return Ru("входящее");
}
std::string KindOutgoing() {
  return Ru("исходящее");
}
std::string KindDraft() {
  return Ru("черновик");
}
std::string KindArchive() {
  return Ru("архив");
}
std::string StatusRead() {
  return Ru("прочитано");
}
std::string StatusUnread() {
  return Ru("не прочитано");
}
std::string StatusSent() {
  return Ru("отправлено");
}
std::string StatusUnsent() {
  return Ru("не отправлено");
}
std::string StatusArchived() {
  return Ru("сохранено");
}

ListModel MakeMessageList() {
  using A = ListColumn::Align;
  ListModel list;
  list.columns = {
      {"#", 1, A::Left, kNoImage},
      {Ru("Номер"), 100, A::Left, kNoImage},
      {Ru("Дата/Время"), 120, A::Center, kNoImage},
      {Ru("Тип"), 85, A::Center, kNoImage},
      {Ru("Размер"), 60, A::Center, kNoImage},
      {Ru("Статус"), 90, A::Center, kNoImage},
      {Ru("Тема"), 300, A::Left, kNoImage},
  };
  return list;
}

void AddSubItem(ListRow& row, std::string text, int image) {
  row.subItems.push_back(ListCell{std::move(text), image});
  if (row.subItems.size() == kStatus + 1) row.bold = row.subItems[kStatus].text == StatusUnread();
}

void SetStatus(ListRow& row, std::string text, int image) {
  if (row.subItems.size() <= kStatus) row.subItems.resize(kStatus + 1);
  row.subItems[kStatus] = ListCell{std::move(text), image};
  row.bold = row.subItems[kStatus].text == StatusUnread();
}

void AddArchiveRow(ListModel& list, const ArchiveRecord& record) {
  ListRow& row = list.add("");
  AddSubItem(row, record.number);
  AddSubItem(row, record.dateTime);
  AddSubItem(row, KindArchive());
  AddSubItem(row, text::IntToStr(static_cast<std::int64_t>(record.text.size())));
  AddSubItem(row, StatusArchived());
  AddSubItem(row, record.text);
}

}  // namespace quorvex::sms
