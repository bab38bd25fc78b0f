// quorvex-cli against recorded transcripts: the handset answers what was recorded, and every
// command the program sends must be the next recorded one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_fixture.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

struct ReplayCase {
  const char* name;
  std::string transcript;  // under tests/transcripts
  std::vector<std::string> args;
  std::string out;  // UTF-8, as printed
  std::string err;
  std::string file = {};  // written by the command into the scratch directory, and its bytes
  std::string bytes = {};
};

const std::string kC350Book =
    "1\tIvan Petrov\t+79161234501\tМобильный\tПо умолчанию\tдружок\tFriends\n"
    "4\tOffice\t89031234567\tОсновной\tПо умолчанию\tнет\tWork\n"
    "21\tHome\t+74959876543\tSIM\tПо умолчанию\tнет\t\n";
const std::string kC350Inbox =
    "1\t+79161234501\t26/12/01,09:15:32+12\tвходящее\t11\tпрочитано\tHello there\n"
    "2\t+4930123456\t26/12/08,01:30:05+04\tвходящее\t7\tне прочитано\tSee you\n"
    "Входящие (2)\n";

class CliReplay : public clitest::CliFixture, public ::testing::WithParamInterface<ReplayCase> {
 protected:
  CliReplay() : CliFixture("qv-cli-replay") {}
};

TEST_P(CliReplay, ShowsWhatTheHandsetSent) {
  const ReplayCase& c = GetParam();
  sim::SimOptions o;
  o.replayFile = std::string(QUORVEX_TRANSCRIPTS) + "/" + c.transcript;
  sim::PhoneSim& phone = hostPhone(o, nullptr, 3000);
  const clitest::Result r = run(c.args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, c.out);
  EXPECT_EQ(r.err, c.err);
  EXPECT_EQ(phone.replayMismatches(), std::vector<std::string>{});
  EXPECT_EQ(phone.replayLeft(), 0);
  if (!c.file.empty()) {
    EXPECT_EQ(slurp(c.file), c.bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Transcripts, CliReplay,
    ::testing::Values(
        ReplayCase{"PhoneBook", "phonebook_c350.txt", {"phonebook", "read"}, kC350Book, ""},
        // Codes that arrive during a read are no part of its replies.
        ReplayCase{"PhoneBookWithACallAndAMessageArriving",
                   "phonebook_unsolicited.txt",
                   {"phonebook", "read"},
                   kC350Book,
                   ""},
        // The fields after the layout's own are read past; a name keeps its Latin letters.
        ReplayCase{"PhoneBookOf25Fields",
                   "phonebook_25_fields.txt",
                   {"phonebook", "read"},
                   "181\tDDUfDUfwD\t0800886600\tРабочий\tПо умолчанию\n"
                   "253\tWegleitner Sabine Mensa\t069912158732\tМобильный\tПо умолчанию\n",
                   ""},
        ReplayCase{"DateBook",
                   "datebook_c350.txt",
                   {"datebook", "read"},
                   "0\tMeeting\t10:00\t09:45\t12-10-2026\t60\tеженедельно\tвкл.\n"
                   "3\tDentist\t14:30\t00:00\t12-17-2026\t45\tнет\tвыкл.\n"
                   "Свободно: 80%\n",
                   ""},
        ReplayCase{"DateBookWithAQuotedTitle",
                   "datebook_quoted_title.txt",
                   {"datebook", "read"},
                   "0\tMeeting\t17:00\t00:00\t02-24-2006\t60\tнет\tвыкл.\nСвободно: 90%\n",
                   ""},
        // The list shows the stamps as they came; the export writes them as dates and times.
        ReplayCase{"InboxWithFullYearStamps",
                   "inbox_year_stamps.txt",
                   {"sms", "export-csv", "inbox", "inbox.csv"},
                   "1\t+436641234567\t2009/8/18,19:11:45\tвходящее\t11\tпрочитано\tHello there\n"
                   "2\t+436649876543\t2009/12/1,08:05:09\tвходящее\t7\tне прочитано\tSee you\n",
                   "",
                   "inbox.csv",
                   "\xEF\xBB\xBF\"Папка\",\"Статус\",\"Номер\",\"Дата\",\"Время\",\"Текст\"\r\n"
                   "\"Входящие\",\"прочитано\",\"+436641234567\",\"2009-08-18\",\"19:11:45\","
                   "\"Hello there\"\r\n"
                   "\"Входящие\",\"не прочитано\",\"+436649876543\",\"2009-12-01\",\"08:05:09\","
                   "\"See you\"\r\n"},
        ReplayCase{"Inbox", "inbox_c350.txt", {"sms", "read", "inbox"}, kC350Inbox, ""},
        ReplayCase{"InboxWithAMessageAndACallArriving",
                   "inbox_unsolicited.txt",
                   {"sms", "read", "inbox"},
                   kC350Inbox,
                   ""}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace quorvex
