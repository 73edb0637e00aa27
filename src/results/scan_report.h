#pragma once

// The plain-text report of a scan, "ScanReport.txt" in the folder the settings name, and the
// return to the start view, which is where the "Show Log" button learns whether a report exists.

#include "platform/clock.h"

#include <string>
#include <string_view>

namespace tessivar {

struct ScanContext;

inline constexpr std::string_view kScanReportFileName = "ScanReport.txt";

// Where the report is written: the folder of "txtLogFile" (default the program's folder) and
// the report's name.
std::string ScanReportPath(ScanContext& context);

// The date as the report prints it, "dd/mm/yyyy".
std::string ShortDateText(const LocalDateTime& moment);

// Whether the settings ask for a report after each scan ("chkMakeLogFile" read as a number, not 0).
bool ScanReportWanted(ScanContext& context);

// When "chkMakeLogFile" is not 0, replaces the report with one describing the scan that just
// ended (finished or cancelled); otherwise leaves any old report alone. Lines that cannot be
// written are skipped; nothing is reported to the user.
void MakeScanReport(ScanContext& context);

// Back to the start view after the results; enables cmdShowLog exactly when a report file exists,
// whatever "chkMakeLogFile" says now.
void ReturnToStartView(ScanContext& context);

} // namespace tessivar
