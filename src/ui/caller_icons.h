// The caller icons of the record dialog's icon box, drawn rather than loaded: small faces
// and signs, one per caption of the box.
#pragma once

#include <QIcon>
#include <QSize>

namespace quorvex::ui {

inline constexpr int kCallerIconCount = 15;
inline constexpr QSize kCallerIconSize{24, 18};

// Caller icon 0..14 of the record dialog's icon box (24 x 18); an empty icon otherwise.
QIcon CallerIcon(int index);

}  // namespace quorvex::ui
