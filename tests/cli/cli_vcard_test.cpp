// quorvex-cli phonebook export-vcard / import-vcard end to end: the real program in a scratch
// working directory against the simulated handset hosted by the test.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_fixture.h"
#include "codec/ru.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using V = std::vector<std::string>;

using clitest::Result;

sim::HandsetState Handset() {
  sim::HandsetState s = sim::EmptyState();
  s.phoneSize = 5;
  s.simSize = 2;
  s.groups = {{Ru("Друзья"), 255}, {Ru("Работа"), 255}};
  sim::PhoneEntry e;
  e.number = "+79161234501";
  e.format = 145;
  e.name = Ru("Иван");
  e.type = 3;
  e.category = 1;
  s.entries[1] = e;
  return s;
}

class CliVCard : public clitest::CliFixture {
 protected:
  CliVCard() : CliFixture("qv-cli-vcf") { clearTranscriptOnRun(); }

  void SetUp() override {
    CliFixture::SetUp();
    sim::SimOptions o;
    o.model = "C350";
    const sim::HandsetState state = Handset();
    hostPhone(o, &state, 3000);
  }

  V writes() const { return phoneBookWrites(); }
};

const std::string kList = "1\tИван\t+79161234501\tМобильный\tПо умолчанию\tнет\tДрузья\n";

const std::string kIvan =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;Иван;;;\r\nFN:Иван\r\n"
    "UID:8fe67670-2ff3-53fa-b907-7e48d9a3ede9\r\nTEL;TYPE=CELL,VOICE:+79161234501\r\n"
    "CATEGORIES:Друзья\r\nX-QUORVEX-STORAGE:PHONE\r\nEND:VCARD\r\n";

TEST_F(CliVCard, ExportWritesTheFileAndPrintsTheList) {
  const std::pair<V, std::string> cases[] = {
      {{"phonebook", "export-vcard", "book.vcf"}, kIvan},
      {{"phonebook", "export-vcard", "book.vcf", "--version", "3.0"}, kIvan},
      {{"phonebook", "export-vcard", "--version=2.1", "book.vcf"},
       "BEGIN:VCARD\r\nVERSION:2.1\r\n"
       "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;=D0=98=D0=B2=D0=B0=D0=BD;;;\r\n"
       "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=B2=D0=B0=D0=BD\r\n"
       // The same UID in both versions.
       "UID:8fe67670-2ff3-53fa-b907-7e48d9a3ede9\r\n"
       "TEL;CELL;VOICE:+79161234501\r\n"
       // At most 75 octets a line; the soft break falls between two letters.
       "CATEGORIES;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=94=D1=80=D1=83=\r\n"
       "=D0=B7=D1=8C=D1=8F\r\n"
       "X-QUORVEX-STORAGE:PHONE\r\nEND:VCARD\r\n"},
  };
  for (const auto& [args, file] : cases) {
    fs::remove(dir_ / "book.vcf");
    const Result r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, kList);
    EXPECT_EQ(slurp("book.vcf"), file);
    EXPECT_TRUE(writes().empty());
  }
}

TEST_F(CliVCard, UsageErrorsSendNothing) {
  const V cases[] = {
      {"phonebook", "export-vcard", "book.vcf", "--version", "4.0"},
      {"phonebook", "export-vcard"},
      {"phonebook", "import-vcard"},
      {"phonebook", "import-vcard", "in.vcf", "--version", "3.0"},
  };
  for (const V& args : cases) {
    const Result r = run(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_NE(r.err.find("quorvex-cli: "), std::string::npos);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(phone_->transcript().empty());
  }
  EXPECT_FALSE(fs::exists(dir_ / "book.vcf"));
}

const std::string kImport =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=B2=D0=B0="
    "\r\n"
    "=D0=BD\r\nTEL;CELL:+7 916 123-45-01\r\nTEL;WORK:+74950000000\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna\r\nTEL:555\r\nCATEGORIES:Работа\r\nEND:VCARD\r\n";

const std::string kPreview =
    "\tИван\t+79161234501\tМобильный\t\tПропущена: уже есть в телефоне под номером 1\n"
    "2\tИван\t+74950000000\tРабочий\t\tБудет записана под номером 2\n"
    "3\tAnna\t555\tОсновной\tРабота\tБудет записана под номером 3\n";

TEST_F(CliVCard, ImportPrintsThePreviewAndAsks) {
  write("in.vcf", kImport);
  // Without --yes the question answers No: nothing is written.
  for (const char* answer : {"", "--no"}) {
    V args = {"phonebook", "import-vcard", "in.vcf"};
    if (*answer) args.insert(args.begin(), answer);
    const Result r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kPreview);
    EXPECT_EQ(r.err,
              "[question] Будет записано: 2; уже в телефоне: 1; повторов в файле: 0; не "
              "помещается: 0; без номера: 0; с изменениями: 0.\nЗаписать эти записи в телефон? "
              "-> No\n");
    EXPECT_TRUE(writes().empty());
  }
  const Result r = run({"--yes", "phonebook", "import-vcard", "in.vcf"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kPreview);
  EXPECT_NE(r.err.find("-> Yes\n[information] Записано в телефон: 2 из 2.\n"), std::string::npos)
      << r.err;
  EXPECT_EQ(writes(), (V{"AT+MPBW=2,\"+74950000000\",145,041804320430043D,0,0,255,0,1,0,255,255,0",
                         "AT+MPBW=3,\"555\",129,0041006E006E0061,2,0,255,0,1,2,255,255,0"}));
  EXPECT_EQ(phone_->state().entries.size(), 3u);

  // A second run finds everything on the handset and asks nothing.
  const Result again = run({"--yes", "phonebook", "import-vcard", "in.vcf"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.err,
            "[information] Будет записано: 0; уже в телефоне: 3; повторов в файле: 0; не "
            "помещается: 0; без номера: 0; с изменениями: 0.\n");
  EXPECT_TRUE(writes().empty());
}

TEST_F(CliVCard, AFullPhoneMemoryOffersTheSimForTheRest) {
  std::string file;
  for (const char c : std::string("ABCDE"))
    file += std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:") + c +
            "\r\nTEL:" + std::to_string(c - 'A' + 1) + "\r\nEND:VCARD\r\n";
  write("in.vcf", file);
  const Result r = run({"--yes", "phonebook", "import-vcard", "in.vcf"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "2\tA\t1\tОсновной\t\tБудет записана под номером 2\n"
            "3\tB\t2\tОсновной\t\tБудет записана под номером 3\n"
            "4\tC\t3\tОсновной\t\tБудет записана под номером 4\n"
            "5\tD\t4\tОсновной\t\tБудет записана под номером 5\n"
            "6\tE\t5\tSIM\t\tБудет записана на SIM-карту под номером 6: в памяти телефона нет "
            "места\n");
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
            "[question] Будет записано: 5 (из них на SIM-карту: 1); уже в телефоне: 0; повторов в "
            "файле: 0; не помещается: 0; без номера: 0; с изменениями: 0.");
  const V w = writes();
  ASSERT_EQ(w.size(), 5u);
  EXPECT_EQ(w.back(), "AT+MPBW=6,\"5\",129,0045,8,0,255,0,1,0,255,255,0");
  EXPECT_EQ(phone_->state().entries.count(6), 1u);
}

TEST_F(CliVCard, AMissingImportFileIsTheStandardErrorBox) {
  const Result r = run({"--yes", "phonebook", "import-vcard", "nowhere.vcf"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[error] File not found\n");
  EXPECT_TRUE(writes().empty());
}

}  // namespace
}  // namespace quorvex
