// Arbitrary bytes in arbitrary chunks through the port object's line splitter and AT
// exchange, from a scripted device. The first byte of each piece gives the next chunk's
// length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fake_device.h"
#include "serial/block_serial.h"

namespace {

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
        if (port.LastError() != 0) break;
      }
    } catch (const quorvex::ESynaSerError&) {
      if (!raise) std::abort();
    }
  }
  return 0;
}
