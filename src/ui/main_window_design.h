// What the main window's parts share: the sections in button order, the sunken or raised
// panel frame, and the design sizes of the controls the layout rules move.
#pragma once

#include <QFrame>

#include "app/main_window.h"

namespace quorvex::ui {

inline constexpr Section kSections[] = {Section::Terminal, Section::PhoneInfo, Section::PhoneBook,
                                        Section::DateBook, Section::SMS};

inline QFrame* Panel(QWidget* parent, QFrame::Shadow shadow = QFrame::Raised) {
  auto* f = new QFrame(parent);
  f->setFrameShape(QFrame::Panel);
  f->setFrameShadow(shadow);
  return f;
}

inline constexpr int kButtonHeight = 27;
inline constexpr int kTallButtonHeight = 40;
inline constexpr int kLabelHeight = 18;
inline constexpr int kBarHeight = 16;

}  // namespace quorvex::ui
