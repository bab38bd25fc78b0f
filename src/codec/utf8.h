// UTF-8 sequences one code point at a time, for the edges that meet UTF-8 text: the
// code page table, the vCard import and the rich text reader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvex {

// Appends the UTF-8 form of a code point up to U+10FFFF.
void AppendUtf8(std::string& out, char32_t cp);

// Decodes one well-formed sequence at s[at] (at < s.size()): no overlong forms, no
// surrogates, nothing above U+10FFFF. Returns its length; 0 for a malformed or truncated
// sequence, and then cp is U+FFFD.
std::size_t DecodeUtf8(std::string_view s, std::size_t at, char32_t& cp);

bool IsValidUtf8(std::string_view s);

}  // namespace quorvex
