// The vCard import's preview: for every number or e-mail of every card, what will be written
// where, what the handset cannot hold, what is skipped and why.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/list_model.h"
#include "phonebook/records.h"
#include "phonebook/vcard_parse.h"

namespace quorvex::phonebook {

inline constexpr std::size_t kNameChars = 24;
inline constexpr std::size_t kNumberChars = 40;

struct ImportRow {
  enum class Status { Write, OnHandset, EarlierInFile, NoRoom, NoNumber };
  Status status = Status::Write;
  int card = 0;               // 0-based card of the file
  std::string name, number;   // cp1251, as they will be written (or would have been)
  std::uint8_t type = 0;      // the handset's number type
  std::uint8_t category = 0;  // caller group, 1-based, 0 none
  bool sim = false;
  bool toSim = false;              // a phone memory entry the full phone memory sent to the SIM
  std::int32_t index = 0;          // Write: the free index it goes to; OnHandset: the entry's
  std::string command;             // Write: the "AT+MPBW=" command
  std::string statusText;          // cp1251, what the preview shows for the status
  std::vector<std::string> notes;  // cp1251: cuts and dropped characters, named
};

class VCardImportPlan {
 public:
  VCardImportPlan() = default;
  // records, groupNames, simFirst: the section after its last read. Each item of each card
  // gets a row; a Write row takes the lowest free index of its memory (the SIM for a card
  // stored on the SIM, the phone memory otherwise) that no earlier row took. When the phone
  // memory is full, the numbers left over take the SIM places the SIM cards left, in file
  // order, as SIM entries (toSim); e-mails stay out of the SIM.
  VCardImportPlan(const std::vector<VCard>& cards, const std::vector<TAbonentInfo>& records,
                  const std::vector<std::string>& groupNames, std::int32_t simFirst, Family family);

  const std::vector<ImportRow>& rows() const { return rows_; }
  int count(ImportRow::Status status) const;
  // Rows whose texts the handset cannot hold as they are in the file.
  int altered() const;
  // One line of counts, cp1251.
  std::string Summary() const;
  // The rows as a report list: "#" (the index, empty when none), "Имя, Фамилия",
  // "Номер телефона", "Тип", "Группа", "Состояние" (the status and the notes).
  ListModel PreviewList() const;

 private:
  std::vector<ImportRow> rows_;
  std::vector<std::string> groupNames_;
  Family family_ = Family::None;
};

}  // namespace quorvex::phonebook
