#include "app/datebook_binding.h"

#include "app/file_menu.h"

namespace quorvex {

using datebook::DateBookSection;

DateBookBinding::DateBookBinding(TfrmMain& main) : main_(main), section_(main.dateBook) {}

void DateBookBinding::pull() {
  section_.CheckBox1.checked = main_.control("CheckBox1").checked;
  section_.RadioGroup1.itemIndex = main_.RadioGroup1ItemIndex;
  const LocalTime& d = main_.MonthCalendar1Date;
  section_.MonthCalendar1Date = {d.year, d.month, d.day};
  // Showing the section resets the counters in the window before it reads.
  section_.lblReadEvent.caption = main_.control("lblReadEvent").caption;
  section_.lblAllEvent.caption = main_.control("lblAllEvent").caption;
}

void DateBookBinding::push() {
  main_.control("Label5").caption = section_.Label5.caption;
  main_.control("lblReadEvent").caption = section_.lblReadEvent.caption;
  main_.control("lblAllEvent").caption = section_.lblAllEvent.caption;
  main_.control("Label8").caption = section_.Label8.caption;
  // The check box, the calendar's date and the auto-delete choice belong to the window: the
  // user changes them there, and a push between operations must not take them back.
  main_.control("MonthCalendar1").visible = section_.MonthCalendar1.visible;
  const std::pair<const char*, const Widget*> items[] = {
      {"ppmReadAllEvents", &section_.ppmReadAllEvents},
      {"ppmAddEvent", &section_.ppmAddEvent},
      {"ppmEditEvent", &section_.ppmEditEvent},
      {"ppmDelete", &section_.ppmDelete},
      {"ppmClear", &section_.ppmClear}};
  for (const auto& [name, item] : items) main_.menuItem(name).enabled = item->enabled;
}

void DateBookBinding::run(const std::function<void()>& operation) {
  struct PushOnExit {
    DateBookBinding& b;
    ~PushOnExit() { b.push(); }
  } pushOnExit{*this};
  pull();
  operation();
}

void BindDateBook(TfrmMain& main, DateBookBinding& binding) {
  DateBookSection& s = binding.section();
  AppState& app = main.app;
  // The busy state is the window's; the rows read so far go to the window with it.
  s.SetControlsEnabled = [&main, &binding](bool enabled) {
    binding.push();
    main.SetControlsEnabled(enabled);
  };
  const auto op = [&main, &binding](const char* name, std::function<void()> fn) {
    main.bind(name, [&binding, fn = std::move(fn)] { binding.run(fn); });
  };
  op("sbReadAllEventsClick", [&s, &app] { s.sbReadAllEventsClick(app); });
  op("sbAddEventClick", [&s, &app] { s.sbAddEventClick(app); });
  op("lvEventDblClick", [&s, &app] { s.lvEventDblClick(app); });
  op("sbDeleteEventClick", [&s, &app] { s.sbDeleteEventClick(app); });
  op("SpeedButton5Click", [&s] { s.SpeedButton5Click(); });
  op("SpeedButton2Click", [&s, &app] { s.SpeedButton2Click(app); });
  op("CheckBox1Click", [&s] { s.CheckBox1Click(); });
  op("pmEventPopup", [&s] { s.pmEventPopup(); });
  op("mnuICalExportClick", [&s, &app] { ExportDateBookICal(s, app); });
}

}  // namespace quorvex
