#pragma once

// The backup manager's logic, frmBackUpRestore without its window: the list of backup files in the
// backup folder, and restoring or deleting the checked ones.

#include "results/backup_format.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

struct ScanContext;

struct BackupListEntry {
    std::string Name;
    std::string Date;
    std::string Time;
    std::string Size; // "Size ( Bytes )"
    bool checked = false;
};

inline constexpr std::string_view kBackupListHeaders[] = {"Name", "Date", "Time", "Size ( Bytes )"};

// The window's state: the folder it shows, read once when it opens, and its list.
struct BackupManager {
    std::string folder;
    std::vector<BackupListEntry> lvwBackUp;
};

// Opening the window: the folder from "txtBackup" (the program's folder when absent or blank),
// and one entry per plain file whose name holds "BackUp" in any case, in listing order.
void LoadBackupManager(ScanContext& context, BackupManager& manager);

// Appends the entry of file `name` of `folder`: its date and time cut out of the name, its size.
void AddBackupListEntry(BackupManager& manager, FileSystem& files, std::string_view name, std::string_view folder);

struct BackupFileResult {
    std::string name;
    bool found = false;     // false: no file of that name, the entry stays as it was
    RestoreOutcome restore; // for restores
    bool removed = false;   // the file is gone and its entry left the list
    std::string refusal;    // for deletes: why nothing was done (another writer held the prefix)
};

// Restores every checked entry in list order. A file whose records all went back is deleted and
// its entry removed; a file with a record that could not be put back is kept, entry and all.
std::vector<BackupFileResult> RestoreCheckedBackups(ScanContext& context, BackupManager& manager);

// Asks "DELETE BACKUP FILE" through the host once per checked entry and deletes the file when the
// answer is YES. Shortcut copies the file refers to stay in the folder.
std::vector<BackupFileResult> DeleteCheckedBackups(ScanContext& context, BackupManager& manager);

} // namespace tessivar
