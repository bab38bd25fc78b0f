// Root reads a file of mode 000 and passes another program's TIOCEXCL, so the refusals a user
// meets are tested from a child that has given up root for the unprivileged user "nobody".
#pragma once

#include <functional>
#include <string>

namespace quorvex::testing {

bool RunningAsRoot();

// Drops this process to "nobody" for good: groups, group, user. Meant for a forked child.
// Empty on success, else why it could not.
std::string DropToUnprivilegedUser();

struct ChildResult {
  std::string output;   // what the step returned
  std::string failure;  // why the child gave no result; empty when it did
};

// Runs the step in a forked child that first drops to the unprivileged user, and returns
// what the step returned. The child has ten seconds.
ChildResult RunUnprivileged(const std::function<std::string()>& step);

}  // namespace quorvex::testing
