#pragma once

// `tessivar-cli repair [--all] [--drive LETTER]... [--tsv]`: scans as `scan` does (printing what
// it finds), then repairs every problem found, backing up as the settings say, and prints each
// change and the backup file's name. Refuses, with one line and before changing anything, when
// the registry cannot be written now (Wine running in the prefix, a registry file that did not
// parse) or when the scan found nothing to repair.

#include <ostream>
#include <string>
#include <vector>

namespace tessivar {

struct ScanContext;

inline constexpr int kRepairExitDone = 0;    // everything found was repaired
inline constexpr int kRepairExitLeft = 1;    // some entries were left as they were
inline constexpr int kRepairExitRefused = 2; // nothing changed: usage error or registry not writable
inline constexpr int kRepairExitNothing = 3; // the scan found nothing to repair

int RunRepairCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tessivar
