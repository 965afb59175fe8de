#pragma once
// The command-line side of the service tools: each tool with a command in the
// tool table adds its subcommand here, over the same logic class as its window.
#include <CLI/CLI.hpp>

#include <functional>
#include <iosfwd>
#include <vector>

namespace vm::cli {

class CliLink;

using ServiceRunner = std::function<int(CliLink& link, std::ostream& out, std::ostream& err)>;

struct AddedCommand {
    CLI::App* subcommand;
    ServiceRunner run;
};

// Adds a subcommand for every service tool that has one.
std::vector<AddedCommand> AddServiceCommands(CLI::App& app);

} // namespace vm::cli
