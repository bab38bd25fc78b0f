#include "info/phone_info.h"

#include <algorithm>

#include "codec/delphi_text.h"
#include "codec/ru.h"

namespace quorvex {

using text::Copy;
using text::Delete;
using text::Pos;

std::string TrimInfoReply(std::string reply, std::string_view prefix) {
  const int p = Pos(prefix, reply);
  if (p > 0) Delete(reply, p, static_cast<std::int64_t>(prefix.size()));
  constexpr std::string_view kSuffix = "\r\n\r\nOK\r\n";
  const int s = Pos(kSuffix, reply);
  if (s > 0) Delete(reply, s, static_cast<std::int64_t>(kSuffix.size()));
  return reply;
}

std::string CutImsi(const std::string& reply) {
  constexpr std::string_view kPrefix = "\r\n+CIMI: ";
  std::string t = TrimInfoReply(reply, kPrefix);
  // The bare line keeps its leading line break through the trim; only a successful answer
  // loses it, so a refusal reads as before.
  if (Pos(kPrefix, reply) == 0 && Pos("\r\n\r\nOK\r\n", reply) > 0 && Pos("\r\n", t) == 1) {
    Delete(t, 1, 2);
  }
  return t;
}

std::string CutQuotedValue(std::string reply, std::string_view prefix) {
  std::string t = TrimInfoReply(std::move(reply), prefix);
  Delete(t, 1, 1);
  Delete(t, static_cast<std::int64_t>(t.size()), 1);
  return t;
}

ModelReply CutModelReply(const std::string& reply) {
  std::string t = TrimInfoReply(reply, "\r\n+CGMM: ");
  const int p = Pos("MODEL", t);
  // Everything before the comma and quote that precede MODEL.
  std::string bands = Copy(t, 1, p - 3);
  Delete(t, 1, p - 1);
  Delete(t, Pos("\"", t), 1);
  Delete(t, 1, 6);

  // From "GSM900","GSM1800" (opening quote gone) to GSM900, GSM1800.
  Delete(bands, 1, 1);
  for (std::size_t i = 0; i < bands.size(); ++i) {
    if (bands[i] == '"') bands.erase(i, 1);
    if (i < bands.size() && bands[i] == ',') bands.insert(i + 1, 1, ' ');
  }
  return {std::move(bands), std::move(t)};
}

std::int32_t CutBatteryCharge(const std::string& reply) {
  // The cut sits after a one-digit status and its comma, where the handsets put it.
  return text::StrToInt(Copy(TrimInfoReply(reply, "\r\n+CBC: "), 3, INT32_MAX));
}

std::int32_t CutSignalStrength(const std::string& reply) {
  const std::string t = TrimInfoReply(reply, "\r\n+CSQ: ");
  return text::StrToInt(Copy(t, 1, Pos(",", t) - 1));
}

std::optional<int> SignalGaugeValue(std::int32_t strength) {
  if (strength >= 0 && strength <= 31) return 2 * strength - 113;
  // Our choice for 32..99: those are no levels (99 says "not known"), and the formula would
  // drive the gauge to full, telling the user the reception is excellent. An empty gauge
  // says "no usable signal" instead.
  if (strength >= 32 && strength <= 99) return -114;
  return std::nullopt;
}

std::optional<std::string> PictureFileFor(std::string_view model) {
  static constexpr std::pair<std::string_view, const char*> kPictures[] = {
      {"T720i", "t722i.jpg"}, {"C350", "c350.jpg"}, {"C450", "c450.jpg"}, {"C550", "c550.jpg"},
      {"C330", "c33x.jpg"},   {"V60", "v60.jpg"},   {"V60i", "v60i.jpg"}, {"V70", "v70.jpg"},
      {"V66i", "v66i.jpg"},   {"V150", "v150.jpg"},
  };
  for (const auto& [name, file] : kPictures)
    if (name == model) return std::string(file);
  return std::nullopt;
}

const std::array<InfoLabel, 8>& InfoLabels() {
  static const std::array<InfoLabel, 8> kLabels = {{
      {"lblIMEI", "IMEI:"},
      {"lblIMSI", "IMSI:"},
      {"lblManufacturer", Ru("Производитель:")},
      {"lblModel", Ru("Модель телефона:")},
      {"Label1", Ru("Рабочие частоты:")},
      {"lblSoftWare", Ru("Версия прошивки:")},
      {"lblCharge", Ru("Заряд аккумулятора:")},
      {"lblSignal", Ru("Уровень приема:")},
  }};
  return kLabels;
}

namespace {

// One routine's exchange: its own port object with the default reply time-out, freed before
// the reply is cut.
std::string Ask(AppState& app, const std::string& command) {
  auto port = app.OpenHandset(false);
  return port->RunAtCommand(command);
}

}  // namespace

PhoneInfoSection::PhoneInfoSection()
    : Label3(Ru("Подробная информация\r\nо вашем телефоне")),
      SpeedButton1Caption(Ru("Обновить")),
      SpeedButton11Caption(Ru("Синхронизировать")) {}

void PhoneInfoSection::ShowImei(AppState& app) {
  edtIMEI = TrimInfoReply(Ask(app, "AT+CGSN"), "\r\n+CGSN: IMEI");
  app.handset.imei = edtIMEI;
}

void PhoneInfoSection::ShowImsi(AppState& app) {
  edtIMSI = CutImsi(Ask(app, "AT+CIMI"));
}

void PhoneInfoSection::ShowManufacturer(AppState& app) {
  edtManufacturer = CutQuotedValue(Ask(app, "AT+CGMI"), "\r\n+CGMI: ");
}

void PhoneInfoSection::ShowModel(AppState& app) {
  ModelReply m = CutModelReply(Ask(app, "AT+CGMM"));
  if (auto file = PictureFileFor(m.model)) {
    const std::string path = pictureDir.empty() ? *file : pictureDir + "/" + *file;
    // A damaged file is treated like a missing one: the previous picture stays and the
    // model and bands are still shown.
    if (auto picture = LoadJpegFile(path)) {
      Image1 = std::move(*picture);
      Image1File = path;
      ++Image1Generation;
    }
  }
  edtModel = "Motorola " + m.model;
  // Asked right after the IMEI: the model names the same handset.
  app.handset.model = m.model;
  edtBand = std::move(m.bands);
}

void PhoneInfoSection::ShowSoftwareVersion(AppState& app) {
  edtSoftWare = CutQuotedValue(Ask(app, "AT+CGMR"), "\r\n+CGMR: ");
}

void PhoneInfoSection::ShowBatteryCharge(AppState& app) {
  ggStatusCharge.setPosition(CutBatteryCharge(Ask(app, "AT+CBC")));
}

void PhoneInfoSection::ShowSignalLevel(AppState& app) {
  if (auto level = SignalGaugeValue(CutSignalStrength(Ask(app, "AT+CSQ"))))
    ggStatusSignal.setPosition(*level);
}

void PhoneInfoSection::sbPhoneInfoClick(AppState& app) {
  app.LoadPortSettings();
  ShowImei(app);
  ShowImsi(app);
  ShowManufacturer(app);
  ShowModel(app);
  ShowSoftwareVersion(app);
  ShowBatteryCharge(app);
  ShowSignalLevel(app);
  SpeedButton11Caption = Ru("Синхронизировать\r\nвремя");
}

void PhoneInfoSection::SpeedButton1Click(AppState& app) {
  ShowBatteryCharge(app);
  ShowSignalLevel(app);
}

}  // namespace quorvex
