#include "full_phone_book.h"

#include <chrono>
#include <cstdio>

#include "bench_support.h"
#include "codec/ru.h"
#include "core/app_state.h"
#include "phonebook/phonebook_section.h"

namespace quorvex::bench {

sim::HandsetState FullPhoneBook(int phonePlaces, int simEntries, int groups, int leaveEmpty) {
  const sim::CallerGroup all[] = {
      {Ru("Друзья"), 255}, {Ru("Работа"), 255}, {Ru("Семья"), 255}, {"VIPs", 255}};
  sim::HandsetState st = sim::EmptyState();
  st.phoneSize = phonePlaces;
  st.simSize = simEntries;
  st.groups.assign(all, all + groups);
  for (int i = 1; i <= phonePlaces + simEntries; ++i) {
    if (i == leaveEmpty) continue;
    sim::PhoneEntry e;
    char number[24];
    std::snprintf(number, sizeof number, "+7916%07d", i);
    e.number = number;
    e.format = 145;
    e.name = Ru("Абонент ") + std::to_string(i);
    e.type = i % 7;
    e.category = 1 + i % groups;
    st.entries[i] = e;
  }
  return st;
}

std::unique_ptr<sim::PhoneSim> StartC350(const std::string& stateFile, int baud) {
  sim::SimOptions o;
  o.model = "C350";
  o.demoData = false;
  o.stateFile = stateFile;
  o.baud = baud;
  auto phone = std::make_unique<sim::PhoneSim>(o);
  phone->start();
  return phone;
}

PhoneBookRead ReadWholePhoneBook(sim::PhoneSim& phone, bool printBoxes) {
  QuietUi ui(printBoxes);
  AppState app(ui);
  app.setOverride({phone.slavePath(), 115200, 1000});
  app.LoadPortSettings();
  phonebook::PhoneBookSection section;
  const std::int64_t before = phone.bytesReceived() + phone.bytesSent();
  const auto t0 = std::chrono::steady_clock::now();
  section.sbReadAllClick(app);
  PhoneBookRead r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.bytes = static_cast<double>(phone.bytesReceived() + phone.bytesSent() - before);
  r.records = section.Records.size();
  r.rows = section.ListView1.rows.size();
  r.boxes = ui.boxes;
  return r;
}

}  // namespace quorvex::bench
