#include "backup/backup_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include "codec/atomic_file.h"
#include "codec/errors.h"
#include "codec/file_descriptor.h"
#include "codec/fnv1a.h"
#include "codec/ru.h"
#include "core/file_export.h"
#include "datebook/date_book_section.h"
#include "datebook/ical_export.h"
#include "messages/sms_export.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_bin.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/vcard.h"

namespace quorvex {

namespace {

constexpr std::string_view kMagic = "QVBACKUP";

// ---- The manifest's own fields (escaped and split as the bin's are: core/bin_file.h).

// A count of at most nine digits: more is no count a handset could give.
std::optional<std::int64_t> Count(std::string_view s) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  std::int64_t v = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

std::string Hex8(std::uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

// The parts the manifest counts, in read order, and the part a record belongs to.
struct CountKey {
  std::string_view section;
  std::string_view part;
};
constexpr CountKey kCountKeys[] = {{kBinPhoneBook, "ME"},    {kBinPhoneBook, "SM"},
                                   {kBinDateBook, "-"},      {kBinMessages, "inbox"},
                                   {kBinMessages, "outbox"}, {kBinMessages, "sent"},
                                   {kBinMessages, "drafts"}};
constexpr std::size_t kNoKey = std::size(kCountKeys);

std::size_t KeyOf(const BinRecord& r) {
  std::string_view part;
  if (r.section == kBinPhoneBook) {
    part = r.memory;
  } else if (r.section == kBinDateBook) {
    part = "-";
  } else if (r.section == kBinMessages) {
    if (r.memory == "IM") part = "inbox";
    if (r.memory == "DM") part = "drafts";
    if (r.memory == "OM") part = !r.data.empty() && r.data[0] == "\"STO SENT\"" ? "sent" : "outbox";
  }
  for (std::size_t k = 0; k < kNoKey; ++k)
    if (kCountKeys[k].section == r.section && kCountKeys[k].part == part) return k;
  return kNoKey;
}

// ---- Errors.

[[noreturn]] void Damaged(const std::string& name, const std::string& whyUtf8) {
  throw EInOutError(Ru("Резервная копия ") + name + Ru(" повреждена: ") + Ru(whyUtf8.c_str()) + ".",
                    0);
}

[[noreturn]] void Foreign(const std::string& name) {
  throw EInOutError(Ru("Файл ") + name + Ru(" не является резервной копией Quorvex."), 0);
}

[[noreturn]] void Newer(const std::string& name, std::string_view version) {
  throw EInOutError(Ru("Резервная копия ") + name +
                        Ru(" записана более новой версией программы (формат ") +
                        std::string(version) + Ru("); эта версия читает формат ") +
                        std::to_string(kBackupFormatVersion) + ".",
                    0);
}

// ---- The archive.

struct ZipDiscard {
  void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipDiscard>;
struct ZipSourceFree {
  void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using ZipSourcePtr = std::unique_ptr<zip_source_t, ZipSourceFree>;
struct ZipFileClose {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileClose>;

[[noreturn]] void ZipFailedWith(const std::string& text) {
  throw EInOutError(Ru("Невозможно собрать архив резервной копии: ") + text, 0);
}
// An error of the archive or of a source: they own its text.
[[noreturn]] void ZipFailed(zip_error_t* owned) {
  ZipFailedWith(zip_error_strerror(owned));
}
// An error of this code's own, freed here.
[[noreturn]] void ZipFailedLocal(zip_error_t* local) {
  const std::string text = zip_error_strerror(local);
  zip_error_fini(local);
  ZipFailedWith(text);
}

// A member's name as a message may show it: printable ASCII only.
std::string Shown(const char* name) {
  std::string out;
  for (const char* p = name; p != nullptr && *p != 0 && out.size() < 64; ++p)
    out += *p > 0x20 && *p < 0x7f ? *p : '?';
  return out.empty() ? "?" : out;
}

std::optional<std::time_t> BackupTime(const std::string& time) {
  LocalTime t;
  if (std::sscanf(time.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second) != 6)
    return std::nullopt;
  // The zip's DOS time stamps hold the years 1980 to 2107.
  if (t.year < 1980 || t.year > 2107) return std::nullopt;
  return LocalTimeToTime(t);
}

std::string BuildZip(const std::vector<BackupMember>& members, std::optional<std::time_t> mtime) {
  zip_error_t error;
  zip_error_init(&error);
  ZipSourcePtr buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
  if (!buffer) ZipFailedLocal(&error);
  ZipPtr archive(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error));
  if (!archive) ZipFailedLocal(&error);
  // The archive takes a reference to the buffer source; this one keeps its own to read the
  // finished archive back.
  zip_source_keep(buffer.get());
  for (const BackupMember& m : members) {
    zip_source_t* s = zip_source_buffer(archive.get(), m.bytes.data(), m.bytes.size(), 0);
    if (s == nullptr) ZipFailed(zip_get_error(archive.get()));
    const zip_int64_t index = zip_file_add(archive.get(), m.name.c_str(), s, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(s);
      ZipFailed(zip_get_error(archive.get()));
    }
    const auto i = static_cast<zip_uint64_t>(index);
    if (zip_set_file_compression(archive.get(), i, ZIP_CM_DEFLATE, 9) != 0 ||
        (mtime && zip_file_set_mtime(archive.get(), i, *mtime, 0) != 0))
      ZipFailed(zip_get_error(archive.get()));
  }
  if (zip_close(archive.get()) != 0) ZipFailed(zip_get_error(archive.get()));
  (void)archive.release();  // zip_close freed it

  zip_source_t* s = buffer.get();
  if (zip_source_open(s) != 0) ZipFailed(zip_source_error(s));
  std::string bytes;
  bool read = zip_source_seek(s, 0, SEEK_END) == 0;
  const zip_int64_t size = read ? zip_source_tell(s) : -1;
  read = size >= 0 && zip_source_seek(s, 0, SEEK_SET) == 0;
  if (read) {
    bytes.resize(static_cast<std::size_t>(size));
    read = zip_source_read(s, bytes.data(), static_cast<zip_uint64_t>(size)) == size;
  }
  if (!read) {
    zip_error_t copy;
    zip_error_init(&copy);
    zip_error_set(&copy, zip_error_code_zip(zip_source_error(s)),
                  zip_error_code_system(zip_source_error(s)));
    zip_source_close(s);
    ZipFailedLocal(&copy);
  }
  zip_source_close(s);
  return bytes;
}

// The whole file, at most kMaxBackupBytes of it.
std::string ReadWhole(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) {
    const int e = errno;
    if (e == ENOENT) throw EInOutError(Ru("Файл резервной копии не найден: ") + path, e);
    throw EInOutError(
        Ru("Невозможно прочитать файл резервной копии ") + path + ": " + SystemErrorText(e), e);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    const int e = errno;
    throw EInOutError(
        Ru("Невозможно прочитать файл резервной копии ") + path + ": " + SystemErrorText(e), e);
  }
  if (!S_ISREG(st.st_mode)) Foreign(path);
  std::string bytes;
  char chunk[65536];
  while (true) {
    const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int e = errno;
      throw EInOutError(
          Ru("Невозможно прочитать файл резервной копии ") + path + ": " + SystemErrorText(e), e);
    }
    if (n == 0) break;
    if (bytes.size() + static_cast<std::size_t>(n) > kMaxBackupBytes) Foreign(path);
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  return bytes;
}

// A member's bytes, read to its end so that its CRC is checked; nullopt for a member whose
// bytes or CRC are wrong.
std::optional<std::string> ReadMember(zip_t* archive, zip_uint64_t index) {
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(archive, index, 0, &st) != 0) return std::nullopt;
  if ((st.valid & ZIP_STAT_SIZE) == 0 || st.size > kMaxBackupBytes) return std::nullopt;
  ZipFilePtr file(zip_fopen_index(archive, index, 0));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  while (true) {
    const zip_int64_t n = zip_fread(file.get(), chunk, sizeof chunk);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    if (bytes.size() + static_cast<std::size_t>(n) > st.size) return std::nullopt;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  if (bytes.size() != st.size) return std::nullopt;
  return bytes;
}

}  // namespace

std::vector<BackupCount> BackupCounts(const PhoneBackup& backup) {
  std::vector<BackupCount> counts;
  for (const CountKey& k : kCountKeys)
    counts.push_back({std::string(k.section), std::string(k.part), 0});
  for (const BinRecord& r : backup.records)
    if (const std::size_t k = KeyOf(r); k < kNoKey) ++counts[k].count;
  return counts;
}

std::string FormatManifest(const PhoneBackup& backup) {
  std::string out = std::string(kMagic) + "\t" + std::to_string(kBackupFormatVersion) + "\n";
  out += "model\t" + EscapeBinField(backup.model) + "\n";
  out += "imei\t" + EscapeBinField(backup.imei) + "\n";
  out += "time\t" + EscapeBinField(backup.time) + "\n";
  for (const BackupCount& c : BackupCounts(backup))
    out += "count\t" + c.section + "\t" + c.part + "\t" + std::to_string(c.count) + "\n";
  std::int64_t id = 0;
  for (BinRecord r : backup.records) {
    r.id = ++id;
    out += FormatBinLine(r);
  }
  out += "end\t" + std::to_string(backup.records.size()) + "\t" + Hex8(Fnv1a(out)) + "\n";
  return out;
}

PhoneBackup ParseManifest(std::string_view text, const std::string& name) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) Damaged(name, "manifest.txt обрывается");
    lines.push_back(text.substr(start, lf - start));
    start = lf + 1;
  }
  if (lines.empty()) Foreign(name);
  const std::vector<std::string_view> head = SplitBinFields(lines[0]);
  if (head.size() != 2 || head[0] != kMagic) Foreign(name);
  const std::optional<std::int64_t> version = Count(head[1]);
  if (!version || *version < 1) Damaged(name, "неверная версия формата в manifest.txt");
  if (*version > kBackupFormatVersion) Newer(name, head[1]);

  const auto bad = [&](std::size_t line) {
    Damaged(name, "неверная строка " + std::to_string(line + 1) + " в manifest.txt");
  };
  PhoneBackup backup;
  std::string* const header[] = {&backup.model, &backup.imei, &backup.time};
  constexpr std::string_view kHeaderKeys[] = {"model", "imei", "time"};
  std::size_t at = 1;
  for (std::size_t k = 0; k < std::size(header); ++k, ++at) {
    if (at >= lines.size()) bad(at);
    const std::vector<std::string_view> f = SplitBinFields(lines[at]);
    std::optional<std::string> value;
    if (f.size() == 2 && f[0] == kHeaderKeys[k]) value = UnescapeBinField(f[1]);
    if (!value) bad(at);
    *header[k] = std::move(*value);
  }
  std::int64_t counts[kNoKey] = {};
  for (std::size_t k = 0; k < kNoKey; ++k, ++at) {
    if (at >= lines.size()) bad(at);
    const std::vector<std::string_view> f = SplitBinFields(lines[at]);
    std::optional<std::int64_t> n;
    if (f.size() == 4 && f[0] == "count" && f[1] == kCountKeys[k].section &&
        f[2] == kCountKeys[k].part)
      n = Count(f[3]);
    if (!n) bad(at);
    counts[k] = *n;
  }
  std::int64_t found[kNoKey] = {};
  for (; at < lines.size() && !lines[at].starts_with("end\t"); ++at) {
    std::optional<BinRecord> r = ParseBinLine(lines[at]);
    if (!r || r->id != static_cast<std::int64_t>(backup.records.size()) + 1) bad(at);
    const std::size_t k = KeyOf(*r);
    if (k == kNoKey) bad(at);
    ++found[k];
    backup.records.push_back(std::move(*r));
  }
  if (at + 1 != lines.size()) Damaged(name, "manifest.txt без последней строки");
  const std::vector<std::string_view> end = SplitBinFields(lines[at]);
  const std::size_t before = static_cast<std::size_t>(lines[at].data() - text.data());
  const std::optional<std::int64_t> total = end.size() == 3 ? Count(end[1]) : std::nullopt;
  if (!total || end[2] != Hex8(Fnv1a(text.substr(0, before)))) bad(at);
  if (*total != static_cast<std::int64_t>(backup.records.size()) ||
      !std::equal(std::begin(counts), std::end(counts), std::begin(found)))
    Damaged(name, "число записей в manifest.txt не сходится");
  return backup;
}

std::vector<BackupMember> BackupMembers(const PhoneBackup& backup,
                                        const BackupPhoneBookLayout& layout) {
  std::vector<phonebook::TAbonentInfo> entries;
  std::vector<datebook::ReadEvent> events;
  std::vector<BinRecord> folders[4];
  std::int32_t lowestSim = std::numeric_limits<std::int32_t>::max();
  for (const BinRecord& r : backup.records) {
    if (auto e = phonebook::EntryFromBin(r)) {
      if (e->OnSim != 0) lowestSim = std::min(lowestSim, e->Index);
      entries.push_back(std::move(*e));
    } else if (auto ev = datebook::EventFromBin(r)) {
      events.push_back(std::move(*ev));
    } else if (const std::size_t k = KeyOf(r); k >= 3 && k < kNoKey) {
      folders[k - 3].push_back(r);
    }
  }
  const phonebook::Family family = phonebook::FamilyOf(backup.model);
  const std::time_t stamp = BackupTime(backup.time).value_or(0);

  std::vector<BackupMember> members;
  members.push_back({kManifestMember, FormatManifest(backup)});
  members.push_back({"contacts.vcf", phonebook::FormatVCards(entries, layout.groupNames, family,
                                                             phonebook::VCardVersion::V30)});
  // The phone book file has fields for the Classic family's entries only; its save refuses
  // the other families.
  if (family == phonebook::Family::Classic) {
    members.push_back({"phonebook.csv", phonebook::FormatPhoneBookFile(
                                            entries, layout.phoneFirst > 0 ? layout.phoneFirst : 1,
                                            layout.simFirst > 0 ? layout.simFirst : lowestSim)});
  }
  members.push_back({"calendar.ics", datebook::FormatCalendar(events, stamp)});
  static constexpr const char* kFolderFiles[] = {"inbox.mbox", "outbox.mbox", "sent.mbox",
                                                 "drafts.mbox"};
  static constexpr const char* kFolderCaptions[] = {"Входящие", "Исходящие", "Отправленные",
                                                    "Черновики"};
  for (std::size_t k = 0; k < 4; ++k) {
    members.push_back(
        {kFolderFiles[k], sms::FormatMessagesMbox(Ru(kFolderCaptions[k]),
                                                  sms::MessageRowsFromBin(folders[k]), stamp)});
  }
  return members;
}

std::string ZipBackupMembers(const std::vector<BackupMember>& members, const std::string& time) {
  return BuildZip(members, BackupTime(time));
}

void WriteBackupFile(const std::string& path, const PhoneBackup& backup,
                     const BackupPhoneBookLayout& layout) {
  const std::vector<BackupMember> members = BackupMembers(backup, layout);
  // A record that the manifest's reader would refuse (of no part it counts) would make the
  // whole file unreadable: better no file than one that cannot be restored.
  try {
    ParseManifest(members.front().bytes, path);
  } catch (const EInOutError&) {
    throw EInOutError(Ru("Резервная копия не записана: её записи не читаются обратно."), 0);
  }
  const std::string bytes = ZipBackupMembers(members, backup.time);
  AtomicWriteOptions options;
  options.sync = true;
  WriteFileAtomically(path, bytes, options);
  // The rename lives in the folder: synced too, a power cut after the box cannot undo it. The
  // file is whole and in place by now, so a folder that refuses the sync changes nothing.
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

std::vector<BackupMember> ReadBackupMembers(const std::string& path) {
  std::string bytes = ReadWhole(path);
  zip_error_t error;
  zip_error_init(&error);
  ZipSourcePtr source(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
  if (!source) ZipFailedLocal(&error);
  ZipPtr archive(zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
  if (!archive) {
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    // An archive's first bytes with no readable directory after them: one cut short or
    // overwritten, not some other kind of file.
    if (bytes.starts_with("PK\x03\x04") || code == ZIP_ER_INCONS || code == ZIP_ER_CRC)
      Damaged(path, "архив обрезан или испорчен");
    Foreign(path);
  }
  zip_source_keep(source.get());  // the archive holds it now and lets go of it in its discard

  std::vector<BackupMember> members;
  const zip_int64_t n = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < n; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    const char* name = zip_get_name(archive.get(), index, 0);
    std::optional<std::string> content = ReadMember(archive.get(), index);
    if (!content || name == nullptr) Damaged(path, "испорчен файл " + Shown(name) + " в архиве");
    members.push_back({name, std::move(*content)});
  }
  return members;
}

PhoneBackup ReadBackupFile(const std::string& path) {
  for (const BackupMember& m : ReadBackupMembers(path))
    if (m.name == kManifestMember) return ParseManifest(m.bytes, path);
  Foreign(path);
}

}  // namespace quorvex
