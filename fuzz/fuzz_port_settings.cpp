// portcfg.ini: arbitrary bytes loaded from a file against a reference reading of its four
// lines (same port name, baud rate and time-out, a conversion error exactly where the
// reference fails, fields read before it kept), and settings formatted as the saving writes
// them and loaded back. The file lives in /tmp under this process's id.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "fuzz_util.h"
#include "serial/port_settings.h"

namespace {

using namespace quorvex::fuzz;
using quorvex::PortSettings;

const std::string& ScratchPath() {
  static const std::string path =
      "/tmp/quorvex-fuzz-portcfg-" + std::to_string(::getpid()) + ".ini";
  return path;
}

// The first four lines, each ended by CR LF, LF or a lone CR; missing lines are empty.
std::vector<std::string> FourLines(std::string_view content) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (lines.size() < 4) {
    const std::size_t end = content.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(pos < content.size() ? content.substr(pos) : std::string_view());
      pos = content.size();
      continue;
    }
    lines.emplace_back(content.substr(pos, end - pos));
    pos = end +
          (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::string Field(const std::string& line, std::size_t first) {
  std::string value = first - 1 < line.size() ? line.substr(first - 1) : std::string();
  value = value.substr(0, value.find(';'));
  return quorvex::text::Trim(value);
}

std::optional<std::int32_t> Convert(const std::string& s) {
  try {
    return quorvex::text::StrToInt(s);
  } catch (const quorvex::EConvertError&) {
    return std::nullopt;
  }
}

void WriteFile(const std::string& bytes) {
  std::FILE* f = std::fopen(ScratchPath().c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  FUZZ_CHECK(std::fclose(f) == 0);
}

void CheckLoad(const std::string& content) {
  WriteFile(content);
  const std::vector<std::string> lines = FourLines(content);
  const std::string port = Field(lines[1], 6);
  const std::optional<std::int32_t> baud = Convert(Field(lines[2], 10));
  const std::optional<std::int32_t> timeOut = Convert(Field(lines[3], 9));

  // A leading control character never survives the trim, so this name is never read.
  PortSettings s{"\x01unset", -7, -7};
  try {
    quorvex::LoadPortSettings(s, ScratchPath());
    FUZZ_CHECK(baud && timeOut);
    FUZZ_CHECK(s.BaudRate == *baud && s.TimeOut == *timeOut);
  } catch (const quorvex::EConvertError&) {
    FUZZ_CHECK(!baud || !timeOut);
    FUZZ_CHECK(s.BaudRate == (baud ? *baud : -7));
    FUZZ_CHECK(s.TimeOut == -7);
  }
  FUZZ_CHECK(s.PortName == port);
}

void CheckFormatted(FuzzedDataProvider& in) {
  PortSettings want;
  // A name is kept up to its first ";", trimmed, and on one line.
  want.PortName = quorvex::text::Trim(Text(in, ";\r\n", 32));
  want.BaudRate = in.ConsumeIntegral<std::int32_t>();
  want.TimeOut = in.ConsumeIntegral<std::int32_t>();
  // Written without the saving's fsync, which would slow each run a hundredfold.
  WriteFile(quorvex::FormatPortSettings(want));
  PortSettings got;
  quorvex::LoadPortSettings(got, ScratchPath());
  FUZZ_CHECK(got.PortName == want.PortName);
  FUZZ_CHECK(got.BaudRate == want.BaudRate && got.TimeOut == want.TimeOut);
  CheckLoad(quorvex::FormatPortSettings(want));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    CheckFormatted(in);
  } else {
    CheckLoad(in.ConsumeRemainingBytesAsString());
  }
  std::remove(ScratchPath().c_str());
  return 0;
}
