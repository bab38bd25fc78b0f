// The program's small pictures, drawn rather than shipped: the shared list of 40 list and
// tree images (by index, as the lists use them), the section buttons' glyphs and the about
// box's handset.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace quorvex::ui {

inline constexpr int kTypeImageCount = 40;

// Image n of the shared 16 x 16 list; an empty icon for an index outside 0..39.
QIcon TypeImage(int index);

// Glyph of the section button 0..4 (terminal, information, phone book, date book, messages).
QIcon SectionGlyph(int section);

// The about box's picture, 120 x 160.
QPixmap AboutPicture();

}  // namespace quorvex::ui
