#include "serial/open_failure.h"

#include <cerrno>

#include "codec/ru.h"

namespace quorvex {

OpenFailure ClassifyOpenFailure(int errnoValue, bool heldHere) {
  switch (errnoValue) {
    case EACCES:
    case EPERM:
      return OpenFailure::Denied;
    case EBUSY:   // TIOCEXCL of another opener
    case EAGAIN:  // the flock of another opener; EWOULDBLOCK is the same number here
      return heldHere ? OpenFailure::HeldHere : OpenFailure::HeldElsewhere;
    default:
      return OpenFailure::Other;
  }
}

std::string OpenFailureHint(OpenFailure failure, const std::string& devicePath) {
  switch (failure) {
    case OpenFailure::Other:
      return {};
    case OpenFailure::Denied:
      return Ru("Нет прав на ") + devicePath +
             Ru(": пользователь не входит в группу dialout.\r\n"
                "Выполните sudo usermod -aG dialout $USER и войдите в систему заново.");
    case OpenFailure::HeldElsewhere:
      return Ru("Порт ") + devicePath +
             Ru(" занят другой программой (часто это ModemManager).\r\n"
                "Кто его держит, покажет fuser -v ") +
             devicePath +
             Ru("; правило udev, которое отучит ModemManager от телефона, - в \"Справка\" -> "
                "\"Помощь\" (info.txt).");
    case OpenFailure::HeldHere:
      return Ru("Порт ") + devicePath +
             Ru(" занят другой операцией этой программы: дождитесь её конца.");
  }
  return {};
}

std::string OpenFailureMessage(const std::string& base, OpenFailure failure,
                               const std::string& devicePath) {
  const std::string hint = OpenFailureHint(failure, devicePath);
  if (hint.empty()) return base;
  return base + "\r\n" + hint;
}

}  // namespace quorvex
