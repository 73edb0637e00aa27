#pragma once

// The scan as the Scan Now button runs it: prepare the window, walk the checked entries of the
// section list in order with a progress bar and a live count, write the report, show the
// results. The cancel button only asks and sets ScanCancelled; the walks notice it.

#include "platform/clock.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessivar {

struct ScanContext;

// A whole scan, from the disabled Scan Now button back to the idle window.
void ImgScanNowMouseMove_Click(ScanContext& context);
// Empties the results, times the section loop, then writes the report (also after a cancel).
void RunScan(ScanContext& context);
// The section loop. Ends at once, without the shortcut summary row, when the scan is cancelled.
void ScanSections(ScanContext& context);
// The number of problem-list rows of exactly that scanner name, which is also handed to the
// summary (a row only when it is not 0).
std::size_t CountSectionProblems(ScanContext& context, const std::string& scannerName);
// The cancel button: at once while nothing was found, else only after "CANCEL SCANNING" is
// answered "YES". The section list is rebuilt from the settings while the question is open.
void ImgScanCancelMouseMove_Click(ScanContext& context);

// The width added to the progress bar per section-list entry for `entries` entries: 4275 / N
// rounded to the nearest integer, halves to the even neighbour; 0 for an empty list.
std::int32_t ProgressStepFor(std::size_t entries);

// The time of day as ScanStartTime and ScanEndTime hold it: "hh:mm:ss", 24-hour clock.
std::string TimeOfDayText(const LocalDateTime& moment);

} // namespace tessivar
