// The message archive: a line split into its three parts on arbitrary bytes (the parts and
// their separators make up the line again), and records appended to a file holding
// arbitrary bytes, which must read back as its last records unchanged. The file lives in
// /tmp under this process's id.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_util.h"
#include "messages/sms_archive.h"

namespace {

using namespace quorvex::fuzz;
using quorvex::ArchiveRecord;

const std::string& ScratchPath() {
  static const std::string path =
      "/tmp/quorvex-fuzz-archive-" + std::to_string(::getpid()) + ".txt";
  return path;
}

void CheckLine(std::string_view line) {
  const ArchiveRecord r = quorvex::SplitArchiveLine(line);
  std::string again;
  if (line.find(';') == std::string_view::npos) {
    FUZZ_CHECK(r.number.empty() && r.dateTime.empty());
    again = r.text;
  } else if (line.find(';', line.find(';') + 1) == std::string_view::npos) {
    FUZZ_CHECK(r.dateTime.empty());
    again = r.number + ";" + r.text;
  } else {
    again = r.number + ";" + r.dateTime + ";" + r.text;
  }
  FUZZ_CHECK(again == line);
  FUZZ_CHECK(r.number.find(';') == std::string::npos && r.dateTime.find(';') == std::string::npos);
}

void CheckFile(FuzzedDataProvider& in) {
  const std::string before = in.ConsumeRandomLengthString(64);
  std::vector<ArchiveRecord> records(static_cast<std::size_t>(in.ConsumeIntegralInRange(0, 3)));
  for (ArchiveRecord& r : records) {
    r.number = Text(in, ";\r\n", 16);
    r.dateTime = Text(in, ";\r\n", 20);
    // A text may hold a ";" and even a CR; an LF would start a new record.
    r.text = Text(in, "\n", 40);
  }

  const std::string& path = ScratchPath();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(std::fwrite(before.data(), 1, before.size(), f) == before.size());
  FUZZ_CHECK(std::fclose(f) == 0);

  const std::vector<std::string> old = quorvex::ReadArchiveLines(path);
  std::size_t oldBytes = 0;
  for (const std::string& line : old) {
    FUZZ_CHECK(line.find('\n') == std::string::npos);
    oldBytes += line.size();
    CheckLine(line);
  }
  FUZZ_CHECK(oldBytes <= before.size());

  quorvex::AppendArchive(path, records);
  const std::vector<ArchiveRecord> all = quorvex::ReadArchive(path);
  FUZZ_CHECK(all.size() >= records.size());
  for (std::size_t k = 0; k < records.size(); ++k) {
    FUZZ_CHECK(all[all.size() - records.size() + k] == records[k]);
  }
  // What was there before is still there, in front.
  if (!records.empty()) {
    const std::size_t kept = all.size() - records.size();
    FUZZ_CHECK(kept == (before.empty() ? 0 : old.size()));
  }
  std::remove(path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    CheckFile(in);
  } else {
    const std::string line = in.ConsumeRemainingBytesAsString();
    CheckLine(line);
    const ArchiveRecord r = quorvex::SplitArchiveLine(line);
    FUZZ_CHECK(quorvex::FormatArchiveRecord(r).size() >= line.size() + 2);
  }
  return 0;
}
