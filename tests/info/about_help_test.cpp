// The about box's values and the help text.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "codec/cp1251.h"
#include "codec/errors.h"
#include "codec/ru.h"
#include "info/about_help.h"
#include "info_fixture.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

TEST(AboutBox, CaptionsFromTheProgramsVersionValues) {
  TAboutBox box;
  box.Fill();
  EXPECT_EQ(box.ProductName, "Product Name: Quorvex");
  EXPECT_EQ(box.Version, "Version: 2.9.1.0");
  EXPECT_EQ(box.Comments, "Comments: Work with Motorola phone.");
  EXPECT_EQ(box.Copyright.rfind("Copyrights: ", 0), 0u);
  EXPECT_NE(box.Copyright, "Copyrights: n/a");
}

TEST(AboutBox, MissingValuesShowNotAvailable) {
  TAboutBox box;
  box.Fill({{"ProductName", "Quorvex"}, {"Comments", ""}});
  EXPECT_EQ(box.ProductName, "Product Name: Quorvex");
  EXPECT_EQ(box.Version, "Version: n/a");
  EXPECT_EQ(box.Copyright, "Copyrights: n/a");
  EXPECT_EQ(box.Comments, "Comments: n/a");
  box.Fill();  // rebuilt on every call
  EXPECT_EQ(box.Version, "Version: 2.9.1.0");
}

TEST(AboutBox, LinksOpenTheHomepageAndANewMail) {
  TAboutBox box;
  testing::RecordingUi ui;
  box.Label1Click(ui);
  box.Label4Click(ui);
  EXPECT_EQ(ui.urls,
            (std::vector<std::string>{kAuthorHomepage, std::string("mailto:") + kAuthorEmail}));
}

TEST(HelpText, RtfIsToldFromPlainText) {
  struct {
    const char* text;
    bool rtf;
  } cases[] = {{"{\\rtf1\\ansi Hello}", true},
               {"\r\n  {\\rtf1 x}", true},
               {"{\\rt", false},
               {"Plain {\\rtf1} later", false},
               {"", false},
               {"{\\RTF1", false}};
  for (const auto& c : cases) EXPECT_EQ(IsRtf(c.text), c.rtf) << c.text;
}

class HelpFile : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ =
        (fs::temp_directory_path() / ("qv-help-" + std::to_string(::getpid()) + ".txt")).string();
  }
  void TearDown() override { fs::remove(file_); }
  std::string file_;
};

TEST_F(HelpFile, ReadAgainOnEveryShowing) {
  TfrmHelp help;
  help.path = file_;
  EXPECT_EQ(help.Caption, Ru("Помощь"));
  std::ofstream(file_, std::ios::binary) << Ru("Первая версия\r\n");
  help.FormShow();
  EXPECT_FALSE(help.RichEdit1.rich);
  EXPECT_EQ(help.RichEdit1.text, Ru("Первая версия\r\n"));
  std::ofstream(file_, std::ios::binary) << "{\\rtf1\\ansi\\ansicpg1251 x}";
  help.FormShow();
  EXPECT_TRUE(help.RichEdit1.rich);
  EXPECT_EQ(help.RichEdit1.text, "{\\rtf1\\ansi\\ansicpg1251 x}");
}

TEST_F(HelpFile, AMissingFileRaisesAndKeepsTheOldText) {
  TfrmHelp help;
  help.path = file_;
  std::ofstream(file_, std::ios::binary) << "kept";
  help.FormShow();
  fs::remove(file_);
  EXPECT_EQ(testing::RaisedMessage([&] { help.FormShow(); }), "File not found");
  EXPECT_EQ(help.RichEdit1.text, "kept");
  help.path = fs::temp_directory_path().string();
  EXPECT_THROW(help.FormShow(), EInOutError);
}

TEST(ShippedHelp, PlainCodePage1251TextThatExplainsThePort) {
  const HelpText help = LoadHelpText(std::string(QUORVEX_DATA_DIR) + "/info.txt");
  EXPECT_FALSE(help.rich);
  // Code page 1251 bytes, not UTF-8: the Cyrillic letters are single bytes.
  EXPECT_NE(help.text.find(Ru("Конфигурация порта")), std::string::npos);
  EXPECT_EQ(help.text.find("\xD0\x9A"), std::string::npos);
  EXPECT_NE(help.text.find("/dev/ttyUSB0"), std::string::npos);
  EXPECT_NE(help.text.find("/dev/serial/by-id/"), std::string::npos);
  EXPECT_NE(help.text.find("dialout"), std::string::npos);
  EXPECT_NE(help.text.find("\r\n"), std::string::npos);
}

// The help names every way out that a failed open points to, so the advice of the error box
// can be followed from it.
TEST(ShippedHelp, ExplainsEveryRefusalOfThePort) {
  const HelpText help = LoadHelpText(std::string(QUORVEX_DATA_DIR) + "/info.txt");
  for (const std::string& needle :
       {std::string("/dev/ttyACM0"), std::string("ls -l /dev/serial/by-id"),
        std::string("sudo usermod -aG dialout $USER"), std::string("Permission denied"),
        std::string("Device or resource busy"), std::string("Resource temporarily unavailable"),
        std::string("fuser -v"), std::string("lsof"), std::string("ModemManager"),
        std::string("ATTRS{idVendor}==\"22b8\", ENV{ID_MM_DEVICE_IGNORE}=\"1\""),
        std::string("/etc/udev/rules.d/"), Ru("Телефон не подключен.")})
    EXPECT_NE(help.text.find(needle), std::string::npos) << needle;
  // Every line ends in CR LF: the help window shows the file as it stands.
  std::size_t lf = 0;
  while ((lf = help.text.find('\n', lf + 1)) != std::string::npos) {
    ASSERT_GT(lf, 0u);
    EXPECT_EQ(help.text[lf - 1], '\r') << "line end at byte " << lf;
  }
}

}  // namespace
}  // namespace quorvex
