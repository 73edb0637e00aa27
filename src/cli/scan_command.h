#pragma once

// `tessivar-cli scan [--all] [--tsv]`: the whole scan without a window, over the section choices
// the settings hold, printed as the results view shows it.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

struct ScanContext;

inline constexpr int kScanExitClean = 0;
inline constexpr int kScanExitProblems = 1;
inline constexpr int kScanExitError = 2;

struct ScanCommandOutcome {
    int exitCode = kScanExitError;
    // The report's path as the program names it, when this scan wrote one; empty otherwise.
    std::string reportPath;
};

// Runs the scan on `context` with the arguments after "scan". Without --tsv it prints every
// summary row followed by its detail rows, then the total; with --tsv one line per problem
// (the seven fields of a problem row, tab-separated, after a header line) and per broken
// shortcut. --all checks every section first and stores that choice. Exit code 0 when nothing
// was found, 1 when something was, 2 for a usage error or a registry that could not be read
// whole (message on `err`, naming the file and why, nothing scanned). `command` names the
// command in those messages.
ScanCommandOutcome RunScanCommand(ScanContext& context, const std::vector<std::string>& args, std::ostream& out,
                                  std::ostream& err, std::string_view command = "tessivar-cli scan");

namespace cli {

// `tessivar-cli scan ...` on the Wine prefix ($WINEPREFIX, else ~/.wine) with the user's settings
// file; says on stderr which prefix it scanned and where the report is, when one was written.
int scanCommand(const std::vector<std::string>& args);

} // namespace cli

} // namespace tessivar
