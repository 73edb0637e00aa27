#include "cli/cli_context.h"

#include "cli/backup_commands.h"
#include "cli/repair_command.h"
#include "platform/wine/drives.h"
#include "platform/wine/settings_file.h"
#include "platform/wine/wine_file_system.h"

#include <iostream>

namespace tessivar::cli {

std::unique_ptr<CliContext> openCliContext(std::ostream& err)
{
    auto cli = std::make_unique<CliContext>();
    cli->platform = openCliPlatform(err);
    wine::WineFileSystemOptions options;
    options.driveTypes = wine::driveTypeReaderFor(*cli->platform.registry);
    cli->files = std::make_unique<wine::WineFileSystem>(cli->platform.prefix, std::move(options));
    cli->settingsBackend = std::make_unique<wine::SettingsFile>(wine::SettingsFile::defaultPath(), kProductName);
    cli->settings = std::make_unique<SettingsStore>(*cli->settingsBackend);
    cli->context = std::make_unique<ScanContext>(
        ScanContext{*cli->platform.registry, *cli->files, *cli->settings, cli->clock, cli->host, cli->model});
    return cli;
}

int backupsCommand(const std::vector<std::string>& args)
{
    auto cli = openCliContext(std::cerr);
    return RunBackupsCommand(*cli->context, args, std::cout, std::cerr);
}

int restoreCommand(const std::vector<std::string>& args)
{
    auto cli = openCliContext(std::cerr);
    return RunRestoreCommand(*cli->context, args, std::cout, std::cerr);
}

int deleteBackupCommand(const std::vector<std::string>& args)
{
    auto cli = openCliContext(std::cerr);
    return RunDeleteBackupCommand(*cli->context, args, std::cin, std::cout, std::cerr);
}

} // namespace tessivar::cli

namespace tessivar::cli {

int repairCommand(const std::vector<std::string>& args)
{
    auto cli = openCliContext(std::cerr);
    return RunRepairCommand(*cli->context, args, std::cout, std::cerr);
}

} // namespace tessivar::cli
