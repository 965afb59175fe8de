#include "cli/service_commands.h"

#include "cli/cli_firmware.h"
#include "tools/service_tools.h"

#include <array>

namespace vm::cli {

namespace {

struct CommandRow {
    ServiceTool tool;
    // Declares the options on the subcommand; returns what runs it.
    ServiceRunner (*declare)(CLI::App& subcommand);
};

// One row per tool whose row in the tool table names a command.
constexpr std::array kCommands{
    CommandRow{ServiceTool::Firmware, DeclareFlash},
    CommandRow{ServiceTool::Fia, DeclareVerify},
};

} // namespace

std::vector<AddedCommand> AddServiceCommands(CLI::App& app) {
    std::vector<AddedCommand> added;
    for (const ServiceToolInfo& tool : ServiceTools()) {
        if (!tool.command) continue;
        for (const CommandRow& row : kCommands) {
            if (row.tool != tool.tool) continue;
            CLI::App* sub = app.add_subcommand(tool.command, tool.caption);
            added.push_back({sub, row.declare(*sub)});
        }
    }
    return added;
}

} // namespace vm::cli
