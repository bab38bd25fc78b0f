// The window's look: the font the layout rules were measured with, whatever the desktop's,
// and Qt's own texts (dialog buttons, file dialogs, edit menus) in Russian like the rest.
#pragma once

#include <QString>

class QApplication;
class QTranslator;

namespace quorvex::ui {

void ApplyWindowLook(QApplication& app);

// Where Qt's translations are installed.
QString QtTranslationsDirectory();

// Installs Qt's Russian texts from qtbase_ru.qm in `directory`; returns the installed
// translator, owned by the application, or nullptr when the file is missing or unreadable:
// Qt then speaks English, and nothing else changes.
QTranslator* InstallRussianQtTexts(QApplication& app,
                                   const QString& directory = QtTranslationsDirectory());

}  // namespace quorvex::ui
