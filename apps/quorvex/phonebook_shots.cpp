#include "phonebook_shots.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>
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

}  // namespace quorvex::ui
