// The port object over a scripted device: framing, echo, line ends split across chunks,
// error codes and texts.
#include "serial/block_serial.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "codec/ru.h"
#include "fake_device.h"

namespace quorvex {
namespace {

using testing::FakeClock;
using testing::FakeDevice;
using testing::FakeScript;

struct Port {
  explicit Port(FakeScript s) : script(std::move(s)) {
    auto d = std::make_unique<FakeDevice>(&script);
    device = d.get();
    serial = std::make_unique<TBlockSerial>(std::move(d), clock);
  }
  FakeScript script;
  FakeClock clock{&script};
  FakeDevice* device;
  std::unique_ptr<TBlockSerial> serial;
};

struct ExchangeCase {
  const char* name;
  std::string command;
  std::deque<std::string> chunks;
  std::string reply;
  bool ok;
  std::int32_t error;
  bool keepUnsolicited = false;
};

class RunAtCommandTest : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(RunAtCommandTest, CollectsTheReplyAsFramed) {
  const ExchangeCase& c = GetParam();
  Port p(FakeScript{c.chunks});
  p.serial->KeepUnsolicited = c.keepUnsolicited;
  p.serial->OpenPort("/dev/ttyUSB0");
  ASSERT_EQ(p.serial->LastError(), 0);
  std::string reply = p.serial->RunAtCommand(c.command);
  EXPECT_EQ(reply, c.reply);
  EXPECT_EQ(p.serial->CommandOk(), c.ok);
  EXPECT_EQ(p.serial->LastError(), c.error);
  EXPECT_EQ(p.device->sent, c.command + "\r");
  EXPECT_FALSE(p.serial->ConvertLineEnds) << "restored after the exchange";
}

INSTANTIATE_TEST_SUITE_P(
    Framing, RunAtCommandTest,
    ::testing::Values(
        ExchangeCase{"EchoThenAnswer",
                     "AT+CGSN",
                     {"AT+CGSN\r", "\r\n+CGSN: IMEI350\r\n\r\nOK\r\n"},
                     "\r\n+CGSN: IMEI350\r\n\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"EchoAndAnswerInOneChunk",
                     "AT+CGSN",
                     {"AT+CGSN\r\r\n+CGSN: IMEI350\r\n\r\nOK\r\n"},
                     "\r\n+CGSN: IMEI350\r\n\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"EchoOff",
                     "AT+CGSN",
                     {"\r\n+CGSN: IMEI350\r\n\r\nOK\r\n"},
                     "\r\n+CGSN: IMEI350\r\n\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"ByteByByte",
                     "AT",
                     {"A", "T", "\r", "\r", "\n", "O", "K", "\r", "\n"},
                     "\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"LineContainingTheCommandIsKept",
                     "AT+CSQ",
                     {"AT+CSQ\r\r\nAT+CSQ: 17,99\r\n\r\nOK\r\n"},
                     "\r\nAT+CSQ: 17,99\r\n\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"EchoIsCaseSensitive", "at", {"AT\r\r\nOK\r\n"}, "AT\r\n\r\nOK\r\n", true, 0},
        ExchangeCase{
            "ErrorEndsTheExchange", "AT+FOO", {"AT+FOO\r\r\nERROR\r\n"}, "\r\nERROR\r\n", false, 0},
        // A handset left with AT+CMEE=1 by another tool numbers its refusals.
        ExchangeCase{"NumberedErrorEndsTheExchangeAsRefused",
                     "AT+CPBS=XX",
                     {"\r\n+CME ERROR: 4\r\n", "\r\nOK\r\n"},
                     "\r\n+CME ERROR: 4\r\n",
                     false,
                     0},
        ExchangeCase{"NumberedMessageError",
                     "AT+CMGR=9",
                     {"\r\n+CMS ERROR: 321\r\n"},
                     "\r\n+CMS ERROR: 321\r\n",
                     false,
                     0},
        ExchangeCase{
            "LowerCaseOkDoesNotEndIt", "AT", {"\r\nok\r\n"}, "\r\nok\r\n\r\n", false, ErrTimeout},
        ExchangeCase{"LfCrLineEnds", "AT", {"\n\rOK\n\r"}, "\r\nOK\r\n", true, 0},
        ExchangeCase{"LoneLfLineEnds", "AT", {"\nOK\n"}, "\r\nOK\r\n", true, 0},
        ExchangeCase{"SilenceAddsOneEmptyLine", "AT", {}, "\r\n", false, ErrTimeout},
        ExchangeCase{"SilenceAfterPartOfTheReply",
                     "AT+CBC",
                     {"\r\n+CBC: 0,80\r\n"},
                     "\r\n+CBC: 0,80\r\n\r\n",
                     false,
                     ErrTimeout},
        ExchangeCase{"EmptyCommandDropsEmptyLines", "", {"\r\r\nOK\r\n"}, "OK\r\n", true, 0},
        // The LF of the last exchange's "OK" CR LF, come after its port object was freed.
        ExchangeCase{"StaleLfAheadOfTheEchoIsDropped",
                     "AT+CBC",
                     {"\n", "AT+CBC\r", "\r\n+CBC: 0,80\r\n\r\nOK\r\n"},
                     "\r\n+CBC: 0,80\r\n\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"StaleLfInTheEchosChunkIsDropped",
                     "AT+CPBS=AD",
                     {"\nAT+CPBS=AD\r\r\nOK\r\n"},
                     "\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"TextAheadOfTheEchoIsKept",
                     "AT",
                     {"HELLO\r\n", "AT\r\r\nOK\r\n"},
                     "HELLO\r\n\r\nOK\r\n",
                     true,
                     0},
        // Unsolicited codes: dropped with the empty line they bring, wherever they come.
        ExchangeCase{"CodeAheadOfTheEchoIsDropped",
                     "AT",
                     {"RING\r\n", "AT\r\r\nOK\r\n"},
                     "\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{
            "CodesAtEveryPlace",
            "AT+CGSN",
            {"\r\n+CMTI: \"IM\",5\r\n", "AT+CGSN\r", "\r\nRING\r\n", "\r\n+CGSN: IMEI350\r\n",
             "\r\n+CIEV: 1,3\r\n\r\nNO CARRIER\r\n", "\r\nOK\r\n\r\nRING\r\n"},
            "\r\n+CGSN: IMEI350\r\n\r\nOK\r\n",
            true,
            0},
        ExchangeCase{"CodesWithoutEcho",
                     "AT+CBC",
                     {"\r\n+CREG: 1\r\n\r\n+CBC: 0,80\r\n\r\n+CUSD: 0,\"OK\",15\r\n\r\nOK\r\n"},
                     "\r\n+CBC: 0,80\r\n\r\nOK\r\n",
                     true,
                     0},
        // The text line of a +CMT goes with it, even one that reads OK or ERROR.
        ExchangeCase{"MessageCodeTakesItsTextAlong",
                     "AT+CBC",
                     {"AT+CBC\r\r\n+CMT: \"+7916\",,\"24/05/01,12:00:00+12\"\r\nOK\r\n",
                      "\r\n+CBC: 0,80\r\n\r\n+CDS: 25\r\nERROR\r\n\r\nOK\r\n"},
                     "\r\n+CBC: 0,80\r\n\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"BroadcastBetweenListLines",
                     "AT+MPBR=1,2",
                     {"\r\n+MPBR: 1,\"1\",129,\"A\"\r\n\r\n+CBM: 24\r\n0010\r\n"
                      "\r\n+MPBR: 2,\"2\",129,\"B\"\r\n\r\nOK\r\n"},
                     "\r\n+MPBR: 1,\"1\",129,\"A\"\r\n\r\n+MPBR: 2,\"2\",129,\"B\"\r\n\r\nOK\r\n",
                     true,
                     0},
        // A code whose CR LF ended the text echo: the empty line after it is the extra one.
        ExchangeCase{
            "CodeAfterTheTextOfAStoreCommand",
            "AT+CMGW=\"1\"\r0041\x1a",
            {"AT+CMGW=\"1\"\r\r\n> 0041", "\r\n+CMTI: \"IM\",5\r\n", "\r\n+CMGW: 3\r\n\r\nOK\r\n"},
            "AT+CMGW=\"1\"\r\n\r\n> 0041\r\n+CMGW: 3\r\n\r\nOK\r\n",
            true,
            0},
        // What the command asks for is its answer, blanks after AT or not.
        ExchangeCase{"TheCommandsOwnCodeIsKept",
                     "AT+CREG?",
                     {"AT+CREG?\r\r\n+CREG: 0,1\r\n\r\nOK\r\n"},
                     "\r\n+CREG: 0,1\r\n\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"TheCommandsOwnCodeIsKeptAfterABlank",
                     "AT +CLIP?",
                     {"\r\n+CLIP: 0,1\r\n\r\nOK\r\n"},
                     "\r\n+CLIP: 0,1\r\n\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"AMessageTextThatReadsLikeACodeIsKept",
                     "AT+CMGR=1",
                     {"\r\n+CMGR: \"REC READ\",\"+7916\"\r\nRING\r\n\r\nOK\r\n"},
                     "\r\n+CMGR: \"REC READ\",\"+7916\"\r\nRING\r\n\r\nOK\r\n",
                     true,
                     0},
        ExchangeCase{"KeepUnsolicitedLeavesEveryLineInTheReply",
                     "AT+CBC",
                     {"\r\nRING\r\n", "AT+CBC\r\r\n+CMT: \"+7\",,\"x\"\r\nhi\r\n",
                      "\r\n+CBC: 0,80\r\n\r\nOK\r\n"},
                     "\r\nRING\r\n\r\n+CMT: \"+7\",,\"x\"\r\nhi\r\n\r\n+CBC: 0,80\r\n\r\nOK\r\n",
                     true,
                     0,
                     true}),
    [](const auto& info) { return info.param.name; });

// A handset that takes the Motorola book commands only after AT+MODE=2: what goes out, what
// the caller gets back, and the AT+MODE=0 that the close owes.
struct Mode2Case {
  const char* name;
  std::vector<std::string> commands;
  std::deque<std::string> chunks;
  std::string lastReply;
  bool ok;
  std::string sent;  // everything written, up to and including the close
  bool switchOn = true;
  bool hangUp = false;
};

class Mode2Test : public ::testing::TestWithParam<Mode2Case> {};

TEST_P(Mode2Test, SwitchesOnTheFirstRefusalAndBackAtTheClose) {
  const Mode2Case& c = GetParam();
  FakeScript script{c.chunks};
  script.hangUpAtEnd = c.hangUp;
  Port p(std::move(script));
  p.serial->SwitchToMode2 = c.switchOn;
  p.serial->OpenPort("x");
  std::string reply;
  for (const std::string& command : c.commands) reply = p.serial->RunAtCommand(command);
  EXPECT_EQ(reply, c.lastReply);
  EXPECT_EQ(p.serial->CommandOk(), c.ok);
  p.serial->ClosePort();
  EXPECT_EQ(p.device->sent, c.sent);
  EXPECT_EQ(p.serial->LastError(), 0);
}

const std::string kRange = "\r\n+MPBR: 1-500,32,24\r\n\r\nOK\r\n";

INSTANTIATE_TEST_SUITE_P(
    BlockSerial, Mode2Test,
    ::testing::Values(
        Mode2Case{"AnsweredAtOnce", {"AT+MPBR=?"}, {kRange}, kRange, true, "AT+MPBR=?\r"},
        Mode2Case{"RefusedThenSwitched",
                  {"AT+MPBR=?", "AT+MPBR=1,2"},
                  {"\r\nERROR\r\n", "\r\nOK\r\n", kRange, "\r\nOK\r\n", "\r\nOK\r\n"},
                  "\r\nOK\r\n",
                  true,
                  "AT+MPBR=?\rAT+MODE=2\rAT+MPBR=?\rAT+MPBR=1,2\rAT+MODE=0\r"},
        Mode2Case{"NumberedRefusalSwitchesToo",
                  {"AT+MDBL=1"},
                  {"\r\n+CME ERROR: 3\r\n", "\r\nOK\r\n", "\r\nOK\r\n", "\r\nOK\r\n"},
                  "\r\nOK\r\n",
                  true,
                  "AT+MDBL=1\rAT+MODE=2\rAT+MDBL=1\rAT+MODE=0\r"},
        Mode2Case{"GroupCommandWithABlankAfterAt",
                  {"AT +MPGR=?"},
                  {"\r\nERROR\r\n", "\r\nOK\r\n", "\r\nOK\r\n", "\r\nOK\r\n"},
                  "\r\nOK\r\n",
                  true,
                  "AT +MPGR=?\rAT+MODE=2\rAT +MPGR=?\rAT+MODE=0\r"},
        // The switch refused: the command's own refusal stands, and AT+MODE=0 still goes.
        Mode2Case{"SwitchRefused",
                  {"AT+MDBR=?"},
                  {"\r\nERROR\r\n", "\r\nERROR\r\n", "\r\nOK\r\n"},
                  "\r\nERROR\r\n",
                  false,
                  "AT+MDBR=?\rAT+MODE=2\rAT+MODE=0\r"},
        // Only the first of the commands decides; a later refusal is an answer.
        Mode2Case{"LaterRefusalIsAnAnswer",
                  {"AT+MPBR=?", "AT+MPBW=1"},
                  {kRange, "\r\nERROR\r\n"},
                  "\r\nERROR\r\n",
                  false,
                  "AT+MPBR=?\rAT+MPBW=1\r"},
        Mode2Case{"OtherCommandsNeverSwitch",
                  {"AT+CPBS=MT", "AT+MPBR=?"},
                  {"\r\nERROR\r\n", kRange},
                  kRange,
                  true,
                  "AT+CPBS=MT\rAT+MPBR=?\r"},
        Mode2Case{"TheTerminalSendsWhatWasTyped",
                  {"AT+MPBR=?"},
                  {"\r\nERROR\r\n"},
                  "\r\nERROR\r\n",
                  false,
                  "AT+MPBR=?\r",
                  false},
        // The handset hung up after the switch: nothing more is sent.
        Mode2Case{"LinkGoneAfterTheSwitch",
                  {"AT+MPBR=?"},
                  {"\r\nERROR\r\n", "\r\nOK\r\n"},
                  "\r\n",
                  false,
                  "AT+MPBR=?\rAT+MODE=2\rAT+MPBR=?\r",
                  true,
                  true}),
    [](const auto& info) { return info.param.name; });

TEST(BlockSerial, ASilentHandsetStillGetsTheSwitchBackAndTheCloseNeverThrows) {
  FakeScript script{{"\r\nERROR\r\n", "\r\nOK\r\n"}};
  auto device = std::make_unique<FakeDevice>(&script);
  FakeDevice* d = device.get();
  std::string sent;
  {
    TBlockSerial port(std::move(device));
    port.RaiseOnError = true;
    port.OpenPort("x");
    EXPECT_THROW(port.RunAtCommand("AT+MDBL=1"), ESynaSerError);
    port.ClosePort();
    sent = d->sent;
    port.OpenPort("x");
    script.chunks = {"\r\nERROR\r\n", "\r\nOK\r\n"};
    EXPECT_THROW(port.RunAtCommand("AT+MDBL=1"), ESynaSerError);
  }  // the destructor switches back, without raising
  EXPECT_EQ(sent, "AT+MDBL=1\rAT+MODE=2\rAT+MDBL=1\rAT+MODE=0\r");
}

TEST(BlockSerial, LfOfASplitCrLfIsDroppedAtTheNextRead) {
  Port p(FakeScript{{"\r\nOK\r", "\n", "\r\n+CSQ: 9,99\r\n\r\nOK\r\n"}});
  p.serial->OpenPort("x");
  EXPECT_EQ(p.serial->RunAtCommand("AT"), "\r\nOK\r\n");
  EXPECT_EQ(p.serial->RunAtCommand("AT+CSQ"), "\r\n+CSQ: 9,99\r\n\r\nOK\r\n");
}

TEST(BlockSerial, TwoLinesInOneChunkNeedOnlyOneRead) {
  Port p(FakeScript{{"first\r\nsecond\r\n"}});
  p.serial->OpenPort("x");
  EXPECT_EQ(p.serial->ReadLine(100), "first");
  const int touches = p.device->touches;
  EXPECT_EQ(p.serial->ReadLine(100), "second");
  EXPECT_EQ(p.device->touches, touches) << "the second line came from the pending input";
}

TEST(BlockSerial, ReadUntilWithoutConversionNeedsTheExactTerminator) {
  Port p(FakeScript{{"a\rb\r\nc"}});
  p.serial->OpenPort("x");
  EXPECT_EQ(p.serial->ReadUntil(100, "\r\n"), "a\rb");
  EXPECT_EQ(p.serial->ReadUntil(100, "\r\n"), "");
  EXPECT_EQ(p.serial->LastError(), ErrTimeout);
  EXPECT_EQ(p.serial->ReadAvailable(10), "c") << "what was read stays pending";
  EXPECT_EQ(p.serial->ReadUntil(100, ""), "");
}

TEST(BlockSerial, MaxLineLengthStopsALongLine) {
  Port p(FakeScript{{"0123456789", "abc\r\n"}});
  p.serial->OpenPort("x");
  p.serial->MaxLineLength = 8;
  EXPECT_EQ(p.serial->ReadLine(100), "");
  EXPECT_EQ(p.serial->LastError(), ErrMaxBuffer);
  EXPECT_EQ(p.serial->LastErrorText(), "Maximal buffer length exceeded");
}

TEST(BlockSerial, TimeoutRaisesWithTheTimeoutText) {
  Port p(FakeScript{});
  p.serial->RaiseOnError = true;
  p.serial->OpenPort("x");
  try {
    p.serial->RunAtCommand("AT");
    FAIL() << "no error raised";
  } catch (const ESynaSerError& e) {
    EXPECT_EQ(e.Code, ErrTimeout);
    EXPECT_EQ(std::string(e.what()),
              Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута..."));
    EXPECT_EQ(e.Description, e.what());
  }
  EXPECT_FALSE(p.serial->ConvertLineEnds) << "restored when the error passed";
}

// How long the port object waits, on the scripted clock: the reply time-out restarts with
// every chunk unless PerPacketTimeout is off, and the AT+MODE=0 of the close is bounded as a
// whole, however the handset keeps talking.
struct WaitCase {
  const char* name;
  std::deque<std::string> chunks;
  std::int32_t chunkDelayMs;
  std::function<std::string(TBlockSerial&)> act;
  std::string result;
  std::int32_t error;
  std::uint32_t elapsedMs;
};

class WaitTest : public ::testing::TestWithParam<WaitCase> {};

TEST_P(WaitTest, EndsAfterTheTimeItMayTake) {
  const WaitCase& c = GetParam();
  FakeScript script{c.chunks};
  script.chunkDelayMs = c.chunkDelayMs;
  Port p(std::move(script));
  p.serial->OpenPort("x");
  p.serial->ReplyTimeout = 1000;
  EXPECT_EQ(c.act(*p.serial), c.result);
  EXPECT_EQ(p.serial->LastError(), c.error);
  EXPECT_EQ(p.clock.elapsed(), c.elapsedMs);
}

std::string RunAt(TBlockSerial& port) {
  return port.RunAtCommand("AT+CBC");
}

std::string ReadWhole(TBlockSerial& port) {
  port.PerPacketTimeout = false;
  return port.ReadLine(1000);
}

std::string CloseAfterTheSwitch(TBlockSerial& port) {
  port.RunAtCommand("AT+MDBL=1");
  port.ClosePort();
  return {};
}

INSTANTIATE_TEST_SUITE_P(
    ScriptedClock, WaitTest,
    ::testing::Values(
        WaitCase{"SilenceTimesOutAfterTheReplyTimeout", {}, 0, RunAt, "\r\n", ErrTimeout, 1000},
        WaitCase{"EachSlowChunkRestartsTheWait",
                 {"\r\n+CBC:", " 0,80\r\n", "\r\nOK\r\n"},
                 900,
                 RunAt,
                 "\r\n+CBC: 0,80\r\n\r\nOK\r\n",
                 0,
                 2700},
        WaitCase{"AChunkLaterThanTheTimeOutIsTooLate",
                 {"\r\n+CBC: 0,80\r\n\r\nOK\r\n"},
                 1001,
                 RunAt,
                 "\r\n",
                 ErrTimeout,
                 1000},
        WaitCase{"PerPacketOffBoundsTheWholeLine",
                 {"a", "b", "c\r\n"},
                 400,
                 ReadWhole,
                 "",
                 ErrTimeout,
                 1000},
        WaitCase{"PerPacketOffWithinTheBound", {"a", "b", "c\r\n"}, 300, ReadWhole, "abc", 0, 900},
        // Refused, switched, answered; then lines every 300 ms while the close switches back.
        WaitCase{"TheSwitchBackOfTheCloseIsBoundedAsAWhole",
                 {"\r\nERROR\r\n", "\r\nOK\r\n", "\r\nOK\r\n", "\r\n+CIEV: 1,3\r\n",
                  "\r\nnoise\r\n", "\r\nnoise\r\n", "\r\nnoise\r\n", "\r\nOK\r\n"},
                 300,
                 CloseAfterTheSwitch,
                 "",
                 0,
                 900 + 1000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BlockSerial, HangUpIsAnImmediateSystemError) {
  FakeScript s{{"\r\n+CGS"}};
  s.hangUpAtEnd = true;
  Port p(std::move(s));
  p.serial->RaiseOnError = true;
  p.serial->OpenPort("x");
  try {
    p.serial->RunAtCommand("AT+CGSN");
    FAIL() << "no error raised";
  } catch (const ESynaSerError& e) {
    EXPECT_EQ(e.Code, EIO);
    EXPECT_EQ(std::string(e.what()), "Input/output error");
  }
}

TEST(BlockSerial, LastErrorTextIsOkAfterSuccess) {
  Port p(FakeScript{{"\r\nOK\r\n"}});
  p.serial->OpenPort("x");
  p.serial->RunAtCommand("AT");
  EXPECT_EQ(p.serial->LastError(), 0);
  EXPECT_EQ(p.serial->LastErrorText(), "OK");
}

TEST(BlockSerial, SecondOpenIsRefusedAndTheFirstStaysUsable) {
  Port p(FakeScript{{"\r\nOK\r\n"}});
  p.serial->RaiseOnError = true;
  p.serial->OpenPort("COM1");
  try {
    p.serial->OpenPort("COM2");
    FAIL() << "second open accepted";
  } catch (const ESynaSerError& e) {
    EXPECT_EQ(e.Code, ErrAlreadyOwned);
    EXPECT_STREQ(e.what(), "Instance already in use");
  }
  EXPECT_EQ(p.device->opened, "/dev/ttyS0");
  EXPECT_EQ(p.serial->RunAtCommand("AT"), "\r\nOK\r\n");
}

TEST(BlockSerial, ClosedPortRefusesReadsAndWrites) {
  Port p(FakeScript{});
  EXPECT_EQ(p.serial->SendText("AT\r"), 0);
  EXPECT_EQ(p.serial->LastError(), ErrPortNotOpen);
  EXPECT_EQ(p.serial->ReadAvailable(10), "");
  EXPECT_EQ(p.serial->LastErrorText(), Ru("Телефон не подключен."));
  p.serial->RaiseOnError = true;
  EXPECT_THROW(p.serial->ReadLine(10), ESynaSerError);
}

TEST(BlockSerial, MissingDeviceIsNotConnected) {
  FakeScript s;
  s.openError = ENOENT;
  Port p(std::move(s));
  p.serial->RaiseOnError = true;
  try {
    p.serial->OpenPort("COM7");
    FAIL();
  } catch (const ESynaSerError& e) {
    EXPECT_EQ(e.Code, ENOENT);
    EXPECT_EQ(std::string(e.what()), Ru("Телефон не подключен."));
    EXPECT_EQ(e.Description, "No such file or directory");
  }
  EXPECT_FALSE(p.serial->PortActive());
}

TEST(BlockSerial, OtherOpenFailuresShowTheSystemText) {
  FakeScript s;
  s.openError = ENXIO;
  Port p(std::move(s));
  p.serial->RaiseOnError = true;
  try {
    p.serial->OpenPort("/dev/ttyUSB0");
    FAIL();
  } catch (const ESynaSerError& e) {
    EXPECT_STREQ(e.what(), "No such device or address");
  }
}

struct LineErrorCase {
  LineErrorFlags flags;
  std::int32_t code;
  const char* text;
};

TEST(BlockSerial, LineErrorsTranslateWithTheLastOneWinning) {
  const LineErrorCase cases[] = {
      {{true, false, false, false, false}, ErrFrame, "Receive framing error"},
      {{false, true, false, false, false}, ErrOverrun, "Receive Overrun Error"},
      {{false, false, true, false, false}, ErrRxOver, "Receive Queue overflow"},
      {{false, false, false, true, false}, ErrRxParity, "Receive Parity Error"},
      {{false, false, false, false, true}, ErrTxFull, "Tranceive Queue is full"},
      {{true, true, false, true, false}, ErrRxParity, "Receive Parity Error"},
  };
  for (const auto& c : cases) {
    FakeScript s;
    s.lineErrors = c.flags;
    Port p(std::move(s));
    p.serial->OpenPort("x");
    p.serial->SendText("AT\r");
    EXPECT_EQ(p.serial->LastError(), c.code);
    EXPECT_EQ(p.serial->LastErrorText(), c.text);
  }
}

TEST(BlockSerial, LineParamsAreTakenAsGiven) {
  Port p(FakeScript{});
  p.serial->OpenPort("x");
  p.serial->SetLineParams(19200, 8, 'N', 0, false, false);
  EXPECT_EQ(p.device->params.baud, 19200);
  EXPECT_EQ(p.device->params.dataBits, 8);
  EXPECT_EQ(p.device->params.parity, 'N');
  EXPECT_EQ(p.device->params.xonLimit, 1024);
  EXPECT_EQ(p.serial->LastError(), 0);
}

TEST(BlockSerial, CloseResetsTheObject) {
  Port p(FakeScript{{"\r\nOK\r\n"}});
  p.serial->OpenPort("COM3");
  EXPECT_EQ(p.serial->PortNumber(), 2);
  p.serial->ClosePort();
  EXPECT_FALSE(p.serial->PortActive());
  EXPECT_EQ(p.serial->PortNumber(), -1);
  EXPECT_FALSE(p.device->isOpen());
  p.serial->OpenPort("COM3");
  EXPECT_TRUE(p.serial->PortActive()) << "a closed object opens again";
}

TEST(ErrorDesc, Table) {
  const std::pair<std::int32_t, std::string> rows[] = {
      {0, "OK"},
      {9991, "Port owned by other process"},
      {9992, "Instance already in use"},
      {9993, "Wrong paramter at call"},
      {9994, Ru("Телефон не подключен.")},
      {9995, "No device answer detected"},
      {9996, "Maximal buffer length exceeded"},
      {9997, Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута...")},
      {9998, "Reading of data failed"},
      {9999, "Receive framing error"},
      {10000, "Receive Overrun Error"},
      {10001, "Receive Queue overflow"},
      {10002, "Receive Parity Error"},
      {10003, "Tranceive Queue is full"},
      {EBUSY, "Device or resource busy"},
      {EAGAIN, "Resource temporarily unavailable"},
  };
  for (const auto& [code, textOf] : rows)
    EXPECT_EQ(TBlockSerial::GetErrorDesc(code), textOf) << code;
}

TEST(FindLineEnd, EarliestWinsAndPairsBeatSingles) {
  const struct {
    std::string text;
    std::int64_t pos, len;
  } rows[] = {
      {"", 0, 0},         {"abc", 0, 0},  {"a\r\n", 2, 2}, {"\r\r\n", 1, 1},  {"a\n\rb", 2, 2},
      {"a\nb\r\n", 2, 1}, {"ab\r", 3, 1}, {"\n", 1, 1},    {"x\r\n\r", 2, 2}, {"\n\n\r", 1, 1},
  };
  for (const auto& r : rows) {
    LineEnd e = FindLineEnd(r.text);
    EXPECT_EQ(e.pos, r.pos) << r.text.size();
    EXPECT_EQ(e.len, r.len) << r.text.size();
  }
}

TEST(TickDiff, ForwardDistanceAcrossTheWrap) {
  EXPECT_EQ(TickDiff(5, 5), 0u);
  EXPECT_EQ(TickDiff(100, 250), 150u);
  EXPECT_EQ(TickDiff(0xFFFFFFF0u, 0x10u), 0x20u);
  EXPECT_EQ(TickDiff(1, 0), 0xFFFFFFFFu);
}

TEST(MapPortName, ComNamesAndTtySNames) {
  const struct {
    std::string name;
    std::int32_t number;
    std::string path;
  } rows[] = {
      {"COM3", 2, "/dev/ttyS2"},
      {"com3", 2, "/dev/ttyS2"},
      {"COM12", 11, "/dev/ttyS11"},
      {"COM1", 0, "/dev/ttyS0"},
      {"COMX", -1, "COMX"},
      {"COM", -1, "COM"},
      {"COM0", -1, "COM0"},
      {"/dev/ttyS0", 0, "/dev/ttyS0"},
      {"/DEV/TTYS4", 4, "/dev/ttyS4"},
      {"/dev/ttySAC0", -2, "/dev/ttySAC0"},
      {"/dev/ttyUSB0", -1, "/dev/ttyUSB0"},
      {"/dev/ttyACM0", -1, "/dev/ttyACM0"},
      {"/dev/serial/by-id/usb-Motorola_Phone-if00", -1,
       "/dev/serial/by-id/usb-Motorola_Phone-if00"},
      {"/dev/pts/7", -1, "/dev/pts/7"},
  };
  for (const auto& r : rows) {
    PortNameMapping m = MapPortName(r.name);
    EXPECT_EQ(m.portNumber, r.number) << r.name;
    EXPECT_EQ(m.devicePath, r.path) << r.name;
  }
}

}  // namespace
}  // namespace quorvex
