#include "core/bin_keep.h"

#include "codec/errors.h"
#include "codec/ru.h"

namespace quorvex {

void TellBinUnwritable(UserInterface& ui, const std::string& why, const std::string& untouched) {
  ui.messageBox(Ru("Не удалось сохранить в корзину то, что операция удалила бы: ") + why + ".\r\n" +
                    untouched,
                MsgKind::Error, MsgButtons::Ok);
}

bool KeepInBin(AppState& app, std::vector<BinRecord> records, const std::string& untouched) {
  if (records.empty()) return true;
  const std::string time = BinTimeText(app.ui().now());
  for (BinRecord& r : records) {
    r.time = time;
    if (r.model.empty()) r.model = app.handset.model;
    if (r.imei.empty() && r.model == app.handset.model) r.imei = app.handset.imei;
  }
  try {
    AppendToBin(app.binPath, records);
  } catch (const EInOutError& e) {
    TellBinUnwritable(app.ui(), e.what(), untouched);
    return false;
  }
  return true;
}

}  // namespace quorvex
