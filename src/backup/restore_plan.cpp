#include "backup/restore_plan.h"

#include <algorithm>

#include "backup/restore_texts.h"
#include "codec/ucs2.h"
#include "phonebook/phonebook_bin.h"

namespace quorvex::backup {

using phonebook::Family;
using phonebook::TAbonentInfo;

namespace {

std::vector<BinRecord> OfSection(const PhoneBackup& b, std::string_view section) {
  std::vector<BinRecord> out;
  for (const BinRecord& r : b.records)
    if (r.section == section) out.push_back(r);
  return out;
}

// A caption on one line, short enough for a list cell.
std::string OneLine(std::string text, std::size_t most = 40) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  if (text.size() > most) text = text.substr(0, most) + "...";
  return text;
}

std::string Joined(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + ", " + b;
}

// One side of a comparison: an entry with the key its content compares by.
struct Side {
  std::size_t item = 0;  // position in its list
  std::string memory;
  std::int64_t index = -1;
  std::string key;
  std::string titleStart;  // date book: the second way to find a changed event
  bool matched = false;
};

// Pairs backup entries with handset entries: equal keys at the same index, then equal keys
// anywhere in the same memory. `pair` is called for every pair made.
template <class Pair>
void MatchSame(std::vector<Side>& backup, std::vector<Side>& handset, Pair pair) {
  for (int pass = 0; pass < 2; ++pass) {
    for (Side& b : backup) {
      if (b.matched || b.key.empty()) continue;
      for (Side& h : handset) {
        if (h.matched || h.memory != b.memory || h.key != b.key) continue;
        if (pass == 0 && h.index != b.index) continue;
        b.matched = h.matched = true;
        pair(b, h);
        break;
      }
    }
  }
}

// Pairs what is left at the same index of the same memory.
template <class Pair>
void MatchIndex(std::vector<Side>& backup, std::vector<Side>& handset, Pair pair) {
  for (Side& b : backup) {
    if (b.matched || b.key.empty()) continue;
    for (Side& h : handset) {
      if (h.matched || h.memory != b.memory || h.index != b.index) continue;
      b.matched = h.matched = true;
      pair(b, h);
      break;
    }
  }
}

bool HasGroupsNamed(const BinRecord& r) {
  return r.data.size() >= 1 && r.data[0] != "classic";
}

// The name's characters are four hex digits each, as the handset takes them.
std::size_t NameChars(const TAbonentInfo& e) {
  return phonebook::NameHexFor(e).size() / 4;
}

// The entry of the backup as the handset will keep it, with what it cannot keep named.
TAbonentInfo ForHandset(TAbonentInfo e, bool fromGrouped, const HandsetShape& shape,
                        std::vector<std::string>& notes) {
  const Family family = shape.family();
  if (NameChars(e) > kMaxNameChars) {
    const std::string hex = phonebook::NameHexFor(e).substr(0, kMaxNameChars * 4);
    e.Name = Ucs2HexToText(hex);
    e.NameHex = hex;
    notes.push_back(texts::NoteNameCut(kMaxNameChars));
  }
  if (e.OnSim) return e;
  if (phonebook::HasGroups(family)) {
    if (!fromGrouped) {
      // What the handset gives an entry written without a group or an icon.
      e.Category = 0;
      e.IconId = phonebook::kNoIcon;
      e.Attr12 = 255;
      e.IconText.clear();
    } else if (e.Category > shape.groupCount) {
      notes.push_back(texts::NoteNoGroup(e.Category));
      e.Category = 0;
    }
  } else if (fromGrouped && e.Category != 0) {
    notes.push_back(texts::NoteNoGroups(e.Category));
    e.Category = 0;
  }
  return e;
}

// What the handset keeps of an entry, without its index: the SIM keeps a number and a name.
std::string EntryKey(TAbonentInfo e, Family family) {
  if (e.OnSim) {
    return e.Number + '\t' + std::to_string(e.NumberFormat) + '\t' + phonebook::NameHexFor(e);
  }
  e.Index = 0;
  return phonebook::EntryLine(e, family);
}

bool MemoryPresent(const HandsetShape& s, bool sim) {
  const std::int32_t first = sim ? s.simFirst : std::max(s.phoneFirst, 1);
  const std::int32_t last = sim ? s.simLast : s.phoneLast;
  return first > 0 && last >= first;
}

std::string EntryCaption(const TAbonentInfo& e) {
  return OneLine(Joined(e.Name, e.Number));
}

std::string EventCaption(const datebook::ReadEvent& e) {
  return OneLine(Joined(e.entry.Title, e.entry.StartDate + " " + e.entry.StartTime));
}

std::string MessageCaption(const BinRecord& r) {
  return OneLine(Joined(r.caption, r.text));
}

std::string EventKey(const datebook::ReadEvent& e) {
  return datebook::EventFields(0, e.titleHex, e.entry);
}

bool RepeatKept(const std::string& code) {
  return code.size() == 1 && code[0] >= '0' && code[0] <= '5';
}

// What a pair found by a match makes of the backup's row: its state and action, and the
// handset's record it stands against.
auto Paired(std::vector<RestoreRow>& rows, const std::vector<BinRecord>& held, EntryState state,
            RestoreAction action) {
  return [&rows, &held, state, action](const Side& x, const Side& y) {
    rows[x.item].state = state;
    rows[x.item].action = action;
    rows[x.item].onHandset = held[y.item];
  };
}

// A backup record that does not read as its section's entry: shown, never written.
RestoreRow DamagedRow(const BinRecord& r, std::string caption) {
  RestoreRow row;
  row.section = r.section;
  row.memory = r.memory;
  row.index = r.index;
  row.caption = std::move(caption);
  row.state = EntryState::Missing;
  row.notes.push_back(texts::NoteDamaged());
  return row;
}

// The backup's rows of a section, then a row for every handset entry none of them matched.
template <class CaptionOf>
void AppendSection(std::vector<RestoreRow>& out, std::vector<RestoreRow>& rows,
                   const std::vector<Side>& handset, const std::vector<BinRecord>& held,
                   std::string_view section, RestoreAction erase, CaptionOf captionOf) {
  for (RestoreRow& row : rows) out.push_back(std::move(row));
  for (const Side& y : handset) {
    if (y.matched) continue;
    RestoreRow row;
    row.section = std::string(section);
    row.memory = y.memory;
    row.index = y.index;
    row.caption = captionOf(y.item);
    row.state = EntryState::OnlyOnHandset;
    row.action = erase;
    row.onHandset = held[y.item];
    out.push_back(std::move(row));
  }
}

// The backup's entries no pair was found for are missing and to be written; a row to write
// that the handset cannot take is not, and says why (whyNot: empty when it can).
template <class WhyNot>
void MarkWrites(std::vector<RestoreRow>& rows, const std::vector<Side>& backup, WhyNot whyNot) {
  for (const Side& x : backup) {
    RestoreRow& row = rows[x.item];
    if (!x.matched) {
      row.state = EntryState::Missing;
      row.action = RestoreAction::Write;
    }
    if (row.action == RestoreAction::None) continue;
    std::string why = whyNot(row);
    if (why.empty()) continue;
    row.action = RestoreAction::None;
    row.notes.push_back(std::move(why));
  }
}

Side EventSide(std::size_t item, const datebook::ReadEvent& e) {
  return {item,
          {},
          e.index,
          EventKey(e),
          e.entry.Title + '\t' + e.entry.StartDate + '\t' + e.entry.StartTime,
          false};
}

}  // namespace

RestorePlan::RestorePlan(const PhoneBackup& backup, const PhoneBackup& handset,
                         const HandsetShape& shape)
    : shape_(shape),
      backupModel_(backup.model),
      backupImei_(backup.imei),
      backupTime_(backup.time) {
  comparePhoneBook(OfSection(backup, kBinPhoneBook), OfSection(handset, kBinPhoneBook));
  compareDateBook(OfSection(backup, kBinDateBook), OfSection(handset, kBinDateBook));
  compareMessages(OfSection(backup, kBinMessages), OfSection(handset, kBinMessages));
  for (RestoreRow& r : rows_) {
    r.choosable = r.action != RestoreAction::None;
    r.chosen = r.action == RestoreAction::Write || r.action == RestoreAction::Overwrite;
  }
}

void RestorePlan::comparePhoneBook(const std::vector<BinRecord>& backup,
                                   const std::vector<BinRecord>& handset) {
  const Family family = shape_.family();
  std::vector<TAbonentInfo> ours, theirs;
  std::vector<std::vector<std::string>> notes;
  std::vector<Side> b, h;
  std::vector<RestoreRow> rows;
  for (const BinRecord& r : backup) {
    std::optional<TAbonentInfo> e = phonebook::EntryFromBin(r);
    if (!e) {
      rows_.push_back(DamagedRow(r, OneLine(Joined(r.caption, r.text))));
      continue;
    }
    RestoreRow row;
    row.section = r.section;
    row.memory = r.memory;
    row.index = r.index;
    row.caption = EntryCaption(*e);
    row.entry = ForHandset(*e, HasGroupsNamed(r), shape_, row.notes);
    b.push_back({rows.size(), r.memory, e->Index, EntryKey(*row.entry, family), {}, false});
    rows.push_back(std::move(row));
  }
  std::vector<BinRecord> held;
  for (const BinRecord& r : handset) {
    std::optional<TAbonentInfo> e = phonebook::EntryFromBin(r);
    if (!e) continue;
    h.push_back({held.size(), r.memory, e->Index, EntryKey(*e, family), {}, false});
    held.push_back(r);
  }
  MatchSame(b, h, Paired(rows, held, EntryState::Same, RestoreAction::None));
  MatchIndex(b, h, Paired(rows, held, EntryState::Changed, RestoreAction::Overwrite));
  MarkWrites(rows, b, [&](const RestoreRow& row) {
    if (family == Family::None) return texts::NoteNoWriteForModel(shape_.model);
    if (!MemoryPresent(shape_, row.memory == "SM")) return texts::NoteNoMemory(row.memory);
    return std::string();
  });
  AppendSection(rows_, rows, h, held, kBinPhoneBook,
                family == Family::None ? RestoreAction::None : RestoreAction::Erase,
                [&](std::size_t k) { return EntryCaption(*phonebook::EntryFromBin(held[k])); });
}

void RestorePlan::compareDateBook(const std::vector<BinRecord>& backup,
                                  const std::vector<BinRecord>& handset) {
  std::vector<Side> b, h;
  std::vector<RestoreRow> rows;
  for (const BinRecord& r : backup) {
    std::optional<datebook::ReadEvent> e = datebook::EventFromBin(r);
    if (!e) {
      RestoreRow damaged = DamagedRow(r, OneLine(Joined(r.caption, r.text)));
      damaged.memory.clear();  // the date book has no memories to name
      rows_.push_back(std::move(damaged));
      continue;
    }
    RestoreRow row;
    row.section = r.section;
    row.index = r.index;
    row.caption = EventCaption(*e);
    if (e->titleHex.size() > kMaxTitleChars * 4) {
      e->titleHex.resize(kMaxTitleChars * 4);
      e->entry.Title = Ucs2HexToText(e->titleHex);
      row.notes.push_back(texts::NoteTitleCut(kMaxTitleChars));
    }
    b.push_back(EventSide(rows.size(), *e));
    row.event = std::move(e);
    rows.push_back(std::move(row));
  }
  std::vector<BinRecord> held;
  std::vector<datebook::ReadEvent> heldEvents;
  for (const BinRecord& r : handset) {
    std::optional<datebook::ReadEvent> e = datebook::EventFromBin(r);
    if (!e) continue;
    h.push_back(EventSide(held.size(), *e));
    held.push_back(r);
    heldEvents.push_back(*e);
  }
  const auto changed = Paired(rows, held, EntryState::Changed, RestoreAction::Overwrite);
  MatchSame(b, h, Paired(rows, held, EntryState::Same, RestoreAction::None));
  MatchIndex(b, h, changed);
  for (Side& x : b) {
    if (x.matched) continue;
    for (Side& y : h) {
      if (y.matched || y.titleStart != x.titleStart) continue;
      x.matched = y.matched = true;
      changed(x, y);
      break;
    }
  }
  MarkWrites(rows, b, [&](const RestoreRow& row) {
    if (shape_.dateBookHighest < 0) return texts::NoteNoDateBook();
    if (!RepeatKept(row.event->entry.RepeatCode))
      return texts::NoteRepeat(row.event->entry.RepeatCode);
    return std::string();
  });
  AppendSection(rows_, rows, h, held, kBinDateBook, RestoreAction::Erase,
                [&](std::size_t k) { return EventCaption(heldEvents[k]); });
}

void RestorePlan::compareMessages(const std::vector<BinRecord>& backup,
                                  const std::vector<BinRecord>& handset) {
  // status, number, time stamp, text hex
  const auto key = [](const BinRecord& r) {
    return r.data.size() < 4 ? std::string() : r.data[1] + '\t' + r.data[2] + '\t' + r.data[3];
  };
  std::vector<Side> b, h;
  std::vector<RestoreRow> rows;
  for (const BinRecord& r : backup) {
    if (r.data.size() < 4 || (r.memory != "IM" && r.memory != "OM" && r.memory != "DM")) {
      rows_.push_back(DamagedRow(r, MessageCaption(r)));
      continue;
    }
    RestoreRow row;
    row.section = r.section;
    row.memory = r.memory;
    row.index = r.index;
    row.caption = MessageCaption(r);
    row.message = r;
    b.push_back({rows.size(), r.memory, r.index, key(r), {}, false});
    rows.push_back(std::move(row));
  }
  std::vector<BinRecord> held;
  for (const BinRecord& r : handset) {
    if (r.data.size() < 4) continue;
    h.push_back({held.size(), r.memory, r.index, key(r), {}, false});
    held.push_back(r);
  }
  MatchSame(b, h, Paired(rows, held, EntryState::Same, RestoreAction::None));
  for (const Side& x : b) {
    if (x.matched) continue;
    RestoreRow& row = rows[x.item];
    row.state = EntryState::Missing;
    if (row.memory == "IM") {
      row.notes.push_back(texts::NoteIncoming());
    } else {
      row.action = RestoreAction::Write;
    }
  }
  AppendSection(rows_, rows, h, held, kBinMessages, RestoreAction::Erase,
                [&](std::size_t k) { return MessageCaption(held[k]); });
}

bool RestorePlan::choose(std::size_t row, bool chosen) {
  if (row >= rows_.size() || !rows_[row].choosable) return false;
  rows_[row].chosen = chosen;
  return true;
}

int RestorePlan::count(EntryState state) const {
  return static_cast<int>(std::count_if(rows_.begin(), rows_.end(),
                                        [&](const RestoreRow& r) { return r.state == state; }));
}

int RestorePlan::chosenCount() const {
  return static_cast<int>(
      std::count_if(rows_.begin(), rows_.end(), [](const RestoreRow& r) { return r.chosen; }));
}

std::string RestorePlan::Summary() const {
  std::string s = texts::Summary(backupModel_, backupImei_, backupTime_, count(EntryState::Same),
                                 count(EntryState::Changed), count(EntryState::Missing),
                                 count(EntryState::OnlyOnHandset), chosenCount());
  if (!backupModel_.empty() && !shape_.model.empty() && backupModel_ != shape_.model)
    s += " " + texts::OtherModel(backupModel_, shape_.model);
  return s;
}

std::string StateText(EntryState state) {
  switch (state) {
    case EntryState::Same:
      return texts::StateSame();
    case EntryState::Changed:
      return texts::StateChanged();
    case EntryState::Missing:
      return texts::StateMissing();
    case EntryState::OnlyOnHandset:
      break;
  }
  return texts::StateOnlyOnHandset();
}

std::string ActionText(const RestoreRow& row) {
  std::string action;
  if (!row.choosable) {
    action = row.state == EntryState::Same ? texts::ActionNone() : texts::ActionCannot();
  } else if (row.action == RestoreAction::Erase) {
    action = row.chosen ? texts::ActionErase() : texts::ActionKeep();
  } else if (!row.chosen) {
    action = texts::ActionSkip();
  } else {
    action =
        row.action == RestoreAction::Overwrite ? texts::ActionOverwrite() : texts::ActionWrite();
  }
  for (const std::string& n : row.notes) action += "; " + n;
  return action;
}

ListModel RestorePlan::PreviewList() const {
  ListModel list;
  using A = ListColumn::Align;
  const std::vector<std::string> captions = texts::ColumnCaptions();
  const int widths[] = {90, 80, 40, 220, 110, 200};
  for (std::size_t c = 0; c < captions.size() && c < std::size(widths); ++c)
    list.columns.push_back({captions[c], widths[c], c == 2 ? A::Right : A::Left, kNoImage});
  for (const RestoreRow& r : rows_) {
    ListRow& row = list.add(texts::SectionName(r.section));
    for (std::string cell :
         {texts::MemoryName(r.memory), r.index >= 0 ? std::to_string(r.index) : std::string(),
          r.caption, StateText(r.state), ActionText(r)})
      row.subItems.push_back({std::move(cell), kNoImage});
  }
  return list;
}

}  // namespace quorvex::backup
