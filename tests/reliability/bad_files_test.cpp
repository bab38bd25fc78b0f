// Files the user or the disk got wrong: portcfg.ini, sms_archive.txt and phone book files
// that are empty, cut off inside a line, binary noise with NUL bytes, 100 MB long, hold one
// line of 1 MB, or cannot be read. Each cell runs the real operation in a child process, so
// a crash fails only its cell and the peak memory of the operation is measured from a fresh
// process: what the user is told, what the operation leaves behind, and that memory and time
// stay bounded.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../messages/sms_fixture.h"
#include "../phonebook/phonebook_fixture.h"
#include "codec/errors.h"
#include "codec/ru.h"
#include "messages/sms_archive.h"
#include "phonebook/phonebook_file.h"
#include "serial/port_settings.h"
#include "unprivileged.h"

#include "under_asan.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using SmsHarness = quorvex::testing::SmsTest;

constexpr std::size_t kLongLine = 1u << 20;

#ifdef QUORVEX_UNDER_ASAN
// The sanitizer build makes its huge files a quarter as long, to stay quick. ASan keeps freed
// blocks in quarantine and adds redzones: the bounds allow for that, while a copy of the
// huge file more than once still fails them.
constexpr std::size_t kHugeBytes = 25u << 20;
constexpr long kSlackKb = 300 * 1024;
constexpr double kTimeScale = 6.0;
#else
constexpr std::size_t kHugeBytes = 100u << 20;
constexpr long kSlackKb = 0;
constexpr double kTimeScale = 1.0;
#endif

// ---------------------------------------------------------------------------------------
// What a cell is made of.

enum class Kind { PortSettings, ArchiveView, ArchiveRead, PhoneBookLoad };
enum class Bad { Empty, Truncated, Binary, Huge, LongLine, NoPermission, Directory, ManyLines };

const char* KindName(Kind k) {
  switch (k) {
    case Kind::PortSettings:
      return "PortSettings";
    case Kind::ArchiveView:
      return "ArchiveView";
    case Kind::ArchiveRead:
      return "ArchiveRead";
    case Kind::PhoneBookLoad:
      return "PhoneBookLoad";
  }
  return "?";
}

const char* BadName(Bad b) {
  switch (b) {
    case Bad::Empty:
      return "Empty";
    case Bad::Truncated:
      return "Truncated";
    case Bad::Binary:
      return "Binary";
    case Bad::Huge:
      return "Huge";
    case Bad::LongLine:
      return "LongLine";
    case Bad::NoPermission:
      return "NoPermission";
    case Bad::Directory:
      return "Directory";
    case Bad::ManyLines:
      return "ManyLines";
  }
  return "?";
}

// Bytes shown in an outcome: control bytes as \xNN, long texts by their length and ends, so
// that a 1 MB field is compared without printing it.
std::string Show(const std::string& s) {
  std::string body = s;
  std::string prefix;
  if (s.size() > 200) {
    prefix = "<" + std::to_string(s.size()) + " bytes>";
    body = s.substr(0, 16) + "..." + s.substr(s.size() - 16);
  }
  std::string out;
  for (const char c : body) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 32 || b == 127) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    } else {
      out += c;
    }
  }
  return prefix + out;
}

// ---------------------------------------------------------------------------------------
// The files. The 100 MB ones are written once per run of this binary, in pieces, and
// removed when it ends.

const std::string kPortFile = "[PORT CONFIG]\r\n" + std::string("Port=COM3") + Ru("; - имя порта") +
                              "\r\nBaudRate=19200" + Ru("; - скорость порта") + "\r\nTimeOut=3000" +
                              Ru("; - задержка") + "\r\n";

// The fields of record k of the huge archive, and its line as the folder read writes it.
struct ArchiveParts {
  std::string number, when, text;
};
ArchiveParts PartsOf(std::size_t k) {
  char when[32];
  // One message a second: every record has a date/time of its own, as in a real archive.
  std::snprintf(when, sizeof when, "%02zu/%02zu/%02zu,%02zu:%02zu:%02zu+12", 10 + k / 29030400,
                1 + k / 2419200 % 12, 1 + k / 86400 % 28, k / 3600 % 24, k / 60 % 60, k % 60);
  static const std::string balance = Ru("Баланс "), thanks = Ru(" руб. Спасибо, что вы с нами!");
  return {"+7916" + std::to_string(1000000 + k), when, balance + std::to_string(k) + thanks};
}
std::string ArchiveLine(std::size_t k) {
  const ArchiveParts p = PartsOf(k);
  return p.number + ";" + p.when + ";" + p.text + "\r\n";
}

class HugeFiles : public ::testing::Environment {
 public:
  static HugeFiles* instance;
  HugeFiles() { instance = this; }
  std::size_t archiveRecords = 0;
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  const std::string& path(Kind kind) {
    auto found = paths_.find(kind);
    if (found != paths_.end()) return found->second;
    if (dir_.empty()) {
      dir_ = fs::temp_directory_path() / ("qv-huge-" + std::to_string(::getpid()));
      fs::create_directories(dir_);
    }
    const std::string p = (dir_ / KindName(kind)).string();
    std::ofstream out(p, std::ios::binary);
    std::size_t written = 0;
    auto put = [&](const std::string& piece) {
      out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      written += piece.size();
    };
    switch (kind) {
      case Kind::PortSettings: {
        // An ignored first line of 100 MB, then the three settings.
        const std::string blanks(1 << 20, ' ');
        put("[PORT CONFIG]");
        while (written + blanks.size() < kHugeBytes) put(blanks);
        put(kPortFile.substr(kPortFile.find("\r\n")));
        break;
      }
      case Kind::ArchiveView:
      case Kind::ArchiveRead: {
        if (kind == Kind::ArchiveRead) return paths_[kind] = path(Kind::ArchiveView);
        std::string chunk;
        for (std::size_t k = 0; written + chunk.size() < kHugeBytes; ++k) {
          chunk += ArchiveLine(k);
          ++archiveRecords;
          if (chunk.size() > (1 << 16)) {
            put(chunk);
            chunk.clear();
          }
        }
        put(chunk);
        break;
      }
      case Kind::PhoneBookLoad: {
        // Well-formed lines, far more than any handset holds.
        std::string chunk;
        for (std::size_t k = 0; k < 4096; ++k)
          chunk += "PHONE;" + std::to_string(1 + k % 10) + ";Name;+7916" + std::to_string(k) +
                   ";3;0;255;0;1;0;0;255;0\r\n";
        while (written < kHugeBytes) put(chunk);
        break;
      }
    }
    return paths_[kind] = p;
  }

 private:
  fs::path dir_;
  std::map<Kind, std::string> paths_;
};
HugeFiles* HugeFiles::instance = nullptr;
[[maybe_unused]] ::testing::Environment* const kHugeFiles =
    ::testing::AddGlobalTestEnvironment(new HugeFiles);

// The content of a small bad file of a kind.
std::string SmallContent(Kind kind, Bad bad) {
  const bool archive = kind == Kind::ArchiveView || kind == Kind::ArchiveRead;
  switch (bad) {
    case Bad::Empty:
      return "";
    case Bad::Truncated:
      if (kind == Kind::PortSettings)
        return "[PORT CONFIG]\r\nPort=COM3" + Ru("; - имя порта") + "\r\nBaudRate=19200" +
               Ru("; - ско");
      if (archive) return "+7916;26/11/28,12:00:00+12;first\r\n+7495;26/11;sec";
      return "PHONE;1;A;+1;3;0;255;0;1;0;0;255;0\r\nPHONE;2;B;22;3;0;25";
    case Bad::Binary:
      if (kind == Kind::PortSettings)
        return std::string(
            "\x00\xFF\x01[\r\n\x00\x00\x00\x00\x00"
            "CO\x00M\r\nBaudRate=\x00\x7F\r\n",
            30);
      if (archive)
        return std::string(
            "\x00;\xFF\x00;a\x00"
            "b\r\n\x01\x02\r\n",
            14);
      return std::string("\xFF\x00;\x00\x01;x\r\n", 9);
    case Bad::ManyLines: {
      // Just under the size a load reads: one entry written over and over.
      const std::string line = "PHONE;1;Name;+7916;3;0;255;0;1;0;0;255;0\r\n";
      std::string content;
      while (content.size() + line.size() < (15u << 20)) content += line;
      return content;
    }
    case Bad::LongLine:
      if (kind == Kind::PortSettings)
        return "[PORT CONFIG]\r\nPort=" + std::string(kLongLine, 'x') + Ru("; - имя порта") +
               "\r\nBaudRate=19200\r\nTimeOut=3000\r\n";
      // The archive's long line has no line end: the file was cut while it was written.
      if (archive) return "+7916;26/11/29,08:00:00+12;" + std::string(kLongLine, 'a');
      return "PHONE;1;" + std::string(kLongLine, 'n') + ";+1;3;0;255;0;1;0;0;255;0\r\n";
    default:
      return kind == Kind::PortSettings ? kPortFile : "1;d;t\r\n";
  }
}

// Puts the bad file at `where`. Returns a reason to skip the cell, or empty.
std::string MakeBadFile(Kind kind, Bad bad, const std::string& where) {
  fs::remove_all(where);
  if (bad == Bad::Directory) {
    fs::create_directory(where);
    return "";
  }
  if (bad == Bad::Huge) {
    fs::create_symlink(HugeFiles::instance->path(kind), where);
    return "";
  }
  std::ofstream(where, std::ios::binary) << SmallContent(kind, bad);
  if (bad == Bad::NoPermission) {
    ::chmod(where.c_str(), 0);
    // Root runs the operation in a child that has dropped to an unprivileged user.
    if (!testing::RunningAsRoot() && ::access(where.c_str(), R_OK) == 0)
      return "a file of mode 000 stays readable to this user";
  }
  return "";
}

// ---------------------------------------------------------------------------------------
// Running one operation in a child and measuring it.

struct Measured {
  std::string outcome;
  long peakGrowthKb = 0;
  double seconds = 0;
  std::string died;  // why the child ended abnormally, empty when it reported
};

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(in, line))
    if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  return -1;
}

// prepare() sets up what the operation needs (a simulated handset, the bad file); run()
// is the operation, whose memory is measured from a fresh high-water mark.
// An unprivileged run drops root after the preparation, which may need it.
Measured InChild(const std::function<void()>& prepare, const std::function<std::string()>& run,
                 bool unprivileged) {
  int fds[2];
  if (::pipe(fds) != 0) return {"", 0, 0, "no pipe"};
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::string report;
    try {
      prepare();
      if (unprivileged) {
        const std::string why = testing::DropToUnprivilegedUser();
        if (!why.empty()) throw std::runtime_error(why);
      }
      // Reset the high-water mark to the present size, where the kernel allows it; the
      // fork has set it to the size at the fork anyway.
      if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
      }
      const long before = StatusKb("VmRSS");
      const auto start = std::chrono::steady_clock::now();
      const std::string outcome = run();
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      report = std::to_string(StatusKb("VmHWM") - before) + " " + std::to_string(seconds) + "\n" +
               outcome;
    } catch (const std::exception& e) {
      report = "0 0\nthe harness failed: " + std::string(e.what());
    }
    std::size_t done = 0;
    while (done < report.size()) {
      const ssize_t n = ::write(fds[1], report.data() + done, report.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  Measured m;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || report.empty()) {
    m.died = WIFSIGNALED(status) ? "killed by signal " + std::to_string(WTERMSIG(status))
                                 : "exit status " + std::to_string(WEXITSTATUS(status));
    return m;
  }
  std::istringstream head(report.substr(0, report.find('\n')));
  head >> m.peakGrowthKb >> m.seconds;
  m.outcome = report.substr(report.find('\n') + 1);
  return m;
}

// ---------------------------------------------------------------------------------------
// The operations, each summed up as one outcome text.

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
    return "";
  } catch (const EConvertError& e) {
    return "; raises EConvertError " + Show(e.what());
  } catch (const EInOutError& e) {
    return "; raises EInOutError " + Show(e.what());
  } catch (const std::exception& e) {
    return "; raises something else " + Show(e.what());
  }
}

std::string OutcomeOfPortSettings(const std::string& file) {
  PortSettings s{"OLD", 1, 2};
  const std::string error = ErrorOf([&] { LoadPortSettings(s, file); });
  return "port=" + Show(s.PortName) + " baud=" + std::to_string(s.BaudRate) +
         " timeout=" + std::to_string(s.TimeOut) + error;
}

std::string RowText(const ListRow& row) {
  std::string out = "[";
  for (std::size_t c = 0; c < row.subItems.size(); ++c)
    out += (c ? "|" : "") + Show(row.subItems[c].text);
  return out + "]";
}

// The number of rows, and the first and the last.
std::string RowsOutcome(const ListModel& list) {
  std::string out = "rows=" + std::to_string(list.rows.size());
  if (!list.rows.empty()) out += " " + RowText(list.rows.front());
  if (list.rows.size() > 1) out += " " + RowText(list.rows.back());
  return out;
}

std::string Boxes(const std::vector<phonebook::testing::Box>& boxes) {
  std::string out;
  for (const auto& b : boxes) out += "; box " + Show(b.text);
  return out;
}

constexpr const char* kWhen = "26/11/28,12:00:00+12";

sim::HandsetState OneIncoming() {
  sim::HandsetState s = sim::EmptyState();
  s.messages[3] = testing::Msg(sim::MessageStore::Incoming, sim::MessageStatus::RecRead,
                               "+79168900100", kWhen, "Balance 150");
  return s;
}

// ---------------------------------------------------------------------------------------
// The table.

struct Cell {
  Kind kind;
  Bad bad;
  std::string expected;  // the outcome
  long maxGrowthMb;      // bound of the peak memory growth while the operation runs
  double maxSeconds;     // bound of its time in the normal build
};

std::ostream& operator<<(std::ostream& o, const Cell& c) {
  return o << KindName(c.kind) << "/" << BadName(c.bad);
}

std::string Convert(const std::string& text) {
  return "; raises EConvertError '" + text + "' is not a valid integer value";
}
std::string InOut(const std::string& text) {
  return "; raises EInOutError " + text;
}

const std::string kArchived = "+79168900100;" + std::string(kWhen) + ";Balance 150\r\n";

std::vector<Cell> Cells() {
  const std::string a = "|" + Ru("архив") + "|", saved = "|" + Ru("сохранено") + "|";
  const std::string mb = "<1048576 bytes>";
  return {
      // portcfg.ini: only fixed positions of lines 2 to 4 count; a field read stays read when
      // a later one fails.
      {Kind::PortSettings, Bad::Empty, "port= baud=1 timeout=2" + Convert(""), 4, 2},
      {Kind::PortSettings, Bad::Truncated, "port=COM3 baud=19200 timeout=2" + Convert(""), 4, 2},
      {Kind::PortSettings, Bad::Binary, "port=CO\\x00M baud=1 timeout=2" + Convert("\\x7F"), 4, 2},
      // The first line is never looked at, however long it is.
      {Kind::PortSettings, Bad::Huge, "port=COM3 baud=19200 timeout=3000", 8, 3},
      {Kind::PortSettings, Bad::LongLine,
       "port=" + mb + "xxxxxxxxxxxxxxxx...xxxxxxxxxxxxxxxx baud=19200 timeout=3000", 12, 2},
      {Kind::PortSettings, Bad::NoPermission,
       "port=OLD baud=1 timeout=2" + InOut("Permission denied"), 4, 2},
      {Kind::PortSettings, Bad::Directory, "port=OLD baud=1 timeout=2" + InOut("Is a directory"), 4,
       2},

      // The archive view: a row per line that is not empty, split at its first two ";".
      {Kind::ArchiveView, Bad::Empty, "rows=0", 4, 2},
      {Kind::ArchiveView, Bad::Truncated,
       "rows=2 [+7916|" + std::string(kWhen) + a + "5" + saved + "first] [+7495|26/11" + a + "3" +
           saved + "sec]",
       4, 2},
      {Kind::ArchiveView, Bad::Binary,
       "rows=2 [\\x00|\xFF\\x00" + a + "3" + saved + "a\\x00b] [|" + a + "2" + saved +
           "\\x01\\x02]",
       4, 2},
      // The view lists the newest records and tells how many more the file holds.
      {Kind::ArchiveView, Bad::Huge, "", 120, 8},
      {Kind::ArchiveView, Bad::LongLine,
       "rows=1 [+7916|26/11/29,08:00:00+12" + a + "1048576" + saved + mb +
           "aaaaaaaaaaaaaaaa...aaaaaaaaaaaaaaaa]",
       12, 2},
      {Kind::ArchiveView, Bad::NoPermission, "rows=1 [old]" + InOut("Permission denied"), 4, 2},
      {Kind::ArchiveView, Bad::Directory, "rows=1 [old]" + InOut("Is a directory"), 4, 2},

      // Reading the incoming folder: the archive is read before the port is opened, and the
      // message it does not hold yet is appended, on a line of its own.
      {Kind::ArchiveRead, Bad::Empty, "rows=1 appended=" + Show(kArchived), 6, 3},
      // The record before the cut has the message's date/time: the message is known.
      {Kind::ArchiveRead, Bad::Truncated, "rows=1 appended=", 6, 3},
      {Kind::ArchiveRead, Bad::Binary, "rows=1 appended=" + Show(kArchived), 6, 3},
      // Only the date/times are kept of the archive's records.
      {Kind::ArchiveRead, Bad::Huge, "rows=1 appended=" + Show(kArchived), 16, 5},
      {Kind::ArchiveRead, Bad::LongLine, "rows=1 appended=" + Show("\r\n" + kArchived), 12, 3},
      {Kind::ArchiveRead, Bad::NoPermission, "rows=0 appended= sent=0" + InOut("Permission denied"),
       6, 3},
      {Kind::ArchiveRead, Bad::Directory, "rows=0 appended= sent=0" + InOut("Is a directory"), 6,
       3},

      // Loading a phone book file: a line that does not convert ends the load in its reading
      // phase, with nothing written; the list was emptied before the file was read.
      {Kind::PhoneBookLoad, Bad::Empty, "rows=0 written=0" + Convert(""), 6, 5},
      {Kind::PhoneBookLoad, Bad::Truncated, "rows=0 written=0" + Convert(""), 6, 5},
      {Kind::PhoneBookLoad, Bad::Binary, "rows=0 written=0" + Convert("#0\\x01"), 6, 5},
      // Far more than a handset holds: refused before it is read.
      {Kind::PhoneBookLoad, Bad::Huge, "", 6, 5},
      // The handset refuses a name of 1 MB; the load tells so and lists nothing.
      {Kind::PhoneBookLoad, Bad::LongLine,
       "rows=0 written=1; box " + Ru("Телефон не принял записей: 1. Они не записаны и в список не "
                                     "внесены."),
       24, 5},
      // A file a load still reads, of one line repeated: the later line for a slot replaces
      // the earlier, and what waits for the table is no more than the table.
      {Kind::PhoneBookLoad, Bad::ManyLines, "rows=1 written=1", 48, 5},
      {Kind::PhoneBookLoad, Bad::NoPermission, "rows=0 written=0" + InOut("Permission denied"), 6,
       5},
      {Kind::PhoneBookLoad, Bad::Directory, "rows=0 written=0" + InOut("Is a directory"), 6, 5},
  };
}

class BadFile : public SmsHarness, public ::testing::WithParamInterface<Cell> {};

TEST_P(BadFile, GivesTheStatedOutcomeInBoundedMemoryAndTime) {
  const Cell& cell = GetParam();
  const std::string file = cell.kind == Kind::PortSettings    ? path("portcfg.ini")
                           : cell.kind == Kind::PhoneBookLoad ? path("book.csv")
                                                              : path("sms_archive.txt");
  const std::string skip = MakeBadFile(cell.kind, cell.bad, file);
  if (!skip.empty()) GTEST_SKIP() << skip;
  std::uintmax_t hugeSize = 0;
  if (cell.bad == Bad::Huge) hugeSize = fs::file_size(file);

  std::function<void()> prepare;
  std::function<std::string()> run;
  std::unique_ptr<phonebook::testing::Handset> book;
  // The handset's folder is made in the child, which ends without cleaning up: the parent
  // names it and removes it.
  const fs::path bookDir = phonebook::testing::ScratchDir();
  switch (cell.kind) {
    case Kind::PortSettings:
      prepare = [] {};
      run = [&] { return OutcomeOfPortSettings(file); };
      break;
    case Kind::ArchiveView:
      prepare = [this] { section_.lvSMS.add("9").subItems.push_back({"old", kNoImage}); };
      run = [this] {
        const std::string error = ErrorOf([&] {
          section_.selectNode(sms::kArchive);
          section_.tvSMSClick(*app_);
        });
        std::string boxes;
        for (const auto& b : ui_.boxes) boxes += "; box " + Show(b.text);
        return RowsOutcome(section_.lvSMS) + boxes + error;
      };
      break;
    case Kind::ArchiveRead:
      prepare = [this] { ::chmod(startPhone(OneIncoming()).slavePath().c_str(), 0666); };
      run = [&, this] {
        const std::uintmax_t before = cell.bad == Bad::Directory ? 0 : fs::file_size(file);
        const std::string error = ErrorOf([&] {
          section_.selectNode(sms::kIncoming);
          section_.tvSMSClick(*app_);
        });
        std::string appended;
        if (cell.bad != Bad::Directory && cell.bad != Bad::NoPermission) {
          std::ifstream in(file, std::ios::binary);
          in.seekg(static_cast<std::streamoff>(before));
          appended.assign(std::istreambuf_iterator<char>(in), {});
        }
        std::string out =
            "rows=" + std::to_string(section_.lvSMS.rows.size()) + " appended=" + Show(appended);
        if (!error.empty()) out += " sent=" + std::to_string(transcript().size());
        return out + error;
      };
      break;
    case Kind::PhoneBookLoad:
      prepare = [&] {
        book = std::make_unique<phonebook::testing::Handset>(
            "V60", phonebook::testing::Book(10, 5, {{1, phonebook::testing::Entry("+100", "Old")}}),
            nullptr, bookDir);
        book->section.sbReadAllClick(book->app());
        book->sent();
        // An unprivileged run must reach the handset to get as far as the file.
        ::chmod(book->phone().slavePath().c_str(), 0666);
        book->ui.boxes.clear();
        book->ui.opens = {file};
      };
      run = [&] {
        const std::string error = ErrorOf([&] { book->section.pmLoadRecordClick(book->app()); });
        int written = 0;
        for (const std::string& c : book->sent()) written += c.rfind("AT+MPBW=", 0) == 0 ? 1 : 0;
        return "rows=" + std::to_string(book->section.ListView1.rows.size()) +
               " written=" + std::to_string(written) + Boxes(book->ui.boxes) + error;
      };
      break;
  }
  std::string expected = cell.expected;
  if (cell.kind == Kind::ArchiveView && cell.bad == Bad::Huge) {
    const std::size_t total = HugeFiles::instance->archiveRecords;
    auto row = [](std::size_t k) {
      const ArchiveParts p = PartsOf(k);
      return "[" + p.number + "|" + p.when + "|" + Ru("архив") + "|" +
             std::to_string(p.text.size()) + "|" + Ru("сохранено") + "|" + p.text + "]";
    };
    expected = "rows=100000 " + row(total - 100000) + " " + row(total - 1) + "; box " +
               Ru("В архиве записей: ") + std::to_string(total) +
               Ru(". Показаны последние 100000, ") + Ru("остальные ") +
               std::to_string(total - 100000) + Ru(" есть только в файле.");
  }
  if (cell.kind == Kind::PhoneBookLoad && cell.bad == Bad::Huge)
    expected = "rows=0 written=0; raises EInOutError " +
               Ru("Файл слишком велик для телефонной книги: ") + std::to_string(hugeSize) +
               Ru(" байт. Телефон хранит не больше нескольких тысяч записей; файл не загружен.");
  const Measured m =
      InChild(prepare, run, cell.bad == Bad::NoPermission && testing::RunningAsRoot());
  if (cell.bad == Bad::Huge) fs::resize_file(file, hugeSize);  // the shared file, as it was
  fs::remove_all(bookDir);
  ASSERT_EQ(m.died, "") << "the operation crashed";
  std::cout << "[ measured ] " << KindName(cell.kind) << "/" << BadName(cell.bad) << ": peak +"
            << m.peakGrowthKb / 1024 << " MB, " << m.seconds << " s\n";
  EXPECT_EQ(m.outcome, expected);
  EXPECT_LE(m.peakGrowthKb, cell.maxGrowthMb * 1024 + kSlackKb);
  EXPECT_LE(m.seconds, cell.maxSeconds * kTimeScale);
}

std::string CellName(const ::testing::TestParamInfo<Cell>& info) {
  return std::string(KindName(info.param.kind)) + "_" + BadName(info.param.bad);
}

INSTANTIATE_TEST_SUITE_P(EveryKindAndBadness, BadFile, ::testing::ValuesIn(Cells()), CellName);

// ---------------------------------------------------------------------------------------
// The pieces the readers take a file in: line ends that fall on the border of two pieces.

class Pieces : public SmsHarness {};

TEST_F(Pieces, ArchiveLinesAreTheSameWhereverAPieceEnds) {
  constexpr std::size_t kPiece = 65536;
  struct Case {
    const char* name;
    std::size_t firstLength;  // the first line's length without its line end
    std::string end;          // its line end
  };
  const Case cases[] = {
      {"CR LF across the border", kPiece - 1, "\r\n"}, {"CR LF just inside", kPiece - 2, "\r\n"},
      {"LF first in the next piece", kPiece, "\n"},    {"CR alone at the border", kPiece - 1, "\r"},
      {"line of two pieces", 2 * kPiece + 7, "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string first = std::string(c.firstLength - 4, 'x') + ";d;t";
    writeFile("sms_archive.txt", first + c.end + "2;d2;second\r\n");
    // A lone CR is no line end of the archive: it stays in the text.
    const std::vector<std::string> expected =
        c.end == "\r" ? std::vector<std::string>{first + "\r2;d2;second"}
                      : std::vector<std::string>{first, "2;d2;second"};
    EXPECT_EQ(ReadArchiveLines(path("sms_archive.txt")), expected);
    EXPECT_EQ(ReadArchiveTail(path("sms_archive.txt"), 10).lines, expected);
  }
}

TEST_F(Pieces, ArchiveTailKeepsTheNewestLinesAndCountsTheRest) {
  writeFile("sms_archive.txt", "1;a;x\r\n\r\n2;b;y\r\n3;c;z\r\n\r\n4;d;w");
  struct Case {
    std::size_t max;
    std::vector<std::string> lines;
    std::size_t leftOut;
  };
  const Case cases[] = {
      {10, {"1;a;x", "2;b;y", "3;c;z", "4;d;w"}, 0},
      {4, {"1;a;x", "2;b;y", "3;c;z", "4;d;w"}, 0},
      {3, {"2;b;y", "3;c;z", "4;d;w"}, 1},  // empty lines are no records and count for nothing
      {1, {"4;d;w"}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.max);
    const ArchiveTail tail = ReadArchiveTail(path("sms_archive.txt"), c.max);
    EXPECT_EQ(tail.lines, c.lines);
    EXPECT_EQ(tail.leftOut, c.leftOut);
  }
}

TEST_F(Pieces, OnlyRecordsWithinTheMarkMakeAMessageKnown) {
  writeFile("sms_archive.txt", "1;d1;a\r\n2;d2;b");
  const ArchiveMark mark = MarkArchive(path("sms_archive.txt"));
  EXPECT_EQ(mark.length, 14);
  // Appended after the mark: the read's own records do not count against it.
  AppendArchive(path("sms_archive.txt"), {{"3", "d3", "c"}});
  EXPECT_EQ(KnownDateTimes(mark, {"d2", "d3", "d1", "d2", "", "d"}),
            (std::vector<bool>{true, false, true, true, false, false}));
  EXPECT_EQ(MarkArchive(path("missing.txt")).length, -1);
  EXPECT_EQ(KnownDateTimes(MarkArchive(path("missing.txt")), {"d1"}), std::vector<bool>{false});
  // An existing empty file holds one empty record, whose date/time is empty.
  writeFile("empty.txt", "");
  EXPECT_EQ(KnownDateTimes(MarkArchive(path("empty.txt")), {"", "d1"}),
            (std::vector<bool>{true, false}));
}

TEST_F(Pieces, APhoneBookFileIsReadUpToItsLimitAndNoFurther) {
  const std::string content(1000, 'x');
  writeFile("book.csv", content);
  struct Case {
    std::size_t limit;
    bool refused;
  };
  for (const Case& c : {Case{1000, false}, Case{999, true}, Case{0, true}, Case{SIZE_MAX, false}}) {
    SCOPED_TRACE(c.limit);
    if (c.refused) {
      try {
        phonebook::ReadTextFile(path("book.csv"), c.limit);
        ADD_FAILURE() << "read a file over the limit";
      } catch (const EInOutError& e) {
        EXPECT_EQ(e.what(), Ru("Файл слишком велик для телефонной книги: 1000 байт. Телефон хранит "
                               "не больше нескольких тысяч записей; файл не загружен."));
      }
    } else {
      EXPECT_EQ(phonebook::ReadTextFile(path("book.csv"), c.limit), content);
    }
  }
  // A device chosen as the file has no size to go by and never ends: the limit ends it.
  EXPECT_THROW(phonebook::ReadTextFile("/dev/zero", 1 << 20), EInOutError);
}

}  // namespace
}  // namespace quorvex
