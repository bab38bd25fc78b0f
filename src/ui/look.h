// The window's look: the font the layout rules were measured with, whatever the desktop's.
#pragma once

class QApplication;

namespace quorvex::ui {

void ApplyWindowLook(QApplication& app);

}  // namespace quorvex::ui
