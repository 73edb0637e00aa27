// tessivar-cli: the core without a window, one command family per entry of the table.

#include "cli/cli_context.h"
#include "cli/command_line.h"
#include "cli/reg_command.h"
#include "cli/scan_command.h"

#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Command {
    std::string_view name;
    int (*run)(const std::vector<std::string>& args);
};

constexpr Command kCommands[] = {
    {"reg", tessivar::cli::regCommand},         {"scan", tessivar::cli::scanCommand},
    {"repair", tessivar::cli::repairCommand},   {"backups", tessivar::cli::backupsCommand},
    {"restore", tessivar::cli::restoreCommand}, {"delete-backup", tessivar::cli::deleteBackupCommand},
};

std::optional<int> runCommand(std::string_view name, const std::vector<std::string>& args)
{
    for (const auto& command : kCommands) {
        if (command.name == name)
            return command.run(args);
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    return tessivar::cli::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), runCommand, std::cout,
                                         std::cerr);
}
