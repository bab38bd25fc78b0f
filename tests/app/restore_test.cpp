// Restoring a backup: the comparison of a backup with a handset on plain values, and the
// whole restore against simulated handsets of each family: round trip, nothing written twice,
// only the changed entries written, erases through the bin, a refused write, the preview of
// a backup from another family.
#include "backup/restore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "backup/backup_file.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "core/bin_file.h"
#include "datebook/date_book_section.h"
#include "handset_test.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_bin.h"
#include "phonebook/phonebook_section.h"
#include "sim/models.h"

namespace quorvex::backup {
namespace {

using phonebook::Family;

// ---- The comparison on values.

BinRecord PhoneRecord(int index, const std::string& name, const std::string& number,
                      Family family = Family::Grouped, bool sim = false, int group = 0) {
  phonebook::TAbonentInfo e;
  e.Index = index;
  e.OnSim = sim ? 1 : 0;
  e.Name = Ru(name);
  e.Number = number;
  e.NumberFormat = 129;
  e.NumberType = 3;
  e.AlertId = 255;
  e.Attr9 = 1;
  e.Category = static_cast<std::uint8_t>(group);
  e.IconId = 255;
  e.Attr12 = 255;
  return phonebook::EntryBinRecord(e, family, "backup");
}

BinRecord EventRecord(int index, const std::string& title, const std::string& date,
                      const std::string& time = "09:00", const std::string& duration = "30") {
  datebook::ReadEvent e;
  e.index = index;
  e.entry = {Ru(title), "1", "0", time, date, duration, "00:00", "00-00-2000", "0"};
  e.titleHex = TextToUcs2Hex(Ru(title));
  return datebook::EventBinRecord(e, "backup");
}

BinRecord MessageRecord(const std::string& memory, int index, const std::string& status,
                        const std::string& number, const std::string& text,
                        const std::string& stamp = {}) {
  sms::HeldMessage m;
  m.index = std::to_string(index);
  m.folder = memory == "IM" ? sms::kIncoming : memory == "DM" ? sms::kDrafts : sms::kSent;
  m.status = "\"" + status + "\"";
  m.reading = {number, stamp, TextToUcs2Hex(Ru(text))};
  return sms::MessageBinRecord(m, "backup");
}

HandsetShape Shape(const std::string& model = "C350", std::size_t groups = 4) {
  HandsetShape s;
  s.model = model;
  s.phoneFirst = 1;
  s.phoneLast = 20;
  s.simFirst = 21;
  s.simLast = 30;
  s.groupCount = groups;
  s.dateBookHighest = 9;
  return s;
}

PhoneBackup Of(std::vector<BinRecord> records, const std::string& model = "C350") {
  return PhoneBackup{model, "350881020000000", "2026-12-08 21:00:00", std::move(records)};
}

struct Seen {
  std::string section;
  std::int64_t index;
  EntryState state;
  bool chosen;
  bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Seen& s) {
  return o << "{" << s.section << " " << s.index << " state " << static_cast<int>(s.state)
           << (s.chosen ? " chosen" : "") << "}";
}

std::vector<Seen> SeenOf(const RestorePlan& plan) {
  std::vector<Seen> out;
  for (const RestoreRow& r : plan.rows()) out.push_back({r.section, r.index, r.state, r.chosen});
  return out;
}

const std::string kPb(kBinPhoneBook), kDb(kBinDateBook), kSms(kBinMessages);

TEST(RestorePlan, MatchesEntriesByContentThenByIndex) {
  struct Case {
    const char* what;
    std::vector<BinRecord> backup, handset;
    std::vector<Seen> rows;
  };
  const Case cases[] = {
      {"an entry moved to another index is the same; nothing to write",
       {PhoneRecord(1, "Анна", "111")},
       {PhoneRecord(7, "Анна", "111")},
       {{kPb, 1, EntryState::Same, false}}},
      {"a different entry at the same index is changed and chosen",
       {PhoneRecord(1, "Анна", "111")},
       {PhoneRecord(1, "Анна", "222")},
       {{kPb, 1, EntryState::Changed, true}}},
      {"duplicates pair up index by index: the second copy is missing",
       {PhoneRecord(1, "Анна", "111"), PhoneRecord(2, "Анна", "111")},
       {PhoneRecord(2, "Анна", "111")},
       {{kPb, 1, EntryState::Missing, true}, {kPb, 2, EntryState::Same, false}}},
      {"an entry equal elsewhere is not overwritten as changed",
       {PhoneRecord(1, "Анна", "111"), PhoneRecord(2, "Борис", "222")},
       {PhoneRecord(1, "Борис", "222")},
       {{kPb, 1, EntryState::Missing, true}, {kPb, 2, EntryState::Same, false}}},
      {"the same index of the other memory is another place",
       {PhoneRecord(21, "Анна", "111", Family::Grouped, true)},
       {PhoneRecord(21, "Анна", "111")},
       {{kPb, 21, EntryState::Missing, true}, {kPb, 21, EntryState::OnlyOnHandset, false}}},
      {"an entry only on the handset stays unless chosen",
       {},
       {PhoneRecord(3, "Вера", "333")},
       {{kPb, 3, EntryState::OnlyOnHandset, false}}},
      {"an event edited in place is changed; one moved is the same",
       {EventRecord(0, "Встреча", "03-05-2026"), EventRecord(1, "Обед", "03-06-2026")},
       {EventRecord(0, "Встреча", "03-05-2026", "10:00"), EventRecord(5, "Обед", "03-06-2026")},
       {{kDb, 0, EntryState::Changed, true}, {kDb, 1, EntryState::Same, false}}},
      {"an event with its title and start elsewhere is changed there",
       {EventRecord(0, "Встреча", "03-05-2026")},
       {EventRecord(4, "Встреча", "03-05-2026", "09:00", "90")},
       {{kDb, 0, EntryState::Changed, true}}},
      {"a message read since is the same; an incoming one missing cannot be chosen",
       {MessageRecord("IM", 1, "REC UNREAD", "+7916", "Привет", "26/03/01,10:00:00+12"),
        MessageRecord("IM", 2, "REC READ", "+7916", "Пока", "26/03/01,11:00:00+12"),
        MessageRecord("DM", 3, "STO UNSENT", "", "Черновик")},
       {MessageRecord("IM", 9, "REC READ", "+7916", "Привет", "26/03/01,10:00:00+12"),
        MessageRecord("OM", 4, "STO UNSENT", "", "Черновик")},
       {{kSms, 1, EntryState::Same, false},
        {kSms, 2, EntryState::Missing, false},
        {kSms, 3, EntryState::Missing, true},
        {kSms, 4, EntryState::OnlyOnHandset, false}}},
  };
  for (const Case& c : cases) {
    const RestorePlan plan(Of(c.backup), Of(c.handset), Shape());
    EXPECT_EQ(SeenOf(plan), c.rows) << c.what;
  }
}

// What a handset of another family cannot hold is named in the row, and the row that cannot
// go at all cannot be chosen.
TEST(RestorePlan, NamesWhatTheHandsetCannotHold) {
  struct Case {
    const char* what;
    BinRecord backup;
    HandsetShape shape;
    std::string note;
    bool choosable;
  };
  HandsetShape noSim = Shape("C350");
  noSim.simFirst = noSim.simLast = 0;
  HandsetShape noDateBook = Shape("C350");
  noDateBook.dateBookHighest = -1;
  BinRecord longName = PhoneRecord(1, "Александр Сергеевич Пушкин-Гончаров", "111");
  BinRecord badRepeat = EventRecord(0, "Встреча", "03-05-2026");
  badRepeat.data[0].back() = '9';
  const Case cases[] = {
      {"a group the handset has not", PhoneRecord(1, "Анна", "111", Family::Grouped, false, 6),
       Shape("C450", 4), Ru("группы 6 в телефоне нет: запишется без группы"), true},
      {"no groups at all", PhoneRecord(1, "Анна", "111", Family::Grouped, false, 2),
       Shape("V60", 0), Ru("телефон не знает групп: группа 2 не запишется"), true},
      {"a name longer than the handset holds", longName, Shape("C350"),
       Ru("имя длиннее 24 знаков: запишутся первые 24"), true},
      {"a memory the handset has not", PhoneRecord(21, "Анна", "111", Family::Classic, true), noSim,
       Ru("в телефоне нет SIM-карты"), false},
      {"a model whose phone book cannot be written", PhoneRecord(1, "Анна", "111"), Shape("E398"),
       Ru("запись в справочник для модели \"E398\" не поддерживается"), false},
      {"a repeat the handset does not keep", badRepeat, Shape("C350"),
       Ru("повтор с кодом \"9\" телефон не хранит"), false},
      {"no date book read", EventRecord(0, "Встреча", "03-05-2026"), noDateBook,
       Ru("ежедневник телефона не прочитан"), false},
  };
  for (const Case& c : cases) {
    const RestorePlan plan(Of({c.backup}, "V60"), Of({}), c.shape);
    ASSERT_EQ(plan.rows().size(), 1u) << c.what;
    const RestoreRow& row = plan.rows()[0];
    EXPECT_EQ(row.notes, std::vector<std::string>{c.note}) << c.what;
    EXPECT_EQ(row.choosable, c.choosable) << c.what;
    EXPECT_NE(ActionText(row).find(c.note), std::string::npos) << c.what;
  }
  // The cut name is what is written and what the next comparison sees.
  const RestorePlan plan(Of({longName}, "V60"), Of({}), Shape());
  EXPECT_EQ(plan.rows()[0].entry->Name, Ru("Александр Сергеевич Пушк"));
  EXPECT_NE(plan.Summary().find(Ru("Копия снята с V60, телефон - C350")), std::string::npos)
      << plan.Summary();
}

TEST(RestorePlan, TheDialogTicksOnlyWhatCanBeChosen) {
  TfrmRestore d;
  testing::RecordingUi ui;
  ui.onModal = [&](ModalDialog&) {
    EXPECT_TRUE(d.btnWrite.enabled);
    d.rowChecked(0, false);  // the changed entry
    EXPECT_FALSE(d.btnWrite.enabled);
    d.rowChecked(1, true);  // the same entry: nothing to write
    EXPECT_FALSE(d.Plan.rows()[1].chosen);
    d.rowChecked(2, true);  // only on the handset: erase it
    EXPECT_EQ(ActionText(d.Plan.rows()[2]), Ru("удалить из телефона (в корзину)"));
    d.btnWriteClick();
  };
  d.Show(ui, RestorePlan(Of({PhoneRecord(1, "Анна", "111"), PhoneRecord(2, "Борис", "222")}),
                         Of({PhoneRecord(1, "Анна", "000"), PhoneRecord(2, "Борис", "222"),
                             PhoneRecord(3, "Вера", "333")}),
                         Shape()));
  EXPECT_TRUE(d.Accepted);
  EXPECT_EQ(d.Plan.chosenCount(), 1);
  const ListModel list = d.Plan.PreviewList();
  ASSERT_EQ(list.rows.size(), 3u);
  EXPECT_EQ(list.cellText(list.rows[0], 4), Ru("изменена"));
  EXPECT_EQ(list.cellText(list.rows[0], 5), Ru("не записывать"));
  EXPECT_EQ(list.cellText(list.rows[1], 5), "-");
}

// ---- The restore against simulated handsets.

const char* const kWrites[] = {"AT+MPBW=", "AT+MDBW=", "AT+MDBWE=", "AT+CMGW", "AT+CMGD"};

bool IsWrite(const std::string& command) {
  return std::any_of(std::begin(kWrites), std::end(kWrites),
                     [&](const char* w) { return command.rfind(w, 0) == 0; });
}

sim::PhoneEntry Person(std::string number, std::string name, int type, int group, int icon) {
  sim::PhoneEntry e;
  e.number = std::move(number);
  e.format = e.number[0] == '+' ? 145 : 129;
  e.name = Ru(name);
  e.type = type;
  e.alert = 3;
  e.category = group;
  e.icon = icon;
  return e;
}

// A handset with something in every memory and folder, as the model keeps it: a family
// without groups keeps no group and no icon.
sim::HandsetState Filled(const std::string& model) {
  const sim::Family family = sim::FamilyOf(model);
  const bool grouped = family != sim::Family::Classic;
  sim::HandsetState st = sim::EmptyState();
  st.phoneSize = 12;
  st.simSize = 4;
  st.dateBookHighest = 7;
  st.messageSlots = 12;
  if (grouped) st.groups = {{Ru("Семья"), 255}, {Ru("Работа"), 3}, {}, {}};
  st.entries[1] = Person("+79161234567", "Иван Петров", 3, grouped ? 1 : 0, grouped ? 2 : 255);
  st.entries[2] = Person("84951234567", "Офис", 0, grouped ? 2 : 0, 255);
  st.entries[5] = Person("112", "A ?", 2, 0, 255);
  st.entries[5].nameUcs2 = "00410020263A";  // "A ☺": a name code page 1251 cannot hold
  if (family == sim::Family::GroupedText) st.entries[1].iconText = "7";
  sim::PhoneEntry onSim;
  onSim.number = "+79031112233";
  onSim.format = 145;
  onSim.name = Ru("Мама");
  st.entries[st.simFirst() + 1] = onSim;
  st.events[0] = {Ru("Встреча"), '1', '1', "09:30", "03-05-2026", 60, "09:15", "03-05-2026", 0};
  st.events[3] = {Ru("Отпуск"), '1', '0', "00:00", "07-01-2026", 1440, "00:00", "00-00-2000", 2};
  using S = sim::MessageStore;
  using T = sim::MessageStatus;
  st.messages[1] = {S::Incoming, T::RecRead, "+79161234567", "26/03/01,10:00:00+12", Ru("Привет")};
  st.messages[2] = {S::Outgoing, T::StoSent, "+79161234567", "", Ru("Отправлено")};
  st.messages[3] = {S::Outgoing, T::StoUnsent, "112", "", Ru("Не отправлено")};
  st.messages[4] = {S::Drafts, T::StoUnsent, "", "", Ru("Черновик")};
  return st;
}

// The same sizes and groups, nothing stored.
sim::HandsetState Emptied(sim::HandsetState st) {
  st.entries.clear();
  st.events.clear();
  st.messages.clear();
  return st;
}

// What the handset holds that a restore writes, in the state file's form: the phone book, the
// date book, and the messages that can go back (not the incoming ones), renumbered in order.
std::string Restorable(const sim::HandsetState& st) {
  sim::HandsetState kept = sim::EmptyState();
  kept.entries = st.entries;
  kept.events = st.events;
  std::vector<sim::Message> messages;
  for (const auto& [index, m] : st.messages)
    if (m.store != sim::MessageStore::Incoming) messages.push_back(m);
  std::sort(messages.begin(), messages.end(), [](const sim::Message& a, const sim::Message& b) {
    return std::tie(a.store, a.status, a.number, a.text) <
           std::tie(b.store, b.status, b.number, b.text);
  });
  for (std::size_t k = 0; k < messages.size(); ++k)
    kept.messages[static_cast<int>(k) + 1] = messages[k];
  return sim::SerializeState(kept);
}

class RestoreOnHandset : public testing::AppStateTest {
 protected:
  void SetUp() override {
    AppStateTest::SetUp();
    messages_.archivePath = path("sms_archive.txt");
  }

  // A handset of the model holding the state, and a window that knows nothing of it yet.
  void handset(const std::string& model, const sim::HandsetState& state,
               std::vector<std::string> errorOn = {},
               std::function<void(const std::string&)> onCommand = {}) {
    phone_.reset();
    sim::SimOptions o;
    o.model = model;
    o.demoData = false;
    o.errorOn = std::move(errorOn);
    o.onCommand = std::move(onCommand);
    startPhone(state, o);
    app_->LoadPortSettings();
    book_ = {};
    dates_ = {};
    messages_ = {};
    messages_.archivePath = path("sms_archive.txt");
  }

  PhoneBackup backup() {
    WholeReadProgress progress;
    HandsetNow now = ReadHandsetNow(*app_, book_, dates_, messages_, progress);
    EXPECT_TRUE(now.complete);
    now.contents.time = "2026-12-08 21:00:00";
    return now.contents;
  }

  // Restores with the preview's defaults, or with what `choose` makes of them; the commands
  // sent after the read.
  RestoreResult restore(const PhoneBackup& b,
                        const std::function<void(TfrmRestore&)>& choose = {}) {
    answerPreview(choose);
    return RestoreBackup(*app_, book_, dates_, messages_, b, dialog_, bar_);
  }
  // The same through the menu's operation: the open dialog answers the backup file.
  RestoreResult restoreFile(const std::string& file) {
    answerPreview({});
    ui_.opens.push_back(file);
    return RestoreFromBackupClick(*app_, book_, dates_, messages_, dialog_, bar_);
  }

  void answerPreview(const std::function<void(TfrmRestore&)>& choose) {
    phone().clearTranscript();
    ui_.onModal = [this, choose](ModalDialog& d) {  // choose may be a temporary
      auto* preview = dynamic_cast<TfrmRestore*>(&d);
      ASSERT_NE(preview, nullptr);
      // The read is over when the preview shows: what follows is the write alone.
      phone().clearTranscript();
      if (choose) choose(*preview);
      preview->btnWriteClick();
      if (!preview->closed()) preview->btnCancelClick();
    };
  }

  std::vector<std::string> writes() {
    std::vector<std::string> out;
    for (const std::string& c : phone().transcript())
      if (IsWrite(c)) out.push_back(c);
    return out;
  }

  phonebook::PhoneBookSection book_;
  datebook::DateBookSection dates_;
  sms::SmsSection messages_;
  TfrmRestore dialog_;
  ProgressBar bar_;
};

// Backup to a file, a fresh empty handset of the same model, restore from the file: the
// handset holds what was backed up (the incoming message aside), and a second restore of the
// same file writes nothing.
TEST_F(RestoreOnHandset, RoundTripOnEachFamilyAndNothingTwice) {
  for (const char* model : {"C350", "C450", "V60", "T720"}) {
    SCOPED_TRACE(model);
    const sim::HandsetState filled = Filled(model);
    handset(model, filled);
    const PhoneBackup b = backup();
    ASSERT_EQ(b.records.size(), 10u);
    const std::string file = path(std::string(model) + ".zip");
    WriteBackupFile(file, b);

    handset(model, Emptied(filled));
    const RestoreResult first = restoreFile(file);
    EXPECT_EQ(first.outcome, RestoreResult::Outcome::Written);
    EXPECT_EQ(first.text, Ru("Записано 9 из 9."));
    EXPECT_EQ(Restorable(phone().state()), Restorable(filled));
    // The drafts went last; then the memories the read had left selected (the drafts' for
    // reading, the outgoing one for writing) are selected again.
    const std::vector<std::string> sent = phone().transcript();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "AT+CPMS=\"DM\",\"OM\"");
    EXPECT_EQ(dialog_.Plan.count(EntryState::Missing), 10);

    ui_.boxes.clear();
    const RestoreResult second = restoreFile(file);
    // Nothing is chosen, so the preview can only be cancelled.
    EXPECT_EQ(second.outcome, RestoreResult::Outcome::Cancelled);
    EXPECT_EQ(dialog_.Plan.count(EntryState::Same), 9);
    EXPECT_EQ(dialog_.Plan.chosenCount(), 0);
    EXPECT_EQ(writes(), std::vector<std::string>{});
    EXPECT_EQ(ui_.boxes, std::vector<testing::Box>{});
  }
}

// A handset changed since its backup: only the changed and the missing entries are written,
// each to its old index, and what they overwrite is in the bin.
TEST_F(RestoreOnHandset, WritesExactlyWhatChanged) {
  sim::HandsetState st = Filled("C350");
  handset("C350", st);
  const PhoneBackup b = backup();
  st.entries[2].number = "84950000000";
  st.entries.erase(1);
  st.events[3].duration = 30;
  st.messages.erase(3);
  st.entries[7] = Person("555", "Сосед", 1, 0, 255);
  handset("C350", st);

  const RestoreResult r = restore(b);
  EXPECT_EQ(r.text, Ru("Записано 4 из 4."));
  EXPECT_EQ(writes(), (std::vector<std::string>{
                          "AT+MPBW=2,\"84951234567\",129,041E044404380441,0,0,3,0,1,2,255,255,0",
                          "AT+MPBW=1,\"+79161234567\",145,"
                          "041804320430043D0020041F043504420440043E0432,3,0,3,0,1,1,2,255,0",
                          "AT+MDBW=3,041E0442043F04430441043A,1,0,\"00:00\",\"07-01-2026\",1440,"
                          "\"00:00\",\"00-00-2000\",2",
                          "AT+CMGW=\"112\""}));
  EXPECT_EQ(Restorable(phone().state()), Restorable([&] {
              sim::HandsetState want = Filled("C350");
              want.entries[7] = st.entries[7];
              return want;
            }()));
  std::vector<std::string> kept;
  for (const BinRecord& k : ReadBin(app_->binPath).records)
    kept.push_back(k.operation + " " + k.section + " " + std::to_string(k.index) + " " + k.text);
  EXPECT_EQ(kept, (std::vector<std::string>{"restore phonebook 2 84950000000",
                                            "restore datebook 3 07-01-2026 00:00"}));
}

// An entry only on the handset goes only when the user ticks it, and is in the bin before
// the command that erases it.
TEST_F(RestoreOnHandset, AnEraseGoesToTheBinFirst) {
  sim::HandsetState st = Filled("C450");
  handset("C450", st);
  const PhoneBackup b = backup();
  st.entries[7] = Person("555", "Сосед", 1, 0, 255);
  st.events[6] = {Ru("Лишнее"), '1', '0', "08:00", "02-02-2026", 15, "00:00", "00-00-2000", 0};
  handset("C450", st);
  // The hook runs on the handset's thread while the client waits for the answer.
  std::vector<std::string> binAtErase;
  const std::string bin = app_->binPath;
  handset("C450", st, {}, [&](const std::string& c) {
    if (c != "AT+MPBW=7" && c != "AT+MDBWE=6,0,0") return;
    std::string held;
    for (const BinRecord& k : ReadBin(bin).records) held += k.caption + ";";
    binAtErase.push_back(c + " " + held);
  });
  const RestoreResult r = restore(b, [](TfrmRestore& d) {
    for (std::size_t k = 0; k < d.Plan.rows().size(); ++k)
      if (d.Plan.rows()[k].state == EntryState::OnlyOnHandset) d.rowChecked(k, true);
  });
  EXPECT_EQ(r.text, Ru("Записано 2 из 2."));
  EXPECT_EQ(writes(), (std::vector<std::string>{"AT+MPBW=7", "AT+MDBWE=6,0,0"}));
  const std::string both = Ru("Сосед;Лишнее;");
  EXPECT_EQ(binAtErase, (std::vector<std::string>{"AT+MPBW=7 " + both, "AT+MDBWE=6,0,0 " + both}));
  EXPECT_EQ(Restorable(phone().state()), Restorable(Filled("C450")));
}

// The first refused write, or the user's stop, ends the restore: the box says how far it got
// and nothing is sent after it.
TEST_F(RestoreOnHandset, ARefusedWriteOrAStopEndsIt) {
  struct Case {
    const char* what;
    std::vector<std::string> errorOn;
    std::string stopAt;  // the command at which the user asks to stop
    RestoreResult::Outcome outcome;
    std::string text;                  // the one box, or the standard error box
    std::vector<std::string> written;  // the write commands' first 10 characters
    bool error = false;
  };
  const Case cases[] = {
      {"refused",
       {"AT+MPBW=5"},
       "",
       RestoreResult::Outcome::Refused,
       Ru("Записано 2 из 9; телефон не принял: A , 112. Остальное не записано."),
       {"AT+MPBW=1,", "AT+MPBW=2,", "AT+MPBW=5,"}},
      {"stopped",
       {},
       "AT+MPBW=2,",
       RestoreResult::Outcome::Stopped,
       Ru("Остановлено: записано 2 из 9."),
       {"AT+MPBW=1,", "AT+MPBW=2,"}},
      // The read's own box and the restore's are one.
      {"stopped while the handset is read",
       {},
       "AT+MDBR=1",
       RestoreResult::Outcome::NotRead,
       Ru("Остановлено: прочитано 2 из 8. Телефон прочитан не полностью: восстановление "
          "отменено, ничего не записано."),
       {}},
      {"the date book refused while the handset is read",
       {"AT+MDBL=1"},
       "",
       RestoreResult::Outcome::NotRead,
       Ru("Нет доступа у ежедневнику. Телефон прочитан не полностью: восстановление отменено, "
          "ничего не записано."),
       {},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    handset("C350", Filled("C350"));
    const PhoneBackup b = backup();
    AppState* app = app_.get();
    handset("C350", Emptied(Filled("C350")), c.errorOn, [&c, app](const std::string& command) {
      if (!c.stopAt.empty() && command.rfind(c.stopAt, 0) == 0) app->stop().request();
    });
    ui_.boxes.clear();
    ui_.errors.clear();
    const RestoreResult r = restore(b);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.text, c.text);
    std::vector<std::string> boxes;
    for (const auto& box : ui_.boxes) boxes.push_back(box.text);
    EXPECT_EQ(boxes, c.error ? std::vector<std::string>{} : std::vector<std::string>{c.text});
    EXPECT_EQ(ui_.errors, c.error ? std::vector<std::string>{c.text} : std::vector<std::string>{});
    std::vector<std::string> written;
    for (const std::string& w : writes()) written.push_back(w.substr(0, 10));
    EXPECT_EQ(written, c.written);
    if (c.outcome == RestoreResult::Outcome::NotRead) continue;
    // The date book was never locked, so nothing is left to unlock.
    EXPECT_EQ(phone().transcript().back().rfind("AT+MPBW=", 0), 0u);
  }
}

// A backup of another family: the preview names per entry what the handset cannot hold, the
// restore writes the rest, and a second restore finds everything the same.
TEST_F(RestoreOnHandset, AnotherFamilyIsPreviewedAndRestoredOnce) {
  handset("C350", Filled("C350"));
  const PhoneBackup b = backup();
  handset("V60", Emptied(Filled("V60")));
  std::vector<std::string> notes;
  const RestoreResult first = restore(b, [&](TfrmRestore& d) {
    for (const RestoreRow& row : d.Plan.rows())
      for (const std::string& n : row.notes) notes.push_back(row.caption + ": " + n);
    EXPECT_NE(d.lblSummary.caption.find(Ru("Копия снята с C350, телефон - V60")),
              std::string::npos);
  });
  EXPECT_EQ(notes,
            (std::vector<std::string>{
                Ru("Иван Петров, +79161234567: телефон не знает групп: группа 1 не запишется"),
                Ru("Офис, 84951234567: телефон не знает групп: группа 2 не запишется"),
                Ru("+79161234567, Привет: входящее сообщение в телефон не вернуть")}));
  EXPECT_EQ(first.text, Ru("Записано 9 из 9."));
  EXPECT_EQ(Restorable(phone().state()), Restorable(Filled("V60")));
  restore(b);
  EXPECT_EQ(dialog_.Plan.count(EntryState::Same), 9);
  EXPECT_EQ(writes(), std::vector<std::string>{});
}

}  // namespace
}  // namespace quorvex::backup
