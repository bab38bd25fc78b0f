#include "soak_state.h"

#include <dirent.h>
#include <malloc.h>

#include <cstdlib>
#include <fstream>

#include "messages/sms_section.h"
#include "soak_run.h"

namespace quorvex::soak {

namespace {

constexpr const char* kOpNames[kOps] = {"pb read",   "pb add",   "pb edit",    "pb delete",
                                        "db read",   "db add",   "db delete",  "sms read",
                                        "sms store", "sms send", "sms delete", "sms mark",
                                        "info",      "battery",  "terminal",   "clock"};
constexpr const char* kFaultNames[kFaults] = {"none",   "split",   "silent",
                                              "hangup", "garbage", "errorOn"};

bool InFolder(const sim::Message& m, int folder) {
  switch (folder) {
    case sms::kIncoming:
      return m.store == sim::MessageStore::Incoming;
    case sms::kUnsent:
      return m.store == sim::MessageStore::Outgoing && m.status == sim::MessageStatus::StoUnsent;
    case sms::kSent:
      return m.store == sim::MessageStore::Outgoing && m.status == sim::MessageStatus::StoSent;
    case sms::kDrafts:
      return m.store == sim::MessageStore::Drafts;
    default:
      return false;
  }
}

int OpenDescriptors() {
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int n = 0;
  while (const dirent* e = ::readdir(dir))
    if (e->d_name[0] != '.') ++n;
  ::closedir(dir);
  return n - 1;  // the directory's own descriptor
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

}  // namespace

Book BookOf(const sim::HandsetState& st) {
  Book b;
  for (const auto& [i, e] : st.entries) b[std::to_string(i)] = {e.name, e.number};
  return b;
}

Book BookOf(const ListModel& list) {
  Book b;
  for (const ListRow& r : list.rows) b[r.caption] = {list.cellText(r, 1), list.cellText(r, 2)};
  return b;
}

Diary DiaryOf(const sim::HandsetState& st) {
  Diary d;
  for (const auto& [i, e] : st.events) d[std::to_string(i)] = e.title;
  return d;
}

Diary DiaryOf(const ListModel& list) {
  Diary d;
  for (const ListRow& r : list.rows) d[r.caption] = list.cellText(r, 1);
  return d;
}

Folder FolderOf(const sim::HandsetState& st, int folder) {
  Folder f;
  for (const auto& [i, m] : st.messages)
    if (InFolder(m, folder)) f[std::to_string(i)] = {m.number, m.text};
  return f;
}

Folder FolderOf(const ListModel& list) {
  Folder f;
  for (const ListRow& r : list.rows) f[r.caption] = {list.cellText(r, 1), list.cellText(r, 6)};
  return f;
}

sim::HandsetState Held(sim::HandsetState st) {
  for (auto& [i, e] : st.entries) {
    if (i <= st.phoneSize) continue;
    sim::PhoneEntry kept;
    kept.number = e.number;
    kept.format = e.format;
    kept.name = e.name;
    e = kept;
  }
  return st;
}

const char* OpName(Op op) {
  return kOpNames[static_cast<int>(op)];
}

const char* FaultName(Fault fault) {
  return kFaultNames[static_cast<int>(fault)];
}

Resources Measure() {
  Resources r;
  r.fds = OpenDescriptors();
  r.rssKb = ResidentKb();
  r.heapBytes = ::mallinfo2().uordblks;
  return r;
}

}  // namespace quorvex::soak
