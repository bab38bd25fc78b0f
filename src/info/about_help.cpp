#include "info/about_help.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "codec/errors.h"
#include "codec/ru.h"

namespace quorvex {

const VersionTable& ProgramVersionInfo() {
  static const VersionTable kTable = {
      {"FileVersion", "2.9.1.0"},
      {"ProductName", "Quorvex"},
      {"LegalCopyright", "(C) 2024-2026 The Quorvex developers"},
      {"Comments", "Work with Motorola phone."},
  };
  return kTable;
}

std::string GetVersionValue(const VersionTable& table, const std::string& name) {
  auto found = table.find(name);
  if (found == table.end() || found->second.empty()) return "n/a";
  return found->second;
}

void TAboutBox::Fill(const VersionTable& table) {
  // Looked up in the order the version resource used to be read.
  const std::string fileVersion = GetVersionValue(table, "FileVersion");
  const std::string productName = GetVersionValue(table, "ProductName");
  const std::string copyright = GetVersionValue(table, "LegalCopyright");
  const std::string comments = GetVersionValue(table, "Comments");
  ProductName = "Product Name: " + productName;
  Version = "Version: " + fileVersion;
  Copyright = "Copyrights: " + copyright;
  Comments = "Comments: " + comments;
}

bool IsRtf(const std::string& bytes) {
  std::size_t i = 0;
  while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) <= 32) ++i;
  return bytes.compare(i, 5, "{\\rtf") == 0;
}

HelpText LoadHelpText(const std::string& path) {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  errno = 0;
  std::unique_ptr<std::FILE, Closer> f(std::fopen(path.c_str(), "rb"));
  if (!f) throw MakeInOutError(errno);
  std::string bytes;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) bytes.append(buffer, n);
  // A directory opens but does not read; that is as much a failure as a missing file.
  if (std::ferror(f.get())) throw MakeInOutError(errno ? errno : EIO);
  return {IsRtf(bytes), std::move(bytes)};
}

TfrmHelp::TfrmHelp() : Caption(Ru("Помощь")) {}

}  // namespace quorvex
