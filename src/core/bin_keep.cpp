#include "core/bin_keep.h"

#include "codec/errors.h"
#include "codec/ru.h"

namespace quorvex {

void TellBinUnwritable(UserInterface& ui, const std::string& why, const std::string& untouched) {
  ui.messageBox(Ru("Не удалось сохранить в корзину то, что операция удалила бы: ") + why + ".\r\n" +
                    untouched,
                MsgKind::Error, MsgButtons::Ok);
}

std::vector<BinRestoreResult> PendingRestores(const std::vector<BinRecord>& chosen) {
  std::vector<BinRestoreResult> results;
  results.reserve(chosen.size());
  for (const BinRecord& b : chosen) results.push_back({b.id, false, {}});
  return results;
}

std::vector<BinRestoreResult> FailPending(std::vector<BinRestoreResult>& results,
                                          const std::string& why) {
  for (BinRestoreResult& r : results)
    if (!r.restored && r.where.empty()) r.where = why;
  return results;
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
