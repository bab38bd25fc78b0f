#include "ui/look.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

namespace quorvex::ui {

void ApplyWindowLook(QApplication& app) {
  // The sections are laid out in fixed pixels at the window's smallest size; a desktop font of
  // 11 points would cut their captions. DejaVu Sans has every Cyrillic glyph the window shows.
  QFont font = app.font();
  if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")))
    font.setFamily(QStringLiteral("DejaVu Sans"));
  font.setPointSize(8);
  app.setFont(font);
  app.setStyle(QStringLiteral("Fusion"));
}

QString QtTranslationsDirectory() {
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

QTranslator* InstallRussianQtTexts(QApplication& app, const QString& directory) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_ru"), directory) ||
      !QApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace quorvex::ui
