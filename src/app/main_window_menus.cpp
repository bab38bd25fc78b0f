// The main window's menus: the main menu and the three lists' popups, each item bound to its
// handler by name. The items a section enables are the section's own models.
#include "app/main_window.h"

#include "codec/ru.h"

namespace quorvex {

MenuItem TfrmMain::item(const char* name, std::string_view caption, const char* handler) {
  return sectionItem(ownItems_[name], name, caption, handler);
}

MenuItem TfrmMain::sectionItem(Label& state, const char* name, std::string_view caption,
                               const char* handler) {
  state.caption = Ru(caption);
  return MenuItem{name, handler, &state, {}};
}

MenuItem TfrmMain::separator(const char* name) {
  Label& state = ownItems_[name];
  state.caption.assign(1, '-');
  return MenuItem{name, "", &state, {}};
}

MenuItem TfrmMain::submenu(const char* name, std::string_view caption,
                           std::vector<MenuItem> items) {
  MenuItem m = item(name, caption, "");
  m.items = std::move(items);
  return m;
}

void TfrmMain::buildMenus() {
  Menu main{"MainMenu1", "", "", {}};
  main.items = {
      submenu(
          "N1", "Файл",
          {item("mnuBackUp", "BackUp", "mnuBackUpClick"),
           item("mnuRestore", "Restore", "mnuRestoreClick"),
           item("mnuVCardExport30", "Экспорт справочника в vCard 3.0...", "mnuVCardExport30Click"),
           item("mnuVCardExport21", "Экспорт справочника в vCard 2.1...", "mnuVCardExport21Click"),
           item("mnuVCardImport", "Импорт справочника из vCard...", "mnuVCardImportClick"),
           separator("mnuFileDateBook"),
           item("mnuICalExport", "Экспорт ежедневника в iCalendar...", "mnuICalExportClick"),
           item("mnuICalImport", "Импорт ежедневника из iCalendar...", "mnuICalImportClick"),
           separator("mnuFileSMS"), item("mnuSaveSMS", "Сохранить SMS", "mnuSaveSMSClick"),
           item("mnuSMSExportCsv", "Экспорт SMS в CSV...", "mnuSMSExportCsvClick"),
           item("mnuSMSExportMbox", "Экспорт SMS в mbox...", "mnuSMSExportMboxClick"),
           separator("mnuFileBackup"),
           item("mnuPhoneBackup", "Резервная копия телефона...", "mnuPhoneBackupClick"),
           item("mnuRestoreBackup", "Восстановить из копии...", "mnuRestoreBackupClick"),
           separator("mnuFileBin"), item("mnuBin", "Корзина...", "mnuBinClick"), separator("N11"),
           item("mnuExit", "Выход", "mnuExitClick")}),
      submenu("mnuPhoneBook", "Справочник",
              {item("N6", "Добавить", "N6Click"), item("N7", "Удалить", "N7Click"),
               item("N9", "Редактировать", "N9Click"), separator("N12"),
               item("N4", "Прочитать все", "N4Click"), item("N10", "Записать все", "N10Click")}),
      submenu("mnuDateBook", "Ежедневник",
              {item("N14", "Прочитать", "N14Click"), item("N15", "Добавить", "N15Click"),
               item("N17", "Редактировать", "N17Click"), item("N16", "Удалить", "N16Click")}),
      submenu("mnuSMS", "SMS",
              {sectionItem(this->messages.N18, "N18", "Прочитать", "N18Click"),
               sectionItem(this->messages.N19, "N19", "Новое", "N19Click"),
               sectionItem(this->messages.N20, "N20", "Удалить", "N20Click"),
               sectionItem(this->messages.N22, "N22", "Удалить все", "N22Click")}),
      submenu("mnuParameters", "Параметры",
              {item("mnuFont", "Шрифт терминала", "mnuFontClick"),
               item("mnuPortConfig", "Конфигурация порта", "mnuPortConfigClick"),
               item("mnuOption", "Настройка", "mnuOptionClick")}),
      submenu("mnuSpravka", "Справка",
              {item("mnuHelp2", "Помощь", "mnuHelp2Click"),
               item("mnuAbout", "О программе", "mnuAboutClick")}),
  };

  Menu phoneBook{"PopupMenu1", "ListView1", "PopupMenu1Popup", {}};
  phoneBook.items = {sectionItem(this->phoneBook.N2, "N2", "Редактировать", "N2Click"),
                     sectionItem(this->phoneBook.pmDelete, "pmDelete", "Удалить", "pmDeleteClick"),
                     item("mnuSendSMS", "Отправить сообщение", "mnuSendSMSClick"),
                     item("pmRefresh", "Обновить список", "pmRefreshClick"),
                     item("N5", "Добавить", "N5Click"),
                     separator("N8"),
                     sectionItem(this->phoneBook.pmSaveBook, "pmSaveBook",
                                 "Сохранить телефонную книгу", "pmSaveBookClick"),
                     item("pmLoadRecord", "Загрузить телефонную книгу", "pmLoadRecordClick")};

  Menu events{"pmEvent", "lvEvent", "pmEventPopup", {}};
  events.items = {sectionItem(this->dateBook.ppmReadAllEvents, "ppmReadAllEvents", "Прочитать все",
                              "ppmReadAllEventsClick"),
                  sectionItem(this->dateBook.ppmAddEvent, "ppmAddEvent", "Добавить событие",
                              "ppmAddEventClick"),
                  sectionItem(this->dateBook.ppmEditEvent, "ppmEditEvent", "Редактировать",
                              "ppmEditEventClick"),
                  sectionItem(this->dateBook.ppmDelete, "ppmDelete", "Удалить", "ppmDeleteClick"),
                  sectionItem(this->dateBook.ppmClear, "ppmClear", "Очистить", "ppmClearClick")};

  Menu messages{"pmSMS", "lvSMS", "pmSMSPopup", {}};
  messages.items = {
      sectionItem(this->messages.pmSMSRead, "pmSMSRead", "Прочитать", "pmSMSReadClick"),
      sectionItem(this->messages.pmSMSDelete, "pmSMSDelete", "Удалить", "pmSMSDeleteClick"),
      sectionItem(this->messages.pmSMSNew, "pmSMSNew", "Новое", "pmSMSNewClick"),
      sectionItem(this->messages.pmSMSSave, "pmSMSSave", "Сохранить", "pmSMSSaveClick"),
      sectionItem(this->messages.pmSendSMS, "pmSendSMS", "Отправить", "pmSendSMSClick"),
      sectionItem(this->messages.pmSMSClear, "pmSMSClear", "Очистить", "pmSMSClearClick"),
      sectionItem(this->messages.pmMarkasRead, "pmMarkasRead", "Mark as Read",
                  "pmMarkasReadClick")};

  menus_ = {std::move(main), std::move(phoneBook), std::move(events), std::move(messages)};
}

}  // namespace quorvex
