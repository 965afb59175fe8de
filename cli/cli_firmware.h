#pragma once
// flash and verify: the firmware update and the FIA compare on the command
// line, over the same logic classes as their windows. Standard output gets
// only the result lines; progress and reasons go to standard error.
#include "cli/service_commands.h"

#include <iosfwd>
#include <string>

namespace vm::cli {

class CliLink;

constexpr int kDefaultPromptWaitSeconds = 60;

int RunFlash(CliLink& link, const std::string& path, bool reboot, int waitSeconds, std::ostream& out,
             std::ostream& err);
int RunVerify(CliLink& link, const std::string& path, std::ostream& out, std::ostream& err);

// Option declarations for the service command table.
ServiceRunner DeclareFlash(CLI::App& subcommand);
ServiceRunner DeclareVerify(CLI::App& subcommand);

} // namespace vm::cli
