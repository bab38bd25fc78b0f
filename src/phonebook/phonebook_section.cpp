#include "phonebook/phonebook_section.h"

#include <algorithm>
#include <optional>

#include "codec/delphi_text.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"

namespace quorvex::phonebook {

using text::IntToStr;
using text::Pos;

namespace {

constexpr int kChunk = 30;

// Runs at the end of the read whatever happens: the port is gone by then (it is declared
// after this), the window leaves its busy state and the progress returns to 0.
class ReadCleanup {
 public:
  ReadCleanup(std::function<void()> leave) : leave_(std::move(leave)) {}
  ~ReadCleanup() { leave_(); }
  ReadCleanup(const ReadCleanup&) = delete;
  ReadCleanup& operator=(const ReadCleanup&) = delete;

 private:
  std::function<void()> leave_;
};

// The number of indices of the whole phone book's range reply; none for a refusal or a count
// no handset has.
std::optional<std::int32_t> IndexCount(const std::string& range) {
  if (!ReplyHasOk(range)) return std::nullopt;
  std::int32_t total = 0, unused1 = 0, unused2 = 0;
  ParseStorageRange(range, total, unused1, unused2);
  total = std::max(total, 0);
  if (total > kMaxPhoneBookIndex) return std::nullopt;
  return total;
}

// The names of the handset's groups; they stay as they were when it refuses the count.
void ReadGroupNames(TBlockSerial& port, std::vector<std::string>& names) {
  const std::string groups = port.RunAtCommand("AT +MPGR=?");
  if (!ReplyHasOk(groups)) return;
  const std::int32_t count = std::max(CutGroupCount(groups), 0);
  names.assign(static_cast<std::size_t>(count), std::string());
  for (std::int32_t n = 1; n <= count; ++n)
    names[n - 1] = CutGroupName(port.RunAtCommand("AT +MPGR=" + IntToStr(n)));
}

// Entries come in order of arrival; each goes to the slot of its index, and every index
// without one becomes a free slot.
std::vector<TAbonentInfo> PlacedByIndex(std::vector<TAbonentInfo> arrived, std::int32_t total) {
  std::vector<TAbonentInfo> sorted(static_cast<std::size_t>(total));
  std::vector<bool> placed(static_cast<std::size_t>(total), false);
  for (TAbonentInfo& record : arrived) {
    if (record.Index < 1 || record.Index > total) continue;
    const auto at = static_cast<std::size_t>(record.Index - 1);
    sorted[at] = std::move(record);
    placed[at] = true;
  }
  for (std::size_t k = 0; k < sorted.size(); ++k)
    if (!placed[k]) sorted[k] = FreeSlot(static_cast<std::int32_t>(k) + 1);
  return sorted;
}

}  // namespace

PhoneBookSection::PhoneBookSection() {
  ListView1.columns = BaseColumns();
  Label9.visible = false;
}

void PhoneBookSection::enterBusy() {
  if (SetControlsEnabled) SetControlsEnabled(false);
}

void PhoneBookSection::leaveBusy() {
  if (SetControlsEnabled) SetControlsEnabled(true);
}

TAbonentInfo* PhoneBookSection::recordAt(std::int64_t index) {
  if (index < 1 || index > static_cast<std::int64_t>(Records.size())) return nullptr;
  return &Records[static_cast<std::size_t>(index - 1)];
}

std::vector<std::string> PhoneBookSection::freeIndices() const {
  std::vector<std::string> items;
  for (std::size_t k = 0; k < Records.size(); ++k)
    if (IsFree(Records[k])) items.push_back(IntToStr(static_cast<std::int64_t>(k) + 1));
  return items;
}

std::vector<bool> PhoneBookSection::takenIndices(std::int64_t except) const {
  std::vector<bool> taken(Records.size());
  for (std::size_t k = 0; k < Records.size(); ++k)
    taken[k] = !IsFree(Records[k]) && static_cast<std::int64_t>(k) + 1 != except;
  return taken;
}

void PhoneBookSection::sbReadAllClick(AppState& app) {
  UserInterface& ui = app.ui();
  StoppableOperation op(app.stop(), ui, Ru("Чтение справочника…"));
  sbAddRecord.enabled = true;
  enterBusy();
  ReadCleanup cleanup([this] {
    leaveBusy();
    pbReadAllRecords.setPosition(0);
    pbReadAllRecords.Figure.clear();
    pbFullRecord.Figure.clear();
    RefreshRowDrawing();
  });
  ContinueFlag = true;
  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(false);

  const std::string model = CutModelName(port->RunAtCommand("AT+CGMM"), ModelCut::AtQuote);
  const Family family = FamilyOf(model);
  Model = model;
  app.handset.sawModel(model);
  if (HasGroups(family)) AddGroupColumns(ListView1);

  port->RunAtCommand("AT +CPBS=ME");
  CutStorageBounds(port->RunAtCommand("AT+MPBR=?"), PhoneFirst, PhoneLast);
  port->RunAtCommand("AT +CPBS=SM");
  CutStorageBounds(port->RunAtCommand("AT+MPBR=?"), SimFirst, SimLast);

  if (!ReplyHasOk(port->RunAtCommand("AT+CPBS=MT"))) {
    ui.messageBox(Ru("Нет доступа а справочнику."), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  const std::optional<std::int32_t> count = IndexCount(port->RunAtCommand("AT+MPBR=?"));
  if (!count) {
    ui.messageBox(Ru("Невозможно получить информацию о записях."), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  const std::int32_t total = *count;

  port->RunAtCommand("AT+CPBS=MT");
  if (!ReplyHasOk(port->RunAtCommand("AT+CSCS=UCS2"))) return;

  if (HasGroups(family)) ReadGroupNames(*port, GroupNames);

  pbReadAllRecords.setRange(0, total);
  pbFullRecord.setRange(0, total);
  int found = 0;
  LastReadComplete = false;
  Records.assign(static_cast<std::size_t>(total), TAbonentInfo{});
  if (RecordsReplaced) RecordsReplaced();
  ListView1.clear();

  for (std::int32_t first = 1; first <= total; first += kChunk) {
    const std::int32_t size = std::min(kChunk, total - first + 1);
    std::string reply = text::Trim(
        port->RunAtCommand("AT+MPBR=" + IntToStr(first) + "," + IntToStr(first + size - 1)));
    if (ReplyHasOk(reply)) {
      text::Delete(reply, static_cast<std::int64_t>(reply.size()) - 1, 2);
      const std::vector<std::string_view> lines = SplitChunkReply(reply, size);
      for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::int32_t slot = first + static_cast<std::int32_t>(k);
        TAbonentInfo& record = Records[static_cast<std::size_t>(slot - 1)];
        record = ParseEntryLine(lines[k], family, SimFirst);
        ListView1.addRow(EntryRow(record, family, model, GroupNames));
        pbReadAllRecords.setPosition(slot - 1);
        pbFullRecord.setPosition(++found);
      }
      // The slots the chunk had no entry for still count as processed.
      if (static_cast<std::int32_t>(lines.size()) < size)
        pbReadAllRecords.setPosition(first + size - 2);
    }
    const std::int32_t done = first + size - 1;
    pbReadAllRecords.showFigure(done, total);
    pbFullRecord.showFigure(found, total);
    ui.processEvents(true);
    if (done < total && op.stopRequested()) {
      op.stopped(StoppedText("прочитано", done, total));
      break;
    }
  }

  Records = PlacedByIndex(std::move(Records), total);
  LastReadComplete = !op.wasStopped();
  pbReadAllRecords.setPosition(0);
}

void PhoneBookSection::SpeedButton3Click() {
  ListView1.clear();
  pbFullRecord.setPosition(0);
  sbAddRecord.enabled = false;
}

void PhoneBookSection::PopupMenu1Popup() {
  const bool onRows = !ListView1.rows.empty() && ListView1.selectedCount() > 0;
  N2.enabled = onRows;
  pmDelete.enabled = onRows;
  pmSaveBook.enabled = onRows;
}

RowDrawing PhoneBookSection::ListView1CustomDrawItem(const ListRow& row) const {
  std::int32_t n = 0;
  try {
    n = text::StrToInt(row.caption);
  } catch (const EConvertError&) {
    return {};
  }
  if (n < 1 || static_cast<std::size_t>(n) > Records.size()) return {};
  if (Records[static_cast<std::size_t>(n - 1)].Attr6 == 1)
    return {kHighlightColor, kHighlightImage};
  return {};
}

void PhoneBookSection::RefreshRowDrawing() {
  for (ListRow& row : ListView1.rows) {
    const RowDrawing d = ListView1CustomDrawItem(row);
    row.textColor = d.color;
    row.image = d.image;
  }
  ++ListView1.revision;
}

}  // namespace quorvex::phonebook
