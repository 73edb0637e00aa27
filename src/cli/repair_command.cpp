#include "cli/repair_command.h"

#include <sstream>

#include "cli/printable.h"
#include "cli/scan_command.h"
#include "engine/scan_context.h"
#include "results/backup_format.h"
#include "results/repair.h"

namespace tessivar {

int RunRepairCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err)
{
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
    out << printable(context.model.filesRepairedText) << '\n';
    return outcome.left() == 0 ? kRepairExitDone : kRepairExitLeft;
}

} // namespace tessivar
