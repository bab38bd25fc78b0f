// A handset whose phone book is full, and the window's whole read of it: shared by the read
// benchmark and the peer tool's.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex::bench {

// `phonePlaces` phone memory places and `simEntries` SIM ones, every one holding an entry
// but `leaveEmpty` (0: none). Entry i: number +7916 and i in seven digits, name "Абонент i",
// type i % 7, in group 1 + i % `groups` of Друзья, Работа, Семья, VIPs.
sim::HandsetState FullPhoneBook(int phonePlaces, int simEntries, int groups, int leaveEmpty = 0);

// A C350 with no demo data, started from `stateFile`, pacing its replies at `baud` (0: not).
std::unique_ptr<sim::PhoneSim> StartC350(const std::string& stateFile, int baud);

struct PhoneBookRead {
  double seconds = 0;
  double bytes = 0;  // both ways across the line
  std::size_t records = 0, rows = 0;
  int boxes = 0;
};

// "Читать все" through the window's handler, the port at 115200 baud with a 1000 ms reply
// time-out; boxes printed to stderr when `printBoxes`.
PhoneBookRead ReadWholePhoneBook(sim::PhoneSim& phone, bool printBoxes);

}  // namespace quorvex::bench
