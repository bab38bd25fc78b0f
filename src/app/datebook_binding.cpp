#include "app/datebook_binding.h"

#include "app/file_menu.h"

namespace quorvex {

using datebook::DateBookSection;

void BindDateBook(TfrmMain& main, DateBookBinding& binding) {
  DateBookSection& s = binding.section();
  AppState& app = main.app;
  s.SetControlsEnabled = [&main](bool enabled) { main.SetControlsEnabled(enabled); };
  main.bind("sbReadAllEventsClick", [&s, &app] { s.sbReadAllEventsClick(app); });
  main.bind("sbAddEventClick", [&s, &app] { s.sbAddEventClick(app); });
  main.bind("lvEventDblClick", [&s, &app] { s.lvEventDblClick(app); });
  main.bind("sbDeleteEventClick", [&s, &app] { s.sbDeleteEventClick(app); });
  main.bind("SpeedButton5Click", [&s] { s.SpeedButton5Click(); });
  main.bind("SpeedButton2Click", [&s, &app] { s.SpeedButton2Click(app); });
  main.bind("pmEventPopup", [&s] { s.pmEventPopup(); });
  main.bind("mnuICalExportClick", [&s, &app] { ExportDateBookICal(s, app); });
  main.bind("mnuICalImportClick",
            [&s, &app, &binding] { datebook::ImportICalClick(s, app, binding.frmImportICal); });
}

}  // namespace quorvex
