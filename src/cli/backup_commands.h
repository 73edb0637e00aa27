#pragma once

// The backup manager on the command line:
//   tessivar-cli backups                         the manager's list
//   tessivar-cli restore NAME...                 restores the named backups
//   tessivar-cli delete-backup NAME... [--yes]   deletes them, asking per file unless --yes
// A name that is not in the list stops the command before anything is done.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tessivar {

struct ScanContext;

inline constexpr int kBackupExitDone = 0;
inline constexpr int kBackupExitIncomplete = 1; // a backup could not be restored or deleted in full
inline constexpr int kBackupExitRefused = 2;    // usage error, unknown backup, registry not writable

int RunBackupsCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunRestoreCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// Questions are read from `in`: an answer starting with "y" (any case) deletes the file.
int RunDeleteBackupCommand(ScanContext& context, const std::vector<std::string>& args, std::istream& in,
                           std::ostream& out, std::ostream& err);

} // namespace tessivar
