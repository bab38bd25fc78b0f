// UTF-8 sequences one code point at a time, for the edges that meet UTF-8 text: the
// code page table, the vCard import and the rich text reader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// Appends the UTF-8 form of a code point up to U+10FFFF.
void AppendUtf8(std::string& out, char32_t cp);

// Decodes one well-formed sequence at s[at] (at < s.size()): no overlong forms, no
// surrogates, nothing above U+10FFFF. Returns its length; 0 for a malformed or truncated
// sequence, and then cp is U+FFFD.
std::size_t DecodeUtf8(std::string_view s, std::size_t at, char32_t& cp);

bool IsValidUtf8(std::string_view s);

// A code point as a reader names it: "U+" and four hex digits at least, no leading zero beyond
// them (U+00FC, U+1F600, U+10FFFF).
std::string CodePointName(char32_t cp);

// The characters a text lost on its way into the handset's terms, each named once, in the
// order they came, for a note: "U+00FC, U+1F600".
class DroppedNames {
 public:
  void add(const std::string& name);
  bool empty() const { return names_.empty(); }
  std::string joined() const;

 private:
  std::vector<std::string> names_;
};

}  // namespace quorvex
