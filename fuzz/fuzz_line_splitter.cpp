// Arbitrary bytes in arbitrary chunks through the port object's line splitter and AT
// exchange, from a scripted device. The first byte of each piece gives the next chunk's
// length. No reply may hold an unsolicited code, and a refused book command switches the
// handset at most once and back at most once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fake_device.h"
#include "serial/block_serial.h"
#include "serial/unsolicited.h"

namespace {

using quorvex::FindUnsolicited;
using quorvex::TBlockSerial;
using quorvex::testing::FakeDevice;
using quorvex::testing::FakeScript;

FakeScript Chunks(const std::uint8_t* data, std::size_t size, bool hangUp) {
  FakeScript s;
  std::size_t i = 0;
  while (i < size) {
    std::size_t len = 1 + data[i++] % 16;
    if (len > size - i) len = size - i;
    if (len == 0) break;
    s.chunks.emplace_back(reinterpret_cast<const char*>(data + i), len);
    i += len;
  }
  s.hangUpAtEnd = hangUp;
  return s;
}

bool HoldsACode(const std::string& reply, std::string_view commandName) {
  std::size_t from = 0;
  for (std::size_t end = reply.find("\r\n"); end != std::string::npos;
       from = end + 2, end = reply.find("\r\n", from)) {
    if (FindUnsolicited(std::string_view(reply).substr(from, end - from), commandName)) return true;
  }
  return false;
}

std::size_t Count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool hangUp = data[0] & 1;
  const bool raise = data[0] & 2;
  {
    FakeScript script = Chunks(data + 1, size - 1, hangUp);
    TBlockSerial port(std::make_unique<FakeDevice>(&script));
    port.OpenPort("fuzz");
    port.ConvertLineEnds = true;
    std::size_t seen = 0;
    for (int guard = 0; guard < 100000; ++guard) {
      std::string line = port.ReadLine(10);
      if (port.LastError() != 0) break;
      if (line.find_first_of("\r\n") != std::string::npos) std::abort();
      seen += line.size();
      if (seen > size) std::abort();
    }
  }
  {
    FakeScript script = Chunks(data + 1, size - 1, hangUp);
    TBlockSerial port(std::make_unique<FakeDevice>(&script));
    port.RaiseOnError = raise;
    port.OpenPort("fuzz");
    try {
      for (int guard = 0; guard < 1000; ++guard) {
        std::string reply = port.RunAtCommand("AT+CGSN");
        const bool endsOk = reply.size() >= 4 && reply.compare(reply.size() - 4, 4, "OK\r\n") == 0;
        if (port.CommandOk() && !endsOk) std::abort();
        if (port.ConvertLineEnds) std::abort();
        if (HoldsACode(reply, "+CGSN")) std::abort();
        if (port.LastError() != 0) break;
      }
    } catch (const quorvex::ESynaSerError&) {
      if (!raise) std::abort();
    }
  }
  {
    FakeScript script = Chunks(data + 1, size - 1, hangUp);
    auto device = std::make_unique<FakeDevice>(&script);
    const FakeDevice* sent = device.get();
    TBlockSerial port(std::move(device));
    port.RaiseOnError = raise;
    port.OpenPort("fuzz");
    try {
      for (int guard = 0; guard < 1000; ++guard) {
        port.RunAtCommand("AT+MPBR=?");
        if (port.LastError() != 0) break;
      }
    } catch (const quorvex::ESynaSerError&) {
      if (!raise) std::abort();
    }
    port.ClosePort();
    const std::string& out = sent->sent;
    const std::size_t on = Count(out, "AT+MODE=2\r"), off = Count(out, "AT+MODE=0\r");
    if (on > 1 || off > on || (!hangUp && off != on)) std::abort();
    if (off == 1 && out.find("AT+MODE=0\r") < out.find("AT+MODE=2\r")) std::abort();
    if (out.size() != Count(out, "AT+MPBR=?\r") * 10 + (on + off) * 10) std::abort();
  }
  return 0;
}
