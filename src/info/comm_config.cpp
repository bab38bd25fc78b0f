#include "info/comm_config.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "core/user_interface.h"
#include "serial/serial_device.h"

namespace quorvex {
namespace fs = std::filesystem;

namespace {

// The number after prefix when the rest of name is all digits, else -1.
long DeviceNumber(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
  long n = 0;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || n > 1000000) return -1;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}

// Every 8250-style port the kernel knows gets a ttyS node, present or not; sysfs tells the
// UART type, and 0 means there is no chip behind the node. Without that file we cannot tell,
// and offer the node.
bool IsRealUart(const std::string& sysRoot, const std::string& name) {
  std::ifstream type(sysRoot + "/class/tty/" + name + "/type");
  if (!type) return true;
  int value = 0;
  if (!(type >> value)) return true;
  return value != 0;
}

bool HasChip(const std::string& devRoot, const std::string& sysRoot, const std::string& name,
             UartCheck check) {
  if (check == UartCheck::AskDevice) {
    if (const std::optional<bool> asked = HasUart(devRoot + "/" + name)) return *asked;
  }
  return IsRealUart(sysRoot, name);
}

std::vector<std::string> Numbered(const std::string& devRoot, const std::string& prefix,
                                  const std::string& sysRoot, bool uartsOnly,
                                  UartCheck check = UartCheck::Sysfs) {
  std::vector<std::pair<long, std::string>> found;
  std::error_code ec;
  for (fs::directory_iterator it(devRoot, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const long n = DeviceNumber(name, prefix);
    if (n < 0) continue;
    if (uartsOnly && !HasChip(devRoot, sysRoot, name, check)) continue;
    found.emplace_back(n, devRoot + "/" + name);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (auto& [n, path] : found) paths.push_back(std::move(path));
  return paths;
}

}  // namespace

std::vector<std::string> SerialDeviceCandidates(const std::string& devRoot,
                                                const std::string& sysRoot, UartCheck uartCheck) {
  std::vector<std::string> result;
  std::error_code ec;
  const std::string byId = devRoot + "/serial/by-id";
  for (fs::directory_iterator it(byId, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code existsEc;
    // A link left behind by an unplugged cable points nowhere.
    if (!fs::exists(it->path(), existsEc)) continue;
    result.push_back(byId + "/" + it->path().filename().string());
  }
  std::sort(result.begin(), result.end());
  for (const char* prefix : {"ttyUSB", "ttyACM"}) {
    auto more = Numbered(devRoot, prefix, sysRoot, false);
    result.insert(result.end(), more.begin(), more.end());
  }
  auto uarts = Numbered(devRoot, "ttyS", sysRoot, true, uartCheck);
  result.insert(result.end(), uarts.begin(), uarts.end());
  return result;
}

TfrmCommConfig::TfrmCommConfig(PortSettings& settings, std::string settingsPath,
                               std::string devRoot, std::string sysRoot)
    : Caption(Ru("Настройка порта")),
      gbConfig(Ru("Настройка порта")),
      lblCommSelect(Ru("Выбор порта:")),
      lblBaudRate(Ru("Скорость порта:")),
      lblByteData(Ru("Биты данных:")),
      lblParity(Ru("Четность:")),
      lblStopBits(Ru("Стоповые биты:")),
      lblFlowControl(Ru("Управление потоком:")),
      Label1(Ru("Таймаут:")),
      sbApply(Ru("Применить")),
      sbCancel(Ru("Отмена")),
      settings_(settings),
      settingsPath_(std::move(settingsPath)),
      devRoot_(std::move(devRoot)),
      sysRoot_(std::move(sysRoot)) {
  for (int i = 1; i <= 9; ++i) cbComSelect.items.push_back("COM" + std::to_string(i));
  cbComSelect.text = "COM3";
  cbBaudRate.items = {"300",   "1200",   "2400",   "4800",   "9600",   "19200", "38400",
                      "57600", "115200", "230400", "460800", "576000", "921600"};
  cbBaudRate.text = "19200";
  // The fixed line format every operation uses, shown but never changed.
  const auto fixed = [](ComboBox& box, std::vector<std::string> items, std::string text) {
    box.items = std::move(items);
    box.text = std::move(text);
    box.enabled = false;
  };
  fixed(cbDataBits, {"4", "5", "6", "7", "8"}, "8");
  fixed(cbParity,
        {Ru("Не проверяется"), Ru("Нечет"), Ru("Чет"), Ru("Маркер (1)"), Ru("Пробел (0)")},
        Ru("Не проверяется"));
  fixed(cbStopBits, {"1", "1,5", "2"}, "1");
  fixed(cbFlowControl, {Ru("Аппаратное"), "Xon/Xoff", Ru("Отсутствует")}, Ru("Отсутствует"));
  seTimeOut.minValue = 100;
  seTimeOut.maxValue = 10000;
  seTimeOut.increment = 100;
  seTimeOut.value = 3000;
  sbDetect.caption = Ru("Найти телефон");
  pbDetect.visible = false;
}

void TfrmCommConfig::FormShow() {
  closed = false;
  found.clear();
  lbFound.items.clear();
  lbFound.itemIndex = -1;
  lblDetect.caption.clear();
  cbComSelect.items.resize(9);
  // On Linux the cable is hardly ever COM3: offer what is plugged in now.
  for (std::string& device : SerialDeviceCandidates(devRoot_, sysRoot_))
    cbComSelect.items.push_back(std::move(device));
  cbComSelect.text = settings_.PortName;
  cbBaudRate.text = text::IntToStr(settings_.BaudRate);
  seTimeOutChange(settings_.TimeOut);
}

void TfrmCommConfig::cbComSelectChange(const std::string& text) {
  cbComSelect.text = text;
  settings_.PortName = text;
}

void TfrmCommConfig::cbBaudRateChange(const std::string& text) {
  cbBaudRate.text = text;
  settings_.BaudRate = text::StrToInt(text);
}

void TfrmCommConfig::seTimeOutChange(int value) {
  seTimeOut.setValue(value);
  settings_.TimeOut = seTimeOut.value;
}

void TfrmCommConfig::sbApplyClick() {
  SavePortSettings(settings_, settingsPath_);
  closed = true;
}

bool TfrmCommConfig::FormKeyDown(int key) {
  if (key == kKeyEscape) {
    sbCancelClick();
    return true;
  }
  if (key == kKeyReturn) {
    sbApplyClick();
    return true;
  }
  return false;
}

}  // namespace quorvex

namespace quorvex {

namespace {

// How often the search looks at its devices and lets the window run.
constexpr int kDetectPumpMs = 40;

}  // namespace

void TfrmCommConfig::sbDetectClick(UserInterface& ui) {
  if (!sbDetect.enabled) return;
  found.clear();
  lbFound.items.clear();
  lbFound.itemIndex = -1;
  std::vector<ProbeTarget> targets =
      detectTargets ? detectTargets() : ProbeTargetsPresent(devRoot_, sysRoot_);
  if (targets.empty()) {
    lblDetect.caption = NoSerialDevicesText();
    return;
  }
  sbDetect.enabled = false;
  lblDetect.caption = Ru("Поиск телефона...");
  pbDetect.setRange(0, static_cast<int>(targets.size()));
  pbDetect.setPosition(0);
  pbDetect.showFigure(0, static_cast<long long>(targets.size()));
  pbDetect.visible = true;
  struct Restore {
    TfrmCommConfig& dlg;
    ~Restore() {
      dlg.sbDetect.enabled = true;
      dlg.pbDetect.visible = false;
    }
  } restore{*this};
  ProbeRun run(std::move(targets));
  for (bool done = false; !done;) {
    done = run.waitFor(kDetectPumpMs);
    const auto finished = static_cast<long long>(run.finished());
    pbDetect.setPosition(static_cast<int>(finished));
    pbDetect.showFigure(finished, static_cast<long long>(run.total()));
    if (onDetectProgress) onDetectProgress();
    if (!done) ui.processEvents(false);
  }
  for (const ProbeResult& r : run.results()) {
    if (r.status != ProbeStatus::Answered) continue;
    found.push_back(r);
    const std::string& port = r.target.stableName.empty() ? r.target.device : r.target.stableName;
    lbFound.items.push_back(port + Ru(" — ") + DescribeProbe(r));
  }
  lblDetect.caption = found.empty() ? Ru("Телефон не найден: ни одно устройство не ответило.")
                                    : Ru("Найдено телефонов: ") +
                                          text::IntToStr(static_cast<std::int32_t>(found.size())) +
                                          Ru(". Выберите телефон и нажмите \"Применить\".");
}

void TfrmCommConfig::lbFoundClick(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= found.size()) return;
  lbFound.itemIndex = index;
  const ProbeResult& r = found[static_cast<std::size_t>(index)];
  const std::string& port = r.target.stableName.empty() ? r.target.device : r.target.stableName;
  cbComSelectChange(port);
  cbBaudRateChange(text::IntToStr(r.baud));
}

}  // namespace quorvex
