// A directory of one's own under the system's temporary one, so that test programs and
// benchmarks running at once never meet in a file.
#pragma once

#include <filesystem>
#include <string>

namespace quorvex::testing {

// <temp>/<prefix>-<pid>[-<tag>], created empty: what an earlier run of the same id left there
// is removed first. A character of the tag other than a letter, a digit, '-', '_' or '.'
// becomes '_', so that a name with '/' does not nest.
std::filesystem::path FreshScratchDir(const std::string& prefix, const std::string& tag = {});

// The running test's own: prefix-<pid>-<suite>-<test>.
std::filesystem::path MakeScratchDir(const std::string& prefix);

}  // namespace quorvex::testing
