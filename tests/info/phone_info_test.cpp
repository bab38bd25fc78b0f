// The information section against the simulated handset on a pty.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "codec/ru.h"
#include "info/phone_info.h"
#include "info_fixture.h"

namespace quorvex {
namespace {

using testing::AppStateTest;
using testing::RaisedMessage;
using Transcript = std::vector<std::string>;

const Transcript kSevenCommands = {"AT+CGSN", "AT+CIMI", "AT+CGMI", "AT+CGMM",
                                   "AT+CGMR", "AT+CBC",  "AT+CSQ"};

sim::HandsetState Handset() {
  sim::HandsetState s = sim::EmptyState();
  s.imei = "351234567890123";
  s.imsi = "250991234567890";
  s.manufacturer = "Motorola CE, Copyright 2000";
  s.revision = "R374_G_0B.A0.0FR";
  s.batteryStatus = 0;
  s.batteryLevel = 65;
  s.rssi = 20;
  s.ber = 99;
  return s;
}

class PhoneInfo : public AppStateTest {
 protected:
  PhoneInfoSection section;
};

// Echo on or off; the IMSI with its prefix or bare, as Motorola handsets send it.
class PhoneInfoEcho : public PhoneInfo,
                      public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(PhoneInfoEcho, SevenCommandsInOrderFillTheSection) {
  sim::SimOptions o;
  o.model = "T720i";
  o.echo = std::get<0>(GetParam());
  o.bareImsi = std::get<1>(GetParam());
  const sim::HandsetState state = Handset();
  startPhone(state, o);
  section.pictureDir = QUORVEX_DATA_DIR;
  section.sbPhoneInfoClick(*app_);

  EXPECT_EQ(phone().transcript(), kSevenCommands);
  EXPECT_EQ(section.edtIMEI, "351234567890123");
  EXPECT_EQ(section.edtIMSI, "250991234567890");
  EXPECT_EQ(section.edtManufacturer, "Motorola CE, Copyright 2000");
  EXPECT_EQ(section.edtModel, "Motorola T720i");
  EXPECT_EQ(section.edtBand, "GSM900, GSM1800, GSM1900");
  EXPECT_EQ(section.edtSoftWare, "R374_G_0B.A0.0FR");
  EXPECT_EQ(section.ggStatusCharge.Position, 65);
  EXPECT_EQ(section.ggStatusSignal.Position, 2 * 20 - 113);
  EXPECT_EQ(section.SpeedButton11Caption, Ru("Синхронизировать\r\nвремя"));
  ASSERT_TRUE(section.Image1.has_value());
  EXPECT_EQ(section.Image1->width, 120);
  EXPECT_EQ(section.Image1File, std::string(QUORVEX_DATA_DIR) + "/t722i.jpg");
  EXPECT_EQ(section.Image1Generation, 1);
}

INSTANTIATE_TEST_SUITE_P(Echo, PhoneInfoEcho,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "On" : "Off") +
                                  (std::get<1>(info.param) ? "BareImsi" : "");
                         });

TEST_F(PhoneInfo, ModelWithoutPictureKeepsThePreviousOne) {
  section.pictureDir = QUORVEX_DATA_DIR;
  sim::SimOptions o;
  o.model = "C330";
  startPhone(o);
  app_->LoadPortSettings();
  section.ShowModel(*app_);
  ASSERT_TRUE(section.Image1.has_value());
  const RgbImage c330 = *section.Image1;
  EXPECT_EQ(section.edtBand, "GSM900, GSM1800");

  phone_.reset();
  o.model = "T720";
  startPhone(o);
  app_->LoadPortSettings();
  section.ShowModel(*app_);
  EXPECT_EQ(section.edtModel, "Motorola T720");
  ASSERT_TRUE(section.Image1.has_value());
  EXPECT_EQ(*section.Image1, c330);
  EXPECT_EQ(section.Image1Generation, 1);
  EXPECT_EQ(section.Image1File, std::string(QUORVEX_DATA_DIR) + "/c33x.jpg");
}

TEST_F(PhoneInfo, MissingOrDamagedPictureFileKeepsThePreviousOne) {
  sim::SimOptions o;
  o.model = "V150";
  startPhone(o);
  app_->LoadPortSettings();
  // The pictures are looked up by bare name in the working directory by default.
  section.ShowModel(*app_);
  EXPECT_FALSE(section.Image1.has_value());
  EXPECT_EQ(section.edtModel, "Motorola V150");

  section.pictureDir = dir_.string();
  RgbImage previous{1, 1, {1, 2, 3}};
  section.Image1 = previous;
  {
    std::ofstream bad(path("v150.jpg"), std::ios::binary);
    bad << "\xFF\xD8\xFF\xE0 not really a picture";
  }
  section.edtModel.clear();
  section.ShowModel(*app_);
  EXPECT_EQ(section.Image1, previous);
  EXPECT_EQ(section.Image1Generation, 0);
  EXPECT_EQ(section.edtModel, "Motorola V150");

  std::filesystem::copy_file(std::string(QUORVEX_DATA_DIR) + "/v150.jpg", path("v150.jpg"),
                             std::filesystem::copy_options::overwrite_existing);
  section.ShowModel(*app_);
  ASSERT_TRUE(section.Image1.has_value());
  EXPECT_EQ(section.Image1->width, 120);
  EXPECT_EQ(section.Image1Generation, 1);
}

struct SignalCase {
  const char* name;
  int rssi;
  int before;
  int after;
};

class PhoneInfoSignal : public PhoneInfo, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(PhoneInfoSignal, RefreshShowsTheLevel) {
  const SignalCase& c = GetParam();
  sim::HandsetState state = Handset();
  state.rssi = c.rssi;
  state.batteryLevel = 100;
  startPhone(state);
  app_->LoadPortSettings();
  section.ggStatusSignal.setPosition(c.before);
  section.SpeedButton1Click(*app_);
  EXPECT_EQ(phone().transcript(), (Transcript{"AT+CBC", "AT+CSQ"}));
  EXPECT_EQ(section.ggStatusCharge.Position, 100);
  EXPECT_EQ(section.ggStatusSignal.Position, c.after);
}

INSTANTIATE_TEST_SUITE_P(Levels, PhoneInfoSignal,
                         ::testing::Values(SignalCase{"Weakest", 0, -60, -113},
                                           SignalCase{"Strongest", 31, -60, -51},
                                           // 32..99 are no levels: the gauge shows empty, not full.
                                           SignalCase{"NotKnown", 99, -60, -114},
                                           SignalCase{"Reserved", 50, -60, -114}),
                         [](const auto& info) { return info.param.name; });

TEST_F(PhoneInfo, RefreshDoesNotReloadTheSettings) {
  startPhone();
  app_->LoadPortSettings();
  writeSettings("/dev/quorvex-no-such-port");
  section.SpeedButton1Click(*app_);
  EXPECT_EQ(phone().transcript(), (Transcript{"AT+CBC", "AT+CSQ"}));
  EXPECT_EQ(RaisedMessage([&] { section.sbPhoneInfoClick(*app_); }), Ru("Телефон не подключен."));
  EXPECT_EQ(phone().transcript().size(), 2u);
}

TEST_F(PhoneInfo, ErrorAnswerIsShownAsText) {
  sim::SimOptions o;
  o.errorOn = {"AT+CGSN", "AT+CGMI", "AT+CGMM"};
  startPhone(o);
  section.sbPhoneInfoClick(*app_);
  EXPECT_EQ(phone().transcript(), kSevenCommands);
  EXPECT_EQ(section.edtIMEI, "\r\nERROR\r\n");
  EXPECT_EQ(section.edtManufacturer, "\nERROR\r");
  EXPECT_EQ(section.edtModel, "Motorola R\r\n");
  EXPECT_EQ(section.edtBand, "");
  EXPECT_EQ(section.SpeedButton11Caption, Ru("Синхронизировать\r\nвремя"));
}

struct StopCase {
  const char* name;
  sim::SimOptions options;
  std::size_t sent;  // commands that reached the handset
  std::string error;
};

sim::SimOptions ErrorOn(const char* command) {
  sim::SimOptions o;
  o.errorOn = {command};
  return o;
}
sim::SimOptions SilentAfter(int n) {
  sim::SimOptions o;
  o.silentAfter = n;
  return o;
}

class PhoneInfoStops : public PhoneInfo, public ::testing::WithParamInterface<StopCase> {};

TEST_P(PhoneInfoStops, AFailingRoutineStopsTheOnesAfterIt) {
  const StopCase& c = GetParam();
  startPhone(c.options);
  section.ggStatusCharge.setPosition(42);
  section.ggStatusSignal.setPosition(-70);
  EXPECT_EQ(RaisedMessage([&] { section.sbPhoneInfoClick(*app_); }), c.error);
  const Transcript sent = phone().transcript();
  ASSERT_EQ(sent.size(), c.sent);
  EXPECT_TRUE(std::equal(sent.begin(), sent.end(), kSevenCommands.begin()));
  EXPECT_EQ(section.SpeedButton11Caption, Ru("Синхронизировать"));
  // The routine that raised and the ones after it left their controls alone.
  const std::string* texts[] = {&section.edtIMEI, &section.edtIMSI, &section.edtManufacturer,
                                &section.edtModel, &section.edtSoftWare};
  for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(texts[k]->empty(), k + 1 >= c.sent) << k;
  if (c.sent <= 6) {
    EXPECT_EQ(section.ggStatusCharge.Position, 42);
  }
  EXPECT_EQ(section.ggStatusSignal.Position, -70);
  // Every routine freed its port: the handset can be reached again at once.
  phone_->clearTranscript();
  auto port = app_->OpenHandset(false);
  EXPECT_TRUE(port->PortActive());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PhoneInfoStops,
    ::testing::Values(
        StopCase{"BatteryErrorFailsTheConversion", ErrorOn("AT+CBC"), 6,
                 "'ERROR\r\n' is not a valid integer value"},
        StopCase{"SignalErrorFailsTheConversion", ErrorOn("AT+CSQ"), 7,
                 "'' is not a valid integer value"},
        StopCase{"SilentAtModel", SilentAfter(3), 4,
                 Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута...")},
        StopCase{"SilentFromTheStart", SilentAfter(0), 1,
                 Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута...")}),
    [](const auto& info) { return info.param.name; });

TEST_F(PhoneInfo, MissingSettingsFileSendsNothing) {
  startPhone();
  std::filesystem::remove(path("portcfg.ini"));
  EXPECT_EQ(RaisedMessage([&] { section.sbPhoneInfoClick(*app_); }), "File not found");
  EXPECT_TRUE(phone().transcript().empty());
}

}  // namespace
}  // namespace quorvex
