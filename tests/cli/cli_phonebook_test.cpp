// quorvex-cli phonebook end to end: the real program in a scratch working directory against
// the simulated handset hosted by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>

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

sim::PhoneEntry Entry(std::string number, std::string name, int type) {
  sim::PhoneEntry e;
  e.number = std::move(number);
  e.format = e.number[0] == '+' ? 145 : 129;
  e.name = std::move(name);
  e.type = type;
  return e;
}

sim::HandsetState Handset() {
  sim::HandsetState s = sim::EmptyState();
  s.phoneSize = 20;
  s.simSize = 5;
  s.groups = {{Ru("Друзья"), 255}, {Ru("Работа"), 255}};
  s.entries[1] = Entry("+79161234501", Ru("Иван"), 3);
  s.entries[1].category = 1;
  s.entries[1].icon = 8;
  s.entries[2] = Entry("5555", "Taxi", 2);
  s.entries[2].alert = 0;
  s.entries[21] = Entry("+112", "SOS", 0);
  return s;
}

class CliPhoneBook : public clitest::CliFixture {
 protected:
  CliPhoneBook() : CliFixture("qv-cli-pb") { clearTranscriptOnRun(); }

  // A fresh scratch directory (a test may start several handsets one after another) and a
  // handset of `model` holding Handset().
  void start(const std::string& model, const std::function<void(sim::SimOptions&)>& tune = {}) {
    freshDir();
    sim::SimOptions o;
    o.model = model;
    if (tune) tune(o);
    const sim::HandsetState state = Handset();
    hostPhone(o, &state, 3000);
  }

  // The write and erase commands the last run sent.
  V writes() const { return phoneBookWrites(); }
};

const std::string kGroupedList =
    "1\tИван\t+79161234501\tМобильный\tПо умолчанию\tзвезда\tДрузья\n"
    "2\tTaxi\t5555\tОсновной\tБесшумный\tнет\t\n"
    "21\tSOS\t+112\tSIM\tПо умолчанию\tнет\t\n";

TEST_F(CliPhoneBook, ReadPrintsTheListPerFamily) {
  const std::pair<const char*, std::string> cases[] = {
      {"C350", kGroupedList},
      {"V60",
       "1\tИван\t+79161234501\tМобильный\tПо умолчанию\n"
       "2\tTaxi\t5555\tОсновной\tБесшумный\n"
       "21\tSOS\t+112\tПо умолчанию\n"},
      {"T720i",
       "1\tИван\t+79161234501\tМобильный\tПо умолчанию\n"
       "2\tTaxi\t5555\tОсновной\tБесшумный\n"
       "21\tSOS\t+112\tSIM\tПо умолчанию\n"},
  };
  for (const auto& [model, list] : cases) {
    start(model);
    const Result r = run({"phonebook", "read"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, list) << model;
    EXPECT_TRUE(writes().empty());
    phone_.reset();
  }
}

TEST_F(CliPhoneBook, AddFillsTheDialogAndPressesWrite) {
  start("C350");
  const Result r = run({"phonebook", "add", "--number", "+7000", "--name", "Пётр", "--type", "Факс",
                        "--ids", "12", "--group", "Работа", "--icon", "3"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(writes(), V{"AT+MPBW=3,\"+7000\",145,041F045104420440,4,0,12,0,1,2,3,255,0"});
  EXPECT_EQ(r.out, kGroupedList + "3\tПётр\t+7000\tФакс\t12\tробот\tРабота\n");
  EXPECT_EQ(phone_->state().entries.at(3).name, Ru("Пётр"));
}

TEST_F(CliPhoneBook, ARefusingDialogIsCancelledAndNothingIsWritten) {
  const std::pair<V, std::string> cases[] = {
      {{"phonebook", "add", "--number", "1"}, "[error] Необходимо заполнить все поля!\n"},
      // The alert box takes digits only: "abc" types nothing.
      {{"phonebook", "add", "--number", "1", "--name", "x", "--ids", "abc"},
       "[error] Необходимо заполнить все поля!\n"},
      {{"phonebook", "add", "--index", "26", "--number", "1", "--name", "x"},
       "[error] Номер записи должен быть в пределах от 1 до 25!\n"},
      {{"phonebook", "add", "--index", "2", "--number", "1", "--name", "x"},
       "[error] Запись с номером 2 уже есть в справочнике! Выберите свободный номер.\n"},
  };
  start("C350");
  for (const auto& [args, err] : cases) {
    const Result r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, err);
    EXPECT_EQ(r.out, kGroupedList);
    EXPECT_TRUE(writes().empty());
  }
  // A typed index that is no number: the standard error box ends the run.
  const Result r = run({"phonebook", "add", "--index", "1x", "--number", "1", "--name", "x"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[error] '1x' is not a valid integer value\n");
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(writes().empty());
}

TEST_F(CliPhoneBook, EditMovesARow) {
  start("V60");
  const Result r = run({"phonebook", "edit", "2", "--index", "5", "--name", "Cab"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(writes(), (V{"AT+MPBW=2", "AT+MPBW=5,\"5555\",129,004300610062,2,0,0,0,1"}))
      << "the entry keeps its silent alert";
  EXPECT_EQ(r.out,
            "1\tИван\t+79161234501\tМобильный\tПо умолчанию\n"
            "5\tCab\t5555\tОсновной\tБесшумный\n"
            "21\tSOS\t+112\tПо умолчанию\n");
}

TEST_F(CliPhoneBook, DeleteOneOrSeveral) {
  start("C350");
  Result r = run({"phonebook", "delete", "--select", "2"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(writes(), V{"AT+MPBW=2"});
  EXPECT_EQ(r.out,
            "1\tИван\t+79161234501\tМобильный\tПо умолчанию\tзвезда\tДрузья\n"
            "21\tSOS\t+112\tSIM\tПо умолчанию\tнет\t\n");
  r = run({"phonebook", "delete", "--select", "1,21"});
  EXPECT_EQ(writes(), (V{"AT+MPBW=1", "AT+MPBW=21"}));
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(phone_->state().entries.empty());
}

// What a delete put into the bin is listed newest first and written back by its id; the bin
// file lives in the working directory beside portcfg.ini.
TEST_F(CliPhoneBook, TheBinListsWhatADeleteTookAndRestoresIt) {
  start("C350");
  const sim::HandsetState before = phone_->state();
  Result r = run({"bin", "list"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  ASSERT_EQ(run({"phonebook", "delete", "--select", "2"}).status, 0);
  ASSERT_EQ(run({"phonebook", "delete", "--select", "1,21"}).status, 0);
  EXPECT_TRUE(phone_->state().entries.empty());

  r = run({"bin", "list"});
  EXPECT_EQ(r.status, 0) << r.err;
  // The two deletes may fall on either side of a second: each line keeps its own time.
  std::string shown = r.out;
  for (std::size_t line = 0; line < shown.size(); line = shown.find('\n', line) + 1) {
    const std::size_t tab = shown.find('\t', line);
    ASSERT_NE(tab, std::string::npos) << r.out;
    EXPECT_TRUE(std::regex_match(shown.substr(tab + 1, 19),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << r.out;
    shown.replace(tab + 1, 19, "TIME");
  }
  EXPECT_EQ(shown,
            "3\tTIME\tСправочник\tSOS\t+112\n"
            "2\tTIME\tСправочник\tИван\t+79161234501\n"
            "1\tTIME\tСправочник\tTaxi\t5555\n");
  EXPECT_TRUE(fs::exists(dir_ / "recycle_bin.txt"));

  phone_->clearTranscript();
  r = run({"bin", "restore", "3", "1", "2", "9"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "[error] В корзине нет записи 9.\n");
  EXPECT_EQ(r.out,
            "3\tSOS\tвосстановлено под номером 21\n"
            "1\tTaxi\tвосстановлено под номером 2\n"
            "2\tИван\tвосстановлено под номером 1\n");
  EXPECT_EQ(phone_->state(), before);
  EXPECT_EQ(run({"bin", "list"}).out, "") << "restored records leave the bin";
}

TEST_F(CliPhoneBook, WriteAllPrintsNothingAndChangesNothing) {
  start("C450");
  const auto before = phone_->state();
  const Result r = run({"phonebook", "write-all"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(writes().size(), 3u);
  EXPECT_EQ(phone_->state(), before);
}

TEST_F(CliPhoneBook, SaveAndLoadAFile) {
  start("V60");
  Result r = run({"phonebook", "save", "book.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp("book.csv"), Ru("PHONE;1;Иван;+79161234501;3;0;255;0;1;0;0;255;0\r\n"
                                  "PHONE;2;Taxi;5555;2;0;0;0;1;0;0;255;0\r\n"
                                  "SIM;1;SOS;+112\r\n"));
  write("more.csv",
        Ru("PHONE;7;Ёлка;+7;1;0;255;0;1;0;0;255;0\r\nPHONE;40;Far;1;1;0;255;0;1;0;0;255;0\r\n"));
  r = run({"phonebook", "load", "more.csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err,
            "[warning] Строк файла пропущено: 1. Номера их записей лежат вне справочника "
            "телефона.\n");
  EXPECT_EQ(writes(), (V{"AT+MPBW=1,\"+79161234501\",145,041804320430043D,3,0,255,0,1",
                         "AT+MPBW=2,\"5555\",129,0054006100780069,2,0,0,0,1",
                         "AT+MPBW=7,\"+7\",145,0401043B043A0430,1,0,255,0,1",
                         "AT+MPBW=21,\"+112\",145,0053004F0053,7,0,255,0,1"}));
  EXPECT_EQ(r.out,
            "1\tИван\t+79161234501\tМобильный\tПо умолчанию\n"
            "2\tTaxi\t5555\tОсновной\tБесшумный\n"
            "7\tЁлка\t+7\tДомашний\tПо умолчанию\n"
            "21\tSOS\t+112\tSIM\tПо умолчанию\n");
}

TEST_F(CliPhoneBook, SavingAGroupedPhoneBookIsRefusedAndTouchesNoFile) {
  start("C350");
  const Result r = run({"phonebook", "save", "book.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "[warning] Сохранение телефонной книги для модели телефона \"C350\" пока не "
            "поддерживается. Файл не записан.\n");
  EXPECT_FALSE(fs::exists(dir_ / "book.csv"));
}

TEST_F(CliPhoneBook, UsageErrors) {
  start("C350");
  const V cases[] = {
      {"phonebook"},
      {"phonebook", "fly"},
      {"phonebook", "read", "extra"},
      {"phonebook", "delete"},
      {"phonebook", "edit"},
      {"phonebook", "save"},
      {"phonebook", "add", "--type", "Спутник"},
      {"phonebook", "add", "--icon", "16"},
      {"phonebook", "add", "--colour", "red"},
      {"phonebook", "add", "--name"},
      {"phonebook", "add", "--number", "1", "--name", "x", "--group", "Клуб"},
      {"bin"},
      {"bin", "fly"},
      {"bin", "list", "extra"},
      {"bin", "restore"},
      {"bin", "restore", "two"},
      {"bin", "restore", "0"},
  };
  for (const V& args : cases) {
    const Result r = run(args);
    EXPECT_EQ(r.status, 2) << args.back() << ": " << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(writes().empty());
  }
}

TEST_F(CliPhoneBook, AMissingHandsetEndsTheRun) {
  start("C350");
  SavePortSettings({"/dev/quorvex-no-such-port", 115200, 3000}, (dir_ / "portcfg.ini").string());
  const Result r = run({"phonebook", "add", "--number", "1", "--name", "x"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[error] Телефон не подключен.\n");
  EXPECT_EQ(r.out, "");
}

TEST_F(CliPhoneBook, TheDemoShowsThePhoneBook) {
  start("C350");
  const Result r = run({"demo"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("== Справочник ==\n" + kGroupedList), std::string::npos) << r.out;
}

}  // namespace
}  // namespace quorvex
