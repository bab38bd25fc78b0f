// Rich text of the help file: the RTF form read into runs of formatted text that any front
// end can show. Only what a help text uses is kept (paragraphs, tabs, bold, italic,
// underline, code page and Unicode characters); tables, pictures and fonts are dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

struct RichRun {
  std::string text;  // cp1251; "\n" ends a paragraph
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const RichRun&) const = default;
};

// Never fails: unbalanced braces, unknown control words and a cut-off file give what could
// be read.
std::vector<RichRun> ParseRtf(std::string_view rtf);

}  // namespace quorvex
