// The phone information section: seven routines, each one AT exchange over its own port
// object, cut out of the reply and put into the section's controls. The section is plain
// data; the window mirrors it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/app_state.h"
#include "core/controls.h"
#include "info/jpeg_image.h"

namespace quorvex {

// ---- The cutting of each reply (pure; a malformed reply gives a wrong text, never a crash).

// Deletes the first occurrence of prefix and then the first "\r\n\r\nOK\r\n"; a part that is
// absent is not deleted.
std::string TrimInfoReply(std::string reply, std::string_view prefix);
// The IMSI of an answer with the "+CIMI: " prefix or of one with the bare digits line, as
// Motorola handsets send it. A refusal stays as trimmed.
std::string CutImsi(const std::string& reply);
// Trimmed reply without its first and last character (the quotes, not looked at).
std::string CutQuotedValue(std::string reply, std::string_view prefix);

struct ModelReply {
  std::string bands;  // bare band names joined by ", "
  std::string model;  // e.g. "T720i"
};
// The "AT+CGMM" reply: quoted bands, then "MODEL=" and the model name.
ModelReply CutModelReply(const std::string& reply);
// The "AT+CBC" reply: the level after the one-digit status and its comma. Raises EConvertError.
std::int32_t CutBatteryCharge(const std::string& reply);
// The "AT+CSQ" reply: the signal strength before the first ",". Raises EConvertError.
std::int32_t CutSignalStrength(const std::string& reply);
// What the signal gauge shows for a strength: 2v-113 dBm for 0..31, the empty gauge for 32..99
// (99: not known), nullopt (unchanged) otherwise.
std::optional<int> SignalGaugeValue(std::int32_t strength);

// The picture file of a model ("t722i.jpg" for "T720i"), exact and case-sensitive; nullopt for
// a model without one.
std::optional<std::string> PictureFileFor(std::string_view model);

// The captions of the section's labels, in the order of the routines that fill them.
struct InfoLabel {
  const char* component;
  std::string caption;  // cp1251
};
const std::array<InfoLabel, 8>& InfoLabels();

struct PhoneInfoSection {
  std::string edtIMEI, edtIMSI, edtManufacturer, edtModel, edtBand, edtSoftWare;
  ProgressBar ggStatusCharge{0, 100, 0};
  ProgressBar ggStatusSignal{-114, -50, -114};
  // Image1: empty at start; a routine that finds no picture leaves it as it was.
  std::optional<RgbImage> Image1;
  std::string Image1File;    // the file Image1 came from
  int Image1Generation = 0;  // counts the pictures loaded, so a view knows when to redraw

  std::string Label3;               // the heading, two lines
  std::string SpeedButton1Caption;  // "Обновить"
  std::string SpeedButton11Caption;  // "Синхронизировать", two lines once the section was read

  // Where the pictures are looked up: empty means the current working directory (bare names).
  std::string pictureDir;

  PhoneInfoSection();

  void ShowImei(AppState& app);
  void ShowImsi(AppState& app);
  void ShowManufacturer(AppState& app);
  void ShowModel(AppState& app);
  void ShowSoftwareVersion(AppState& app);
  void ShowBatteryCharge(AppState& app);
  void ShowSignalLevel(AppState& app);

  // The section button's work once the section is shown: settings reloaded, the seven
  // routines in order, then the two-line caption. An exception stops the rest and escapes.
  void sbPhoneInfoClick(AppState& app);
  // "Обновить": battery, then signal, with the settings as they stand.
  void SpeedButton1Click(AppState& app);
};

}  // namespace quorvex
