#include "cli/repair_command.h"

#include "cli/command_line.h"
#include "cli/printable.h"
#include "cli/scan_command.h"
#include "engine/scan_context.h"
#include "results/backup_format.h"
#include "results/repair.h"

#include <sstream>

namespace tessivar {

int RunRepairCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    cli::CommandArgs parsed;
    if (const auto read = cli::parseCommandArgs("repair", args, &parsed, out, err); read != cli::ParseResult::run)
        return read == cli::ParseResult::helpShown ? kRepairExitDone : kRepairExitRefused;
    std::string why;
    if (!context.registry.canWrite(&why)) {
        err << "tessivar-cli repair: nothing changed: " << printable(why) << '\n';
        return kRepairExitRefused;
    }
    const ScanCommandOutcome scan = RunScanCommand(context, args, out, err, "tessivar-cli repair");
    if (scan.exitCode == kScanExitError)
        return kRepairExitRefused;
    if (scan.exitCode == kScanExitClean) {
        err << "tessivar-cli repair: the scan found nothing to repair\n";
        return kRepairExitNothing;
    }

    const RepairOutcome outcome = RepairAll(context);
    if (outcome.refused) {
        err << "tessivar-cli repair: nothing changed: " << printable(outcome.refusal) << '\n';
        return kRepairExitRefused;
    }
    for (const auto& change : outcome.changes)
        out << printable(change) << '\n';
    if (!outcome.backupPath.empty())
        out << "backup: " << printable(FileNameOfPath(outcome.backupPath)) << " in "
            << printable(FolderOfPath(outcome.backupPath)) << '\n';
    else if (!BackupsSwitchedOn(context.settings))
        out << "no backup was written: backups are switched off\n";
    out << printable(FilesRepairedText(outcome)) << '\n';
    return outcome.left() == 0 ? kRepairExitDone : kRepairExitLeft;
}

} // namespace tessivar
