// The port settings dialog as data: every control's state and the handlers that change the
// main window's settings at once. "Применить" writes portcfg.ini.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/controls.h"
#include "info/phone_probe.h"
#include "serial/port_settings.h"

namespace quorvex {

// Serial devices present under devRoot (normally "/dev"), as port names to offer beside
// COM1..COM9: /dev/serial/by-id/* first (names that survive replugging), then ttyUSB*,
// ttyACM* and the ttyS* that sysRoot (normally "/sys") shows to be real UARTs; each group in
// natural order (ttyUSB2 before ttyUSB10). Paths are built from devRoot.
//
// Whether a ttyS node has a chip behind it: sysfs's UART type (read without touching the
// device), or, asking the device, the type the TIOCGSERIAL ioctl reports with sysfs only
// where the node cannot be asked.
enum class UartCheck { Sysfs, AskDevice };
std::vector<std::string> SerialDeviceCandidates(const std::string& devRoot = "/dev",
                                                const std::string& sysRoot = "/sys",
                                                UartCheck uartCheck = UartCheck::Sysfs);

class UserInterface;

// A list of texts with one picked (-1: none).
struct ListBox : Widget {
  std::vector<std::string> items;
  int itemIndex = -1;
};

class TfrmCommConfig {
 public:
  // Key codes FormKeyDown acts on.
  static constexpr int kKeyEscape = 27;
  static constexpr int kKeyReturn = 13;

  // settings are the main window's fields, changed at once by the handlers; settingsPath is
  // the file "Применить" writes.
  explicit TfrmCommConfig(PortSettings& settings, std::string settingsPath = kPortSettingsFile,
                          std::string devRoot = "/dev", std::string sysRoot = "/sys");

  std::string Caption;  // "Настройка порта"
  std::string gbConfig;
  std::string lblCommSelect, lblBaudRate, lblByteData, lblParity, lblStopBits, lblFlowControl,
      Label1;
  ComboBox cbComSelect, cbBaudRate, cbDataBits, cbParity, cbStopBits, cbFlowControl;
  SpinEdit seTimeOut;             // 100..10000 ms in steps of 100
  std::string sbApply, sbCancel;  // captions

  // Set by sbApplyClick (after the file was written), sbCancelClick and the keys; FormShow
  // clears it. The view closes the dialog when it turns true.
  bool closed = false;

  // "Найти телефон": every serial device present probed at once while the window goes on;
  // the handsets that answered are listed in lbFound, picking one fills the port and the speed.
  Label sbDetect;                  // disabled while the search runs
  Label lblDetect;                 // what the search does or found
  ProgressBar pbDetect;            // devices done of all; shown while the search runs
  ListBox lbFound;                 // one row per handset found
  std::vector<ProbeResult> found;  // the handsets of lbFound's rows
  // Called after each step of the search, before the window is let run: the view mirrors
  // the search then.
  std::function<void()> onDetectProgress;
  // The devices the search probes; unset, every serial device present.
  std::function<std::vector<ProbeTarget>()> detectTargets;

  // Fills the port items again (COM1..COM9 and the devices present now) and the three
  // controls from the settings; the time-out is clamped and reported back.
  void FormShow();
  void cbComSelectChange(const std::string& text);
  // Raises EConvertError for a text that is not an integer; BaudRate keeps its value then.
  void cbBaudRateChange(const std::string& text);
  // The spin edit's new value: clamped into 100..10000, then taken as TimeOut.
  void seTimeOutChange(int value);
  // Writes the file from the settings; an EInOutError escapes and the dialog stays open.
  void sbApplyClick();
  void sbCancelClick() { closed = true; }
  // Esc closes, Enter applies. Returns true for a key it acted on.
  bool FormKeyDown(int key);

  // Probes the devices and waits for them, letting the window paint and take input through
  // ui meanwhile; a click while a search runs does nothing.
  void sbDetectClick(UserInterface& ui);
  // A handset picked in the list: its port (the by-id name where there is one) and its speed
  // become the settings, as typing them would; "Применить" still writes them.
  void lbFoundClick(int index);

 private:
  PortSettings& settings_;
  std::string settingsPath_;
  std::string devRoot_, sysRoot_;
};

}  // namespace quorvex
