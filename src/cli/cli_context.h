#pragma once

// Everything a headless scan, repair or restore works with, over the Wine prefix of the command
// line ($WINEPREFIX, else ~/.wine): its registry and files, the user's settings file, the
// machine's clock, a host without a window, and a model of its own.

#include "cli/cli_host.h"
#include "cli/cli_platform.h"
#include "engine/scan_context.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace tessivar::cli {

struct CliContext {
    CliPlatform platform;
    std::unique_ptr<FileSystem> files;
    std::unique_ptr<SettingsBackend> settingsBackend;
    std::unique_ptr<SettingsStore> settings;
    SystemClock clock;
    CliHost host;
    ScanModel model;
    std::unique_ptr<ScanContext> context;
};

// Opens the prefix (one line on `err` says which) and builds the context.
std::unique_ptr<CliContext> openCliContext(std::ostream& err);

// The table's entries for the backup commands (see backup_commands.h).
int backupsCommand(const std::vector<std::string>& args);
int restoreCommand(const std::vector<std::string>& args);
int deleteBackupCommand(const std::vector<std::string>& args);
// The table's entry for repair (see repair_command.h).
int repairCommand(const std::vector<std::string>& args);

} // namespace tessivar::cli
