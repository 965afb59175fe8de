#pragma once
// Live service work from the command line: switching outputs in manual test,
// the unit's fault counters, and the CAN traffic it sees.
#include "cli/service_commands.h"

#include <CLI/CLI.hpp>
#include <vector>

namespace vm::cli {

std::vector<AddedCommand> AddLiveCommands(CLI::App& app);

} // namespace vm::cli
