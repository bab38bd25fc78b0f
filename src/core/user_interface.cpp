#include "core/user_interface.h"

#include <exception>
#include <new>

namespace quorvex {

bool RunHandler(UserInterface& ui, const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const std::bad_alloc&) {
    ui.showStandardError("Out of memory");
  } catch (const std::exception& e) {
    ui.showStandardError(e.what());
  }
  return false;
}

void ShowModal(UserInterface& ui, ModalDialog& dialog) {
  ui.showModal(dialog);
  if (!dialog.closed()) dialog.closeByFrame();
}

}  // namespace quorvex
