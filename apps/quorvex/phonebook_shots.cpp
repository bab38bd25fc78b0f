#include "phonebook_shots.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <cstdio>
#include <fstream>
#include <string>

#include "serial/port_settings.h"
#include "sim/phone_sim.h"

namespace quorvex::ui {
namespace {

void Grab(QWidget& w, const QString& dir, const QString& name) {
  QApplication::processEvents();
  const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
  if (!w.grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

}  // namespace

void SavePhoneBookShots(TfrmMain& model, MainWindowView& window, QtUserInterface& ui,
                        PhoneBookView& phoneBook, const QString& dir) {
  const PortSettings before = model.app.settings();
  for (const char* handset : {"T720", "C350", "C450"}) {
    sim::SimOptions options;
    options.model = handset;
    sim::PhoneSim phone(options);
    phone.start();
    SavePortSettings({phone.slavePath(), 115200, 3000});
    model.app.LoadPortSettings();
    model.click("sbPhoneBook");
    model.click("sbReadAll");
    auto& list = model.ListView1;
    if (list.rows.size() > 1) list.selectOnly(1);
    window.sync();
    const QString family = QString::fromLatin1(handset).toLower();
    Grab(window, dir, QStringLiteral("phone-book-") + family);

    // The record dialog as "Добавить" prepares it, with an entry being typed.
    ui.scriptDialog = [&](ModalDialog&) {
      AddRecordDialog& d = *phoneBook.addRecordDialog();
      d.sync();
      d.show();
      d.phoneNumber()->setText(QStringLiteral("+79161234567"));
      d.abonentName()->setText(QStringLiteral("Пётр Иванов"));
      Grab(d, dir, QStringLiteral("record-dialog-") + family);
      d.hide();
    };
    model.click("sbAddRecord");
    ui.scriptDialog = nullptr;
    phone.stop();
  }
  SavePortSettings(before);
  model.app.LoadPortSettings();
}

void SaveFileMenuShots(TfrmMain& model, MainWindowView& window, QtUserInterface& ui,
                       PhoneBookView& phoneBook, const QString& dir) {
  model.click("sbPhoneBook");
  model.click("sbReadAll");
  window.sync();

  // The menu is a window of its own: drawn onto the window's picture where it opens.
  if (QAction* file = window.action("N1"); file != nullptr && file->menu() != nullptr) {
    QMenu* menu = file->menu();
    const QRect title = window.menuBar()->actionGeometry(file);
    const QPoint at = window.menuBar()->mapTo(&window, title.bottomLeft());
    menu->popup(window.mapToGlobal(at));
    QApplication::processEvents();
    QPixmap shot = window.grab();
    const QPixmap popup = menu->grab();
    {
      QPainter painter(&shot);
      painter.drawPixmap(at, popup);
    }
    menu->hide();
    const QString name = dir + QStringLiteral("/file-menu.png");
    if (!shot.save(name)) std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
  }

  const std::string vcf = "import-preview.vcf";
  std::ofstream(vcf, std::ios::binary)
      << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Светлана Кузнецова\r\n"
         "TEL;TYPE=CELL:+79165550101\r\nTEL;TYPE=WORK:+74955550102\r\n"
         "CATEGORIES:Друзья\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Иван Петров\r\nTEL;TYPE=CELL:+79161234501\r\n"
         "END:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:Константинопольский;Александр\r\n"
         "TEL;HOME:+7 (495) 555-01-03\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zoë Müller 😀\r\nTEL;TYPE=CELL:+491705550104\r\n"
         "END:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Светлана Кузнецова\r\n"
         "TEL;TYPE=CELL:+79165550101\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Без номера\r\nEMAIL:\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Офис\r\nEMAIL:office@example.ru\r\n"
         "END:VCARD\r\n";
  ui.files.push_back(vcf);
  ui.scriptDialog = [&](ModalDialog&) {
    VCardImportDialog& d = *phoneBook.importDialog();
    d.sync();
    d.show();
    Grab(d, dir, QStringLiteral("vcard-import-preview"));
    d.cancelButton()->click();
    d.hide();
  };
  model.clickMenu("mnuVCardImport");
  ui.scriptDialog = nullptr;
}

}  // namespace quorvex::ui
