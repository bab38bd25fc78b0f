#include "ui/look.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

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

}  // namespace quorvex::ui
