// The whole handset into one archive, against the simulated handset of each family: the reads'
// commands in order, the archive's members as the exports write them and as other programs
// read them, the manifest read back equal to what was read, nothing written after a stop or a
// failed write, and a clear refusal of every damaged, foreign or newer file.
#include <gtest/gtest.h>
#include <libical/ical.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "backup/backup_file.h"
#include "backup/backup_operation.h"
#include "backup/whole_phone_read.h"
#include "codec/errors.h"
#include "codec/ru.h"
#include "datebook/date_book_section.h"
#include "datebook/ical_export.h"
#include "handset_test.h"
#include "messages/message_rows.h"
#include "messages/sms_export.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/phonebook_section.h"
#include "phonebook/vcard.h"
#include "phonebook/vcard_parse.h"
#include "unprivileged.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using testing::Box;

// The three sections a front end holds, with the archive of incoming messages kept in the
// scratch directory.
struct Sections {
  explicit Sections(const std::string& archive) { messages.archivePath = archive; }
  WholePhoneSections all() { return {phoneBook, dateBook, messages}; }
  phonebook::PhoneBookSection phoneBook;
  datebook::DateBookSection dateBook;
  sms::SmsSection messages;
};

class Backup : public testing::AppStateTest {
 protected:
  sim::PhoneSim& startModel(const std::string& model,
                            std::function<void(const std::string&)> onCommand = {}) {
    sim::SimOptions o;
    o.model = model;
    o.onCommand = std::move(onCommand);
    sim::PhoneSim& phone = startPhone(sim::DemoState(), o);
    app_->LoadPortSettings();
    return phone;
  }
  std::unique_ptr<Sections> sections() {
    return std::make_unique<Sections>(path("sms_archive.txt"));
  }
  // What the archive holds, by member name.
  std::map<std::string, std::string> members(const std::string& file) {
    std::map<std::string, std::string> m;
    for (BackupMember& b : ReadBackupMembers(file)) m[b.name] = std::move(b.bytes);
    return m;
  }
  std::vector<std::string> filesInDir() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Refused with an input/output error: its message.
  static std::string Refusal(const std::function<void()>& step) {
    try {
      step();
    } catch (const EInOutError& e) {
      return e.what();
    }
    return "(not refused)";
  }

  WholeReadProgress progress_;
};

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

int EventsIn(const std::string& ics) {
  icalcomponent* calendar = icalparser_parse_string(ics.c_str());
  if (calendar == nullptr) return -1;
  const int n = icalcomponent_count_components(calendar, ICAL_VEVENT_COMPONENT);
  icalcomponent_free(calendar);
  return n;
}

// ---- The whole read and the archive, for each family the simulated handset models.

TEST_F(Backup, EachFamilyReadsTheReadsCommandsAndItsArchiveReadsBack) {
  struct Case {
    const char* model;
    bool phoneBookFile;  // the save to file knows the family's entries
  };
  const Case cases[] = {{"C350", false}, {"C450", false}, {"V60", true}, {"T720", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    sim::PhoneSim& phone = startModel(c.model);

    // The sections' own reads, one after the other, as a user would run them.
    auto alone = sections();
    alone->phoneBook.sbReadAllClick(*app_);
    alone->dateBook.sbReadAllEventsClick(*app_);
    for (const char* filter :
         {sms::kFilterIncoming, sms::kFilterUnsent, sms::kFilterSent, sms::kFilterDrafts})
      alone->messages.ReadMessageFolder(*app_, filter);
    const std::vector<std::string> reads = phone.transcript();
    phone.clearTranscript();

    app_->handset = {c.model, "350881020000000"};
    auto s = sections();
    const std::string file = path(std::string(c.model) + ".zip");
    ui_.clock = {2026, 12, 9, 1, 2, 3};
    const std::optional<PhoneBackup> backup = BackupPhoneToFile(*app_, s->all(), file, progress_);
    ASSERT_TRUE(backup);
    EXPECT_EQ(phone.transcript(), reads);
    ASSERT_GE(reads.size(), 3u);
    EXPECT_EQ(reads.front(), "AT+CGMM");
    EXPECT_EQ(std::count(reads.begin(), reads.end(), "AT+MMGL=\"HEADER ONLY\""), 4);
    EXPECT_EQ(std::count_if(reads.begin(), reads.end(),
                            [](const std::string& r) { return r.starts_with("AT+MMGR="); }),
              9);
    EXPECT_TRUE(progress_.complete);
    EXPECT_EQ(progress_.part, "");
    EXPECT_TRUE(ui_.boxes.empty()) << ui_.boxes.front();

    EXPECT_EQ(backup->model, c.model);
    EXPECT_EQ(backup->imei, "350881020000000");
    EXPECT_EQ(backup->time, "2026-12-09 01:02:03");
    EXPECT_EQ(BackupSummary(*backup),
              Ru("Справочник: 13 (телефон 10, SIM 3)\r\nЕжедневник: 6\r\nВходящие: 4\r\n"
                 "Исходящие: 1\r\nОтправленные: 2\r\nЧерновики: 2"));
    ASSERT_EQ(backup->records.size(), 28u);
    EXPECT_EQ(backup->records[0].id, 1);
    EXPECT_EQ(backup->records[27].id, 28);
    EXPECT_EQ(backup->records[27].memory, "DM");
    for (const BinRecord& r : backup->records) {
      EXPECT_EQ(r.operation, "backup");
      EXPECT_EQ(r.model, c.model);
    }

    EXPECT_EQ(ReadBackupFile(file), *backup);
    std::map<std::string, std::string> m = members(file);
    std::vector<std::string> names;
    for (const auto& [name, bytes] : m) names.push_back(name);
    std::vector<std::string> expected = {"calendar.ics", "contacts.vcf", "drafts.mbox",
                                         "inbox.mbox",   "manifest.txt", "outbox.mbox",
                                         "sent.mbox"};
    if (c.phoneBookFile) expected.insert(expected.begin() + 6, "phonebook.csv");
    EXPECT_EQ(names, expected);

    // Each member is what its export writes from the sections' reads.
    const phonebook::PhoneBookSection& book = alone->phoneBook;
    const phonebook::Family family = phonebook::FamilyOf(c.model);
    EXPECT_EQ(m["contacts.vcf"], phonebook::FormatVCards(book.Records, book.GroupNames, family,
                                                         phonebook::VCardVersion::V30));
    if (c.phoneBookFile) {
      EXPECT_EQ(m["phonebook.csv"],
                phonebook::FormatPhoneBookFile(book.Records, book.PhoneFirst, book.SimFirst));
    }
    const std::time_t stamp = LocalTimeToTime(ui_.clock);
    EXPECT_EQ(m["calendar.ics"], datebook::FormatCalendar(alone->dateBook.Events, stamp));
    EXPECT_EQ(m["drafts.mbox"],
              sms::FormatMessagesMbox(Ru("Черновики"), alone->messages.lvSMS.rows, stamp));

    // And other programs read them.
    const std::vector<phonebook::VCard> cards = phonebook::ParseVCards(m["contacts.vcf"]);
    ASSERT_EQ(cards.size(), 13u);
    EXPECT_EQ(std::count_if(cards.begin(), cards.end(), [](auto& v) { return v.sim; }), 3);
    EXPECT_EQ(EventsIn(m["calendar.ics"]), 6);
    const std::pair<const char*, int> folders[] = {
        {"inbox.mbox", 4}, {"outbox.mbox", 1}, {"sent.mbox", 2}, {"drafts.mbox", 2}};
    for (const auto& [name, n] : folders) {
      EXPECT_EQ(Count("\n" + m[name], "\nFrom "), n) << name;
      EXPECT_EQ(Count(m[name], "\nContent-Type: text/plain; charset=UTF-8\n"), n) << name;
    }
    // A zip reader other than the one the program uses.
    if (std::system("command -v unzip >/dev/null 2>&1") == 0) {
      EXPECT_EQ(std::system(("unzip -tq '" + file + "' >/dev/null").c_str()), 0);
      ASSERT_EQ(
          std::system(("unzip -p '" + file + "' manifest.txt >'" + path("unzipped") + "'").c_str()),
          0);
      EXPECT_EQ(readFile("unzipped"), m["manifest.txt"]);
    }
  }
}

// ---- A read that does not go through writes nothing.

TEST_F(Backup, AReadStoppedOrRefusedPartWayWritesNoFile) {
  struct Case {
    const char* what;
    const char* command;  // the stop is asked while the handset takes this command
    std::vector<std::string> refused;
    BackupPart endedAt;
    bool stopped;
    std::vector<std::string> boxes;  // UTF-8: one at most, in place of those of the read
    std::string error = {};          // the standard error box, UTF-8
  };
  const Case cases[] = {
      {"inside the phone book",
       "AT+MPBR=31,60",
       {},
       BackupPart::PhoneBook,
       true,
       {"Остановлено: прочитано 60 из 750. Резервная копия не записана."}},
      {"inside the date book",
       "AT+MDBR=3",
       {},
       BackupPart::DateBook,
       true,
       {"Остановлено: прочитано 4 из 100. Резервная копия не записана."}},
      {"between the date book and the inbox",
       "AT+MDBL=0",
       {},
       BackupPart::DateBook,
       true,
       {"Остановлено: прочитано 2 из 6. Резервная копия не записана."}},
      {"inside the inbox",
       "AT+MMGR=2",
       {},
       BackupPart::Inbox,
       true,
       {"Остановлено: прочитано 2 из 4. Резервная копия не записана."}},
      {"after the last message of the drafts",
       "AT+MMGR=21",
       {},
       BackupPart::Drafts,
       true,
       {"Остановлено: прочитано 6 из 6. Резервная копия не записана."}},
      {"the date book refused",
       "",
       {"AT+MDBL=1"},
       BackupPart::DateBook,
       false,
       {},
       "Нет доступа у ежедневнику. Резервная копия не записана: не прочитан ежедневник."},
      {"the outbox refused",
       "",
       {"AT+CPMS=\"OM\""},
       BackupPart::Outbox,
       false,
       {},
       "Проблемы с подключением. 4 Резервная копия не записана: не прочитан раздел «исходящие»."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui_.boxes.clear();
    ui_.errors.clear();
    fs::remove(path("stopped.zip"));
    const std::string stopAt = c.command;
    sim::SimOptions o;
    o.errorOn = c.refused;
    o.onCommand = [this, stopAt](const std::string& command) {
      if (command == stopAt) app_->stop().request();
    };
    startPhone(sim::DemoState(), o);
    app_->LoadPortSettings();
    auto s = sections();
    const std::string file = path("stopped.zip");
    EXPECT_FALSE(BackupPhoneToFile(*app_, s->all(), file, progress_));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(progress_.complete);
    EXPECT_EQ(progress_.stopped, c.stopped);
    EXPECT_EQ(progress_.endedAt, c.endedAt);
    EXPECT_EQ(progress_.part, "");
    EXPECT_FALSE(app_->stop().running());
    std::vector<std::string> texts;
    for (const Box& b : ui_.boxes) texts.push_back(b.text);
    std::vector<std::string> expected;
    for (const std::string& t : c.boxes) expected.push_back(Ru(t));
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(ui_.errors,
              c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{Ru(c.error)});
  }
}

// ---- Writing.

TEST_F(Backup, AFailedWriteLeavesNoFileAndAnEarlierOneAsItWas) {
  PhoneBackup b{"V60", "1", "2026-12-09 01:02:03", {}};
  // Into a folder the user may not write to.
  ::chmod(dir_.c_str(), 0555);
  const auto step = [&] { return Refusal([&] { WriteBackupFile(path("b.zip"), b); }); };
  std::string outcome;
  if (testing::RunningAsRoot()) {
    const testing::ChildResult child = testing::RunUnprivileged(step);
    ASSERT_EQ(child.failure, "");
    outcome = child.output;
  } else {
    outcome = step();
  }
  ::chmod(dir_.c_str(), 0755);
  EXPECT_EQ(outcome, SystemErrorText(EACCES));
  EXPECT_EQ(filesInDir(), std::vector<std::string>{});

  // Over an earlier backup, with a record no reader would take back.
  WriteBackupFile(path("b.zip"), b);
  const std::string earlier = readFile("b.zip");
  BinRecord odd;
  odd.section = "phonebook";
  odd.memory = "XX";
  b.records.push_back(odd);
  EXPECT_EQ(Refusal([&] { WriteBackupFile(path("b.zip"), b); }),
            Ru("Резервная копия не записана: её записи не читаются обратно."));
  EXPECT_EQ(readFile("b.zip"), earlier);
  EXPECT_EQ(filesInDir(), std::vector<std::string>{"b.zip"});
}

// ---- Reading what is no sound backup.

class BackupFileRead : public Backup {
 protected:
  void SetUp() override {
    Backup::SetUp();
    backup_.model = "C350";
    backup_.imei = "35088\t1";
    backup_.time = "2026-12-09 01:02:03";
    const auto record = [](const char* section, const char* memory, std::string status) {
      BinRecord r;
      r.section = section;
      r.operation = "backup";
      r.memory = memory;
      r.time = "2026-12-09 01:02:03";
      r.caption = "Ира";
      r.data = {std::move(status), "+7916", "", "0418"};
      return r;
    };
    backup_.records = {record("phonebook", "ME", "Grouped"),
                       record("phonebook", "SM", "Grouped"),
                       record("datebook", "", ""),
                       record("messages", "IM", "\"REC READ\""),
                       record("messages", "OM", "\"STO SENT\""),
                       record("messages", "OM", "\"STO UNSENT\""),
                       record("messages", "DM", "\"STO UNSENT\"")};
    for (std::size_t k = 0; k < backup_.records.size(); ++k) backup_.records[k].id = k + 1;
    WriteBackupFile(path("good.zip"), backup_);
    good_ = readFile("good.zip");
  }
  // The backup's members with the manifest replaced, as an archive.
  std::string withManifest(const std::string& manifest) const {
    std::vector<BackupMember> m = BackupMembers(backup_, {});
    m.front().bytes = manifest;
    return ZipBackupMembers(m, backup_.time);
  }
  std::string refusal(const std::string& bytes) {
    writeFile("bad.zip", bytes);
    return Refusal([&] { ReadBackupFile(path("bad.zip")); });
  }

  PhoneBackup backup_;
  std::string good_;
};

TEST_F(BackupFileRead, ReadsBackWhatWasWritten) {
  EXPECT_EQ(ReadBackupFile(path("good.zip")), backup_);
  EXPECT_EQ(BackupCounts(backup_).size(), 7u);
  for (const BackupCount& c : BackupCounts(backup_)) EXPECT_EQ(c.count, 1) << c.part;
}

TEST_F(BackupFileRead, DamagedForeignAndNewerFilesAreRefusedWithTheirReason) {
  const std::string file = path("bad.zip");
  const std::string damaged = Ru("Резервная копия ") + file + Ru(" повреждена: ");
  const std::string foreign = Ru("Файл ") + file + Ru(" не является резервной копией Quorvex.");
  const std::string manifest = BackupMembers(backup_, {}).front().bytes;
  std::string badLine = manifest;
  badLine.replace(badLine.find("imei\t"), 4, "IMEI");
  std::string flipped = good_;
  // The first member's deflated bytes start after its 30-byte header and its name.
  flipped[30 + std::string(kManifestMember).size() + 4] ^= 0x20;
  std::string newer = manifest;
  newer.replace(0, 10, "QVBACKUP\t2");

  struct Case {
    const char* what;
    std::string bytes;
    std::string message;
  };
  const Case cases[] = {
      {"empty", "", foreign},
      {"no zip", "BEGIN:VCARD\r\nEND:VCARD\r\n", foreign},
      {"cut short", good_.substr(0, good_.size() / 2), damaged + Ru("архив обрезан или испорчен.")},
      {"its end cut off", good_.substr(0, good_.size() - 1),
       damaged + Ru("архив обрезан или испорчен.")},
      {"a member's bytes flipped", flipped, damaged + Ru("испорчен файл manifest.txt в архиве.")},
      {"a zip of other files", ZipBackupMembers({{"notes.txt", "hello"}}, ""), foreign},
      {"a manifest of another program", withManifest("[manifest]\nversion=1\n"), foreign},
      {"a bad line", withManifest(badLine), damaged + Ru("неверная строка 3 в manifest.txt.")},
      {"without its end line", withManifest(manifest.substr(0, manifest.rfind("end\t"))),
       damaged + Ru("manifest.txt без последней строки.")},
      {"cut inside a line", withManifest(manifest.substr(0, manifest.size() - 1)),
       damaged + Ru("manifest.txt обрывается.")},
      {"a newer version", withManifest(newer),
       Ru("Резервная копия ") + file +
           Ru(" записана более новой версией программы (формат 2); эта версия читает формат 1.")},
  };
  for (const Case& c : cases) EXPECT_EQ(refusal(c.bytes), c.message) << c.what;

  EXPECT_EQ(Refusal([&] { ReadBackupFile(path("none.zip")); }),
            Ru("Файл резервной копии не найден: ") + path("none.zip"));
  fs::create_directory(path("dir.zip"));
  EXPECT_EQ(Refusal([&] { ReadBackupFile(path("dir.zip")); }),
            Ru("Файл ") + path("dir.zip") + Ru(" не является резервной копией Quorvex."));
}

// The manifest's own checks: no single changed byte passes for the backup, whatever it hits.
TEST_F(BackupFileRead, EveryChangedByteOfTheManifestIsRefused) {
  const std::string manifest = FormatManifest(backup_);
  EXPECT_EQ(ParseManifest(manifest, "m"), backup_);
  for (std::size_t k = 0; k < manifest.size(); ++k) {
    for (const char x : {'\x01', '\x20', '\x80'}) {
      std::string changed = manifest;
      changed[k] ^= x;
      EXPECT_THROW(ParseManifest(changed, "m"), EInOutError) << "byte " << k;
    }
  }
}

// Random damage to the archive: each read gives the backup or a clear refusal, never a crash
// or another kind of error.
TEST_F(BackupFileRead, RandomDamageIsRefusedOrHarmless) {
  std::mt19937 random(20261209);
  int refused = 0, read = 0;
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good_;
    const int kind = round % 3;
    if (kind == 0) {
      const int flips = 1 + static_cast<int>(random() % 4);
      for (int f = 0; f < flips; ++f) bytes[random() % bytes.size()] ^= 1 + random() % 255;
    } else if (kind == 1) {
      bytes.resize(random() % bytes.size());
    } else {
      bytes.insert(random() % bytes.size(), std::string(1 + random() % 8, '\0'));
    }
    // A new file each round: truncating the last one would wait for its write to the disk.
    const std::string name = "fuzz" + std::to_string(round) + ".zip";
    writeFile(name, bytes);
    try {
      EXPECT_EQ(ReadBackupFile(path(name)), backup_) << "round " << round;
      ++read;
    } catch (const EInOutError& e) {
      EXPECT_NE(std::string(e.what()).find(path(name)), std::string::npos) << e.what();
      ++refused;
    }
  }
  EXPECT_GT(refused, 250) << read;
}

}  // namespace
}  // namespace quorvex
