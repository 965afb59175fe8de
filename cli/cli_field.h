#pragma once
// Commands for the people who service units every day: comparing
// configurations, the CAN database of the exports, and a CSV log of the live
// values. diff and dbc need no unit; check and log do.
#include "cli/service_commands.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <iosfwd>
#include <vector>

namespace vm::cli {

using OfflineRunner = std::function<int(std::ostream& out, std::ostream& err)>;

struct OfflineCommand {
    CLI::App* subcommand;
    OfflineRunner run;
};

std::vector<OfflineCommand> AddOfflineCommands(CLI::App& app);
std::vector<AddedCommand> AddFieldCommands(CLI::App& app);

} // namespace vm::cli
