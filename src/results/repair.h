#pragma once

// Repair: removes every problem of the last scan, each one backed up first.
//
// Nothing is changed that is not on disk in the backup file first (when backups are on), every
// entry is tested again just before it is changed, and nothing at all is changed when the registry
// cannot be saved. Entries that were left stay in the problem and shortcut lists, and the
// "FILES REPAIRED" box says how many were repaired and how many were left and why.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

struct ScanContext;
struct ScanModel;

// The box's own text, used when everything was repaired.
inline constexpr std::string_view kAllRepairedText = " All Problems were repaired sucessfully !";

struct RepairOptions {
    // Asked again just before a broken shortcut is deleted: false when it works now (its target
    // came back). Unset: the shortcut check of the scan is run again on the file.
    std::function<bool(const std::string& shortcutPath)> shortcutStillBroken;
};

struct RepairOutcome {
    bool refused = false; // nothing was changed; `refusal` says why
    std::string refusal;
    int repaired = 0;                 // entries whose problem is gone
    int leftBackupFailed = 0;         // left as they were: their backup could not be written
    int leftPresent = 0;              // left as they were: their file (or the shortcut's target) is there now
    int leftChanged = 0;              // left as they were: not the shortcut file the scan's walk found
    int leftUnsaved = 0;              // changed in memory, but the registry could not be saved
    int failed = 0;                   // backed up, but the change itself failed (a read-only shortcut)
    std::string backupPath;           // the run's backup file; "" when no record was written
    std::vector<std::string> changes; // one line per change made, for the command line
    int left() const { return leftBackupFailed + leftPresent + leftChanged + leftUnsaved + failed; }
};

// The repair run. Shows "FILES REPAIRED" through the host at its end (also when it refused) and,
// unless it refused, returns the window to its start view.
RepairOutcome RepairAll(ScanContext& context, const RepairOptions& options = {});

// The repair button: the run, then the results and scanning panels are hidden.
RepairOutcome ImgRepairMouseMove_Click(ScanContext& context, const RepairOptions& options = {});

// What the "FILES REPAIRED" box says for an outcome.
std::string FilesRepairedText(const RepairOutcome& outcome);

// One step of the repair progress bar.
void AdvanceDeleteProgress(ScanModel& model);

} // namespace tessivar
