// The "Файл" menu's exports and the vCard import in the window: where the items stand, when
// they are enabled, and that each runs its section's export on the file the dialog chose,
// against the simulated demo handset.
#include "app/file_menu.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/section_bindings.h"
#include "backup/backup_file.h"
#include "backup/backup_operation.h"
#include "codec/ru.h"
#include "main_window_fixture.h"
#include "scratch_dir.h"

namespace quorvex {
namespace {

using testing::Box;
using testing::MainWindowTest;

const char* const kFileItems[] = {"mnuVCardExport30", "mnuVCardExport21", "mnuVCardImport",
                                  "mnuICalExport",    "mnuICalImport",    "mnuSMSExportCsv",
                                  "mnuSMSExportMbox"};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// ---- The menu model alone.

TEST_F(MainWindowTest, FileItemsStandUnderFileBeforeTheExit) {
  std::vector<std::string> names;
  for (const MenuItem& item : main().menuEntry("N1").items) names.push_back(item.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{
                "mnuBackUp", "mnuRestore", "mnuVCardExport30", "mnuVCardExport21", "mnuVCardImport",
                "mnuFileDateBook", "mnuICalExport", "mnuICalImport", "mnuFileSMS", "mnuSaveSMS",
                "mnuSMSExportCsv", "mnuSMSExportMbox", "mnuFileBackup", "mnuPhoneBackup",
                "mnuRestoreBackup", "mnuFileBin", "mnuBin", "N11", "mnuExit"}));
  EXPECT_EQ(main().menuItem("mnuPhoneBackup").caption, Ru("Резервная копия телефона..."));
  EXPECT_EQ(main().menuItem("mnuBin").caption, Ru("Корзина..."));
  EXPECT_EQ(main().menuItem("mnuRestoreBackup").caption, Ru("Восстановить из копии..."));
  EXPECT_TRUE(main().isBound("mnuRestoreBackupClick"));
  EXPECT_EQ(main().menuItem("mnuVCardExport30").caption, Ru("Экспорт справочника в vCard 3.0..."));
  EXPECT_EQ(main().menuItem("mnuVCardImport").caption, Ru("Импорт справочника из vCard..."));
  EXPECT_EQ(main().menuItem("mnuICalExport").caption, Ru("Экспорт ежедневника в iCalendar..."));
  EXPECT_EQ(main().menuItem("mnuICalImport").caption, Ru("Импорт ежедневника из iCalendar..."));
  EXPECT_EQ(main().menuItem("mnuSMSExportMbox").caption, Ru("Экспорт SMS в mbox..."));
  EXPECT_TRUE(main().menuEntry("mnuFileSMS").isSeparator());
}

// "Корзина...": the records newest first with the handset they came from, a damaged line
// counted, the buttons following the selection, and a message exported from the dialog.
TEST_F(MainWindowTest, TheBinDialogListsNewestFirstAndExportsMessages) {
  const auto record = [](const char* section, const char* caption, const char* memory) {
    BinRecord r;
    r.time = "2026-12-08 21:00:00";
    r.section = section;
    r.memory = memory;
    r.caption = caption;
    r.text = "text";
    r.model = "C350";
    r.imei = "350881020000000";
    r.data = {"\"REC READ\"", "+79160000001", "26/01/01,10:00:00+04", "0048006900210021"};
    return r;
  };
  std::vector<BinRecord> records = {record("phonebook", "Ivan", "ME"),
                                    record("datebook", "Dentist", ""),
                                    record("messages", "+79160000001", "IM")};
  AppendToBin(main().app.binPath, records);
  std::ofstream(main().app.binPath, std::ios::app) << "not a record\n";
  const std::string csv = path("bin.csv");
  ui_.saves = {csv};
  std::vector<std::string> shown;
  ui_.onModal = [&](ModalDialog& d) {
    auto& bin = dynamic_cast<TfrmBin&>(d);
    for (const ListRow& row : bin.lvBin.rows)
      shown.push_back(row.caption + " " + row.subItems[2].text);
    EXPECT_EQ(bin.lvBin.rows[0].subItems[4].text, "C350, IMEI 350881020000000");
    EXPECT_EQ(bin.lblSummary.caption, Ru("Записей: 3, повреждённых строк пропущено: 1"));
    EXPECT_FALSE(bin.btnRestore.enabled);
    bin.lvBin.rows[0].selected = true;
    bin.lvBinSelectItem();
    EXPECT_TRUE(bin.btnRestore.enabled);
    EXPECT_TRUE(bin.btnExportCsv.enabled);
    bin.btnExportClick(ui_, sms::MessageFormat::Csv);
    bin.btnCloseClick();
  };
  main().clickMenu("mnuBin");
  EXPECT_EQ(shown, (std::vector<std::string>{"3 +79160000001", "2 Dentist", "1 Ivan"}));
  EXPECT_NE(ReadFile(csv).find("Hi!!"), std::string::npos) << ReadFile(csv);
  EXPECT_EQ(
      ui_.boxes,
      (std::vector<Box>{{Ru("Сообщений записано: 1."), MsgKind::Information, MsgButtons::Ok}}));
}

struct SectionCase {
  Section section;
  bool phoneBook, dateBook, sms;  // the three groups of file items
};

class FileItemsPerSection : public MainWindowTest,
                            public ::testing::WithParamInterface<SectionCase> {};

TEST_P(FileItemsPerSection, EnabledWithTheirSectionOnly) {
  startWithoutPhone();
  const SectionCase& c = GetParam();
  // From every other section, so that each item is seen turned on and off.
  for (Section from : {Section::Terminal, Section::PhoneBook, Section::DateBook, Section::SMS}) {
    main().click(SectionButton(from));
    main().click(SectionButton(c.section));
    for (const char* name : FileItemsOf(Section::PhoneBook))
      EXPECT_EQ(main().menuItem(name).enabled, c.phoneBook) << name;
    for (const char* name : FileItemsOf(Section::DateBook))
      EXPECT_EQ(main().menuItem(name).enabled, c.dateBook) << name;
    for (const char* name : FileItemsOf(Section::SMS))
      EXPECT_EQ(main().menuItem(name).enabled, c.sms) << name;
    // They follow the section's own file items.
    EXPECT_EQ(main().menuItem("mnuBackUp").enabled, c.phoneBook);
    EXPECT_EQ(main().menuItem("mnuSaveSMS").enabled, c.sms);
    EXPECT_EQ(main().menuItem("mnuDateBook").enabled, c.dateBook);
  }
}

INSTANTIATE_TEST_SUITE_P(Sections, FileItemsPerSection,
                         ::testing::Values(SectionCase{Section::Terminal, false, false, false},
                                           SectionCase{Section::PhoneInfo, false, false, false},
                                           SectionCase{Section::PhoneBook, true, false, false},
                                           SectionCase{Section::DateBook, false, true, false},
                                           SectionCase{Section::SMS, false, false, true}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST_F(MainWindowTest, AfterStartUpOnlyThePhoneBookFileItemsAreEnabled) {
  startWithoutPhone();
  for (const char* name : kFileItems)
    EXPECT_EQ(main().menuItem(name).enabled, std::string(name).rfind("mnuVCard", 0) == 0) << name;
  // A disabled item runs nothing.
  main().clickMenu("mnuICalExport");
  main().clickMenu("mnuSMSExportCsv");
  EXPECT_TRUE(trace_.empty());
  main().clickMenu("mnuVCardExport21");
  EXPECT_EQ(trace_, std::vector<std::string>{"mnuVCardExport21Click"});
}

// ---- With the sections bound, against the demo handset.

class FileMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::quorvex::testing::MakeScratchDir("qv-file-menu");
    phone_.start();
    SavePortSettings({phone_.slavePath(), 115200, 3000}, path("portcfg.ini"));
    main_ = std::make_unique<TfrmMain>(ui_, path("portcfg.ini"));
    main_->messages.archivePath = path("sms_archive.txt");
    sections_ = std::make_unique<SectionBindings>(*main_);
    main_->FormCreate();
    ASSERT_TRUE(ui_.errors.empty()) << ui_.errors.front();
  }
  void TearDown() override {
    sections_.reset();
    main_.reset();
    std::filesystem::remove_all(dir_);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  TfrmMain& main() { return *main_; }
  void readInbox() {
    main().click("sbSMS");
    main().tvSMSSelected = sms::kIncoming;
    main().fire("tvSMSClick");
    ASSERT_FALSE(main().lvSMS.rows.empty());
  }
  std::size_t boxesBefore() const { return ui_.boxes.size(); }

  std::filesystem::path dir_;
  testing::RecordingUi ui_;
  sim::PhoneSim phone_;
  std::unique_ptr<TfrmMain> main_;
  std::unique_ptr<SectionBindings> sections_;
};

struct ExportCase {
  const char* name;
  const char* item;
  Section section;
  std::string filter;  // the save dialog's filter and default extension
  std::string fileStart;
  std::string box;    // how the box begins; the file's path and the count follow
  std::string count;  // the count's label
  std::string unit;   // the line that begins each exported item in the file; empty: no count
};

std::size_t LinesStartingWith(const std::string& text, const std::string& start) {
  std::size_t n = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (text.compare(at, start.size(), start) == 0) ++n;
    const std::size_t lf = text.find('\n', at);
    if (lf == std::string::npos) break;
    at = lf + 1;
  }
  return n;
}

class ExportItem : public FileMenuTest, public ::testing::WithParamInterface<ExportCase> {
 protected:
  // Reads what the item exports.
  void prepare(Section s) {
    if (s == Section::PhoneBook) {
      main().click("sbReadAll");
      ASSERT_FALSE(main().ListView1.rows.empty());
    } else if (s == Section::DateBook) {
      main().click("sbDateBook");  // showing the section reads the date book
      ASSERT_FALSE(main_->dateBook.Events.empty());
    } else {
      readInbox();
    }
    ASSERT_TRUE(ui_.errors.empty()) << ui_.errors.front();
  }
};

TEST_P(ExportItem, WritesTheChosenFileAndSaysSo) {
  const ExportCase& c = GetParam();
  prepare(c.section);
  const std::string file = path(std::string("out-") + c.name);
  ui_.saves = {file};
  const std::size_t before = boxesBefore();
  main().clickMenu(c.item);
  ASSERT_TRUE(ui_.errors.empty()) << ui_.errors.front();
  ASSERT_EQ(ui_.saveFilters.size(), 1u);
  EXPECT_EQ(ui_.saveFilters[0] + " " + ui_.saveExts[0], c.filter);
  const std::string written = ReadFile(file);
  EXPECT_EQ(written.substr(0, c.fileStart.size()), c.fileStart);
  // The count the box tells is what the list shows, and what the file holds.
  const std::size_t shown = c.section == Section::PhoneBook  ? main().ListView1.rows.size()
                            : c.section == Section::DateBook ? main_->dateBook.Events.size()
                                                             : main().lvSMS.rows.size();
  if (!c.unit.empty()) {
    EXPECT_EQ(LinesStartingWith(written, c.unit), shown);
  }
  ASSERT_EQ(ui_.boxes.size(), before + 1);
  const Box& box = ui_.boxes.back();
  EXPECT_EQ(box.text, c.box + file + "\r\n" + c.count + std::to_string(shown));
  EXPECT_EQ(box.kind, MsgKind::Information);
  EXPECT_EQ(box.buttons, MsgButtons::Ok);
}

TEST_P(ExportItem, ACancelledFileDialogWritesNothingAndSaysNothing) {
  const ExportCase& c = GetParam();
  prepare(c.section);
  const std::size_t before = boxesBefore();
  ui_.saves = {std::nullopt};
  main().clickMenu(c.item);
  EXPECT_EQ(ui_.saveFilters.size(), 1u) << "the dialog was asked";
  EXPECT_EQ(ui_.boxes.size(), before);
  EXPECT_TRUE(ui_.errors.empty());
  for (const auto& entry : std::filesystem::directory_iterator(dir_))
    EXPECT_EQ(entry.path().filename().string().rfind("out-", 0), std::string::npos) << entry.path();
}

// An export of an unread section asks for no file.
TEST_P(ExportItem, NothingReadIsNothingToSave) {
  const ExportCase& c = GetParam();
  main().click(SectionButton(c.section));
  // Showing the date book reads it; this stands for a read of an empty date book.
  if (c.section == Section::DateBook) main_->dateBook.Events.clear();
  ui_.boxes.clear();
  ui_.saves = {path("never")};
  main().clickMenu(c.item);
  EXPECT_TRUE(ui_.saveFilters.empty());
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, Ru("Список пуст, сохранять нечего !"));
  EXPECT_FALSE(std::filesystem::exists(path("never")));
}

INSTANTIATE_TEST_SUITE_P(
    Items, ExportItem,
    ::testing::Values(
        ExportCase{"VCard30", "mnuVCardExport30", Section::PhoneBook,
                   "vCard files (*.vcf)|*.vcf|All files (*.*)|*.* *.vcf",
                   "BEGIN:VCARD\r\nVERSION:3.0\r\n", Ru("Справочник записан в файл:\r\n"),
                   Ru("Записей: "), "BEGIN:VCARD"},
        ExportCase{"VCard21", "mnuVCardExport21", Section::PhoneBook,
                   "vCard files (*.vcf)|*.vcf|All files (*.*)|*.* *.vcf",
                   "BEGIN:VCARD\r\nVERSION:2.1\r\n", Ru("Справочник записан в файл:\r\n"),
                   Ru("Записей: "), "BEGIN:VCARD"},
        ExportCase{"ICal", "mnuICalExport", Section::DateBook,
                   "iCalendar files (*.ics)|*.ics|All files (*.*)|*.* *.ics", "BEGIN:VCALENDAR\r\n",
                   Ru("Ежедневник записан в файл:\r\n"), Ru("Событий: "), "BEGIN:VEVENT"},
        ExportCase{"Csv", "mnuSMSExportCsv", Section::SMS,
                   "CSV files (*.csv)|*.csv|All files (*.*)|*.* *.csv",
                   "\xEF\xBB\xBF\"\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\"",  // BOM, "Папка"
                   Ru("Сообщения записаны в файл:\r\n"), Ru("Сообщений: "), ""},
        ExportCase{"Mbox", "mnuSMSExportMbox", Section::SMS,
                   "mbox files (*.mbox)|*.mbox|All files (*.*)|*.* *.mbox", "From ",
                   Ru("Сообщения записаны в файл:\r\n"), Ru("Сообщений: "), "From "}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The phone backup.

TEST_F(FileMenuTest, ThePhoneBackupProposesANameReadsEverythingAndTellsTheCounts) {
  main().app.handset = {"C350", "350881020000000"};
  std::vector<std::string> proposed;
  main().chooseBackupFile = [&](const std::string& name) -> std::optional<std::string> {
    proposed.push_back(name);
    if (proposed.size() == 1) return std::nullopt;
    return path("phone.zip");
  };
  // A cancelled dialog reads nothing.
  phone_.clearTranscript();
  main().clickMenu("mnuPhoneBackup");
  EXPECT_TRUE(phone_.transcript().empty());

  std::set<std::string> statuses;
  ui_.onPump = [&] { statuses.insert(main().statusText()); };
  const std::size_t before = boxesBefore();
  main().clickMenu("mnuPhoneBackup");
  ui_.onPump = nullptr;
  ASSERT_TRUE(ui_.errors.empty()) << ui_.errors.front();
  EXPECT_EQ(proposed, std::vector<std::string>(2, "quorvex-C350-2026-03-05.zip"));
  const PhoneBackup b = ReadBackupFile(path("phone.zip"));
  EXPECT_EQ(b.imei, "350881020000000");
  EXPECT_EQ(b.records.size(), 28u);
  ASSERT_EQ(ui_.boxes.size(), before + 1);
  EXPECT_EQ(ui_.boxes.back(), (testing::Box{Ru("Резервная копия телефона записана в файл:\r\n") +
                                                path("phone.zip") + "\r\n" + BackupSummary(b),
                                            MsgKind::Information, MsgButtons::Ok}));
  // The window's sections show what was read, and the status bar said which part ran.
  EXPECT_EQ(main().ListView1.rows.size(), 13u);
  EXPECT_EQ(main().lvEvent.rows.size(), 6u);
  for (const char* status : {"Резервная копия телефона, 1 из 6: Чтение справочника…",
                             "Резервная копия телефона, 2 из 6: Чтение ежедневника…",
                             "Резервная копия телефона, 6 из 6: Чтение сообщений…"})
    EXPECT_EQ(statuses.count(Ru(status)), 1u) << status;
  EXPECT_EQ(main().statusText(), "");
}

TEST(BackupName, IsTheModelAndTheDate) {
  const LocalTime day{2026, 1, 2, 23, 59, 0};
  EXPECT_EQ(DefaultBackupName("C350", day), "quorvex-C350-2026-01-02.zip");
  EXPECT_EQ(DefaultBackupName("", day), "quorvex-2026-01-02.zip");
  EXPECT_EQ(DefaultBackupName("V60/../x y", day), "quorvex-V60_.._x_y-2026-01-02.zip");
}

// ---- The import.

class ImportItem : public FileMenuTest {
 protected:
  std::vector<std::string> writes() const {
    std::vector<std::string> w;
    for (const std::string& c : phone_.transcript())
      if (c.rfind("AT+MPBW=", 0) == 0) w.push_back(c);
    return w;
  }
  std::string card() {
    const std::string file = path("in.vcf");
    std::ofstream(file, std::ios::binary)
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ivan Petrov\r\nTEL;TYPE=CELL:+79160000001\r\n"
           "END:VCARD\r\n";
    return file;
  }
};

TEST_F(ImportItem, ACancelledFileDialogSendsNothing) {
  main().click("sbReadAll");
  phone_.clearTranscript();
  ui_.opens = {std::nullopt};
  main().clickMenu("mnuVCardImport");
  EXPECT_EQ(ui_.openFilters, std::vector<std::string>{phonebook::kVCardFilter});
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_TRUE(phone_.transcript().empty());
  EXPECT_TRUE(ui_.errors.empty());
}

struct ImportCase {
  const char* name;
  bool write;  // "Записать", else "Отмена"
  std::size_t writes;
};

class ImportPreview : public ImportItem, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(ImportPreview, ThePreviewDecidesWhetherTheHandsetIsWritten) {
  main().click("sbReadAll");
  const std::size_t rows = main().ListView1.rows.size();
  ui_.opens = {card()};
  int shownRows = -1;
  ui_.onModal = [&](ModalDialog& d) {
    auto& preview = dynamic_cast<phonebook::TfrmImportVCard&>(d);
    shownRows = static_cast<int>(preview.Plan.rows().size());
    if (GetParam().write)
      preview.btnWriteClick();
    else
      preview.btnCancelClick();
  };
  main().clickMenu("mnuVCardImport");
  ASSERT_TRUE(ui_.errors.empty()) << ui_.errors.front();
  EXPECT_EQ(ui_.shown, std::vector<std::string>{"TfrmImportVCard"});
  EXPECT_EQ(shownRows, 1) << "one number of one card";
  EXPECT_EQ(writes().size(), GetParam().writes);
  // The window's list shows what was written, as the section holds it.
  EXPECT_EQ(main().ListView1.rows.size(), rows + GetParam().writes);
  EXPECT_EQ(main().ListView1.rows.size(), sections_->phoneBook->section.ListView1.rows.size());
}

INSTANTIATE_TEST_SUITE_P(Buttons, ImportPreview,
                         ::testing::Values(ImportCase{"Write", true, 1},
                                           ImportCase{"Cancel", false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvex
