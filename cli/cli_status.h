#pragma once
#include <iosfwd>

namespace vm::cli {

class CliLink;

// `status`: checks the unit's version, then prints one round of live answers.
// Runs the same session, timers and version check as the window does.
int RunStatus(CliLink& link, std::ostream& out, std::ostream& err);

} // namespace vm::cli
