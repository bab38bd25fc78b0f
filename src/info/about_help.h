// The about box and the help window: values compiled into the program and the help file.
#pragma once

#include <map>
#include <string>

#include "core/user_interface.h"

namespace quorvex {

// The program's version strings by name (FileVersion, ProductName, LegalCopyright, Comments).
using VersionTable = std::map<std::string, std::string>;
const VersionTable& ProgramVersionInfo();

// One value of the table; "n/a" when it is absent or empty.
std::string GetVersionValue(const VersionTable& table, const std::string& name);

inline constexpr const char* kAuthorHomepage = "https://www.example.org/quorvex/";
inline constexpr const char* kAuthorEmail = "quorvex@example.org";

struct TAboutBox {
  std::string Caption = "About";
  std::string ProductName = "Product Name";
  std::string Version = "Version";
  std::string Copyright = "Copyright";
  std::string Comments = "Comments";
  std::string Label2 = "Homepage:";
  std::string Label1 = kAuthorHomepage;
  std::string Label3 = "E-mail:";
  std::string Label4 = kAuthorEmail;
  std::string OKButton = "OK";

  // mnuAboutClick's filling of the captions, rebuilt on every call.
  void Fill(const VersionTable& table = ProgramVersionInfo());
  void Label1Click(UserInterface& ui) const { ui.openUrl(Label1); }
  void Label4Click(UserInterface& ui) const { ui.openUrl(std::string("mailto:") + Label4); }
};

inline constexpr const char* kHelpFile = "info.txt";

struct HelpText {
  bool rich = false;  // the bytes are RTF
  std::string text;   // cp1251 bytes as the file holds them
};

// True for a text in RTF form (it opens with "{\rtf", blanks before it allowed).
bool IsRtf(const std::string& bytes);

// Reads the help file. Raises EInOutError ("File not found" for a missing file).
HelpText LoadHelpText(const std::string& path = kHelpFile);

struct TfrmHelp {
  std::string Caption;  // "Помощь"
  HelpText RichEdit1;
  std::string path = kHelpFile;

  TfrmHelp();
  // Reads the file again on every showing; a failure raises and leaves the old text.
  void FormShow() { RichEdit1 = LoadHelpText(path); }
};

}  // namespace quorvex
