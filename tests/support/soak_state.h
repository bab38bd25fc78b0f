// What the handset holds, in the terms the lists show.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "core/list_model.h"
#include "sim/handset_state.h"

namespace quorvex::soak {

using Book = std::map<std::string, std::pair<std::string, std::string>>;    // index: name, number
using Diary = std::map<std::string, std::string>;                           // index: title
using Folder = std::map<std::string, std::pair<std::string, std::string>>;  // index: number, text

Book BookOf(const sim::HandsetState& st);
Book BookOf(const ListModel& list);
Diary DiaryOf(const sim::HandsetState& st);
Diary DiaryOf(const ListModel& list);
// The messages of a folder of the window's tree (sms::kIncoming and the others).
Folder FolderOf(const sim::HandsetState& st, int folder);
Folder FolderOf(const ListModel& list);

template <typename Map>
std::string Keys(const Map& m) {
  std::string out;
  for (const auto& [k, v] : m) out += (out.empty() ? "" : ",") + k;
  return "{" + out + "}";
}

// The SIM keeps a number and a name; the handset reports the rest of a SIM entry itself. A
// state file may say more, so only what the SIM holds is compared.
sim::HandsetState Held(sim::HandsetState st);

}  // namespace quorvex::soak
