#include "backup/restore_texts.h"

#include "codec/ru.h"
#include "core/bin_file.h"

namespace quorvex::backup::texts {

std::vector<std::string> ColumnCaptions() {
  return {Ru("Раздел"), Ru("Память"), "#", Ru("Запись"), Ru("Состояние"), Ru("Действие")};
}

std::string SectionName(const std::string& section) {
  if (section == kBinPhoneBook) return Ru("Справочник");
  if (section == kBinDateBook) return Ru("Ежедневник");
  if (section == kBinMessages) return Ru("Сообщения");
  return section;
}

std::string MemoryName(const std::string& memory) {
  if (memory == "ME") return Ru("телефон");
  if (memory == "SM") return "SIM";
  if (memory == "IM") return Ru("Входящие");
  if (memory == "OM") return Ru("Исходящие");
  if (memory == "DM") return Ru("Черновики");
  return memory;
}

std::string StateSame() {
  return Ru("совпадает");
}
std::string StateChanged() {
  return Ru("изменена");
}
std::string StateMissing() {
  return Ru("нет в телефоне");
}
std::string StateOnlyOnHandset() {
  return Ru("только в телефоне");
}
std::string ActionNone() {
  return "-";
}
std::string ActionWrite() {
  return Ru("записать");
}
std::string ActionOverwrite() {
  return Ru("заменить (прежняя - в корзину)");
}
std::string ActionErase() {
  return Ru("удалить из телефона (в корзину)");
}
std::string ActionSkip() {
  return Ru("не записывать");
}
std::string ActionKeep() {
  return Ru("оставить");
}
std::string ActionCannot() {
  return Ru("не восстанавливается");
}

std::string NoteIncoming() {
  return Ru("входящее сообщение в телефон не вернуть");
}
std::string NoteDamaged() {
  return Ru("запись копии не читается");
}
std::string NoteNoMemory(const std::string& memory) {
  return memory == "SM" ? Ru("в телефоне нет SIM-карты") : Ru("в телефоне нет памяти для записей");
}
std::string NoteNoWriteForModel(const std::string& model) {
  return Ru("запись в справочник для модели \"") + model + Ru("\" не поддерживается");
}
std::string NoteNoGroup(int group) {
  return Ru("группы ") + std::to_string(group) + Ru(" в телефоне нет: запишется без группы");
}
std::string NoteNoGroups(int group) {
  return Ru("телефон не знает групп: группа ") + std::to_string(group) + Ru(" не запишется");
}
std::string NoteNameCut(std::size_t chars) {
  return Ru("имя длиннее ") + std::to_string(chars) + Ru(" знаков: запишутся первые ") +
         std::to_string(chars);
}
std::string NoteTitleCut(std::size_t chars) {
  return Ru("заголовок длиннее ") + std::to_string(chars) + Ru(" знаков: запишутся первые ") +
         std::to_string(chars);
}
std::string NoteRepeat(const std::string& code) {
  return Ru("повтор с кодом \"") + code + Ru("\" телефон не хранит");
}
std::string NoteNoDateBook() {
  return Ru("ежедневник телефона не прочитан");
}

std::string Summary(const std::string& model, const std::string& imei, const std::string& time,
                    int same, int changed, int missing, int onlyOnHandset, int chosen) {
  std::string who = model.empty() ? Ru("модель неизвестна") : model;
  if (!imei.empty()) who += ", IMEI " + imei;
  if (!time.empty()) who += ", " + time;
  return Ru("Копия: ") + who + Ru(". Совпадают: ") + std::to_string(same) + Ru(", изменены: ") +
         std::to_string(changed) + Ru(", нет в телефоне: ") + std::to_string(missing) +
         Ru(", только в телефоне: ") + std::to_string(onlyOnHandset) + Ru(". Выбрано: ") +
         std::to_string(chosen) + ".";
}

std::string OtherModel(const std::string& backupModel, const std::string& handsetModel) {
  return Ru("Копия снята с ") + backupModel + Ru(", телефон - ") + handsetModel +
         Ru(": чего он не хранит, указано в строках.");
}

std::string DialogCaption() {
  return Ru("Восстановление из копии");
}
std::string WriteButton() {
  return Ru("Записать");
}
std::string CancelButton() {
  return Ru("Отмена");
}
std::string Activity() {
  return Ru("Восстановление из копии…");
}
std::string NothingToWrite() {
  return Ru("Ничего не выбрано: в телефон ничего не записано.");
}
std::string WrittenAll(int done, int total) {
  return Ru("Записано ") + std::to_string(done) + Ru(" из ") + std::to_string(total) + ".";
}
std::string RefusedAt(int done, int total, const std::string& what) {
  return Ru("Записано ") + std::to_string(done) + Ru(" из ") + std::to_string(total) +
         Ru("; телефон не принял: ") + what + Ru(". Остальное не записано.");
}
std::string NoAccess(const std::string& section) {
  return Ru("нет доступа к разделу \"") + SectionName(section) + "\"";
}
std::string NoRoom(const std::string& memory) {
  return Ru("нет свободного места (") + MemoryName(memory) + ")";
}
std::string NothingWritten() {
  return Ru("Ничего не записано.");
}
std::string NotReadWhole() {
  return Ru("Телефон прочитан не полностью: восстановление отменено, ничего не записано.");
}
std::string BackupUnreadable(const std::string& why) {
  return Ru("Копию не прочитать: ") + why + ".";
}
std::string AskWrite(const std::string& summary) {
  return summary + "\r\n" + Ru("Записать выбранное в телефон?");
}

}  // namespace quorvex::backup::texts
