// Date book events as records of the bin, and writing them back.
#include <algorithm>
#include <memory>
#include <set>

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "datebook/date_book_section.h"

namespace quorvex::datebook {

BinRecord EventBinRecord(const ReadEvent& event, const std::string& operation) {
  BinRecord b;
  b.section = std::string(kBinDateBook);
  b.operation = operation;
  b.index = event.index;
  b.caption = event.entry.Title;
  b.text = event.entry.StartDate + " " + event.entry.StartTime;
  // The line a read gives for the event, so that the read's own cutter takes it back.
  b.data = {"+MDBR: " + EventFields(event.index, event.titleHex, event.entry)};
  return b;
}

std::optional<ReadEvent> EventFromBin(const BinRecord& b) {
  if (b.section != kBinDateBook || b.data.empty() || b.index < 0) return std::nullopt;
  try {
    ReadEvent e;
    e.index = b.index;
    e.entry = ParseDateBookEntry(b.data[0], &e.titleHex);
    return e;
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

std::vector<BinRestoreResult> DateBookSection::RestoreFromBin(
    AppState& app, const std::vector<BinRecord>& chosen) {
  std::vector<BinRestoreResult> results = PendingRestores(chosen);
  const auto failAll = [&](const std::string& why) { return FailPending(results, why); };
  sbReadAllEventsClick(app);
  if (!LastReadComplete || highestIndex_ < 0) return failAll(Ru("ежедневник не прочитан"));
  std::set<std::int64_t> taken;
  for (const ReadEvent& e : Events) taken.insert(e.index);
  {
    app.LoadPortSettings();
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
    port->RunAtCommand("AT+CSCS=UCS2");
    if (!ReplyHasOk(port->RunAtCommand("AT+MDBL=1")))
      return failAll(Ru("нет доступа к ежедневнику"));
    for (std::size_t k = 0; k < chosen.size(); ++k) {
      std::optional<ReadEvent> event = EventFromBin(chosen[k]);
      if (!event) {
        results[k].where = Ru("запись корзины повреждена");
        continue;
      }
      const auto isFree = [&](std::int64_t i) {
        return i >= 0 && i <= highestIndex_ && taken.count(i) == 0;
      };
      std::int64_t target = isFree(event->index) ? event->index : -1;
      for (std::int64_t i = 0; target < 0 && i <= highestIndex_; ++i)
        if (isFree(i)) target = i;
      if (target < 0) {
        results[k].where = Ru("в ежедневнике нет свободного места");
        continue;
      }
      if (!ReplyHasOk(
              port->RunAtCommand(EventWriteCommand(target, event->titleHex, event->entry)))) {
        results[k].where = Ru("телефон не принял событие");
        continue;
      }
      taken.insert(target);
      results[k].restored = true;
      results[k].where = Ru("под номером ") + text::IntToStr(target);
    }
    port->RunAtCommand("AT+MDBL=0");
  }
  sbReadAllEventsClick(app);
  return results;
}

}  // namespace quorvex::datebook
