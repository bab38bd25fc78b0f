#include "core/file_export.h"

#include "codec/delphi_text.h"
#include "codec/ru.h"

namespace quorvex {

std::optional<ExportResult> RefuseExport(UserInterface& ui, bool lastReadComplete, bool empty,
                                         const std::string& what) {
  ExportResult r;
  if (!lastReadComplete) {
    ui.showStandardError("Nothing exported: the " + what + " read did not complete");
    r.outcome = ExportResult::Outcome::ReadIncomplete;
    return r;
  }
  if (empty) {
    ui.messageBox(Ru("Список пуст, сохранять нечего !"), MsgKind::Information, MsgButtons::Ok);
    r.outcome = ExportResult::Outcome::NothingToExport;
    return r;
  }
  return std::nullopt;
}

std::string LeftOutList(const ExportResult& r) {
  std::string out;
  for (const std::int64_t index : r.leftOut)
    out += (out.empty() ? "" : ", ") + text::IntToStr(index);
  return out;
}

std::time_t LocalTimeToTime(const LocalTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

}  // namespace quorvex
