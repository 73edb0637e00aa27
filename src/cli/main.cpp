// tessivar-cli: the core without a window, one command family per entry of the table.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_context.h"
#include "cli/reg_command.h"
#include "cli/scan_command.h"

namespace {

struct Command {
    std::string_view name;
    int (*run)(const std::vector<std::string>& args);
};

constexpr Command kCommands[] = {
    {"reg", tessivar::cli::regCommand},
    {"scan", tessivar::cli::scanCommand},
    {"repair", tessivar::cli::repairCommand},
    {"backups", tessivar::cli::backupsCommand},
    {"restore", tessivar::cli::restoreCommand},
    {"delete-backup", tessivar::cli::deleteBackupCommand},
};

void printUsage()
{
    std::fputs("usage: tessivar-cli COMMAND [ARGUMENTS]\ncommands:", stderr);
    for (const auto& command : kCommands)
        std::fprintf(stderr, " %.*s", static_cast<int>(command.name.size()), command.name.data());
    std::fputs("\n", stderr);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage();
        return 2;
    }
    const std::string_view name = argv[1];
    for (const auto& command : kCommands) {
        if (command.name == name)
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "tessivar-cli: unknown command '%s'\n", argv[1]);
    printUsage();
    return 2;
}
