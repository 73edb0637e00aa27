#pragma once

// The state of the main window that the behaviour reads and writes: the result lists, the
// section list, the scan's flags and times, the status texts, the progress bar and the
// visible/enabled states of the controls that carry meaning. The core changes it; the Qt window
// renders it and turns clicks into calls on the core. Names are those of the window's controls.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/problem_list.h"

namespace tessivar {

enum class CheckState : int { unchecked = 0, checked = 1, grayed = 2 };
// The pointer the scan asks for over the window (the shell's MousePointer sets it on the screen).
enum class PointerLook { normal, hourglass };
enum class SortOrder { ascending, descending };
// Which of the main window's panels was last brought to the front.
enum class FrontPanel { none, scanning, results };

struct SectionListEntry {
    std::string ListText;
    int SmallIcon = 0;   // 1-11 for the fixed sections, 12 for a drive entry
    bool checked = false;
    bool selected = false; // highlighted while the driver scans it; never saved
};

// A one-column list of texts with header-click sorting.
struct TextList {
    std::vector<std::string> rows;
    int selectedRow = -1;   // 0-based; -1 when none is selected
    bool sorted = false;
    int sortKey = 0;
    SortOrder sortOrder = SortOrder::ascending;
};

// Width of the progress track PicMainProgress, in twips.
inline constexpr int kPicMainProgressWidth = 4275;

struct ScanModel {
    // The scan's results.
    ProblemList lvwErrors;
    ShortcutList lvwShortcut;
    TextList lvwRegistryProblems;      // "Summary"
    TextList lvwRegistryErrorsDetail;  // "Details"
    // Counts the fills of the detail list, so that a fill started by a newer click during a
    // yield makes the older one stop.
    std::uint64_t lvwRegistryErrorsDetailFill = 0;

    // The section selection list and its select-all box.
    std::vector<SectionListEntry> lvwRegistryvaluesScan;
    CheckState chkSelectlistviewItems = CheckState::unchecked;
    bool UpdatingSelectAll = false;

    bool ScanCancelled = false;
    std::string ScanStartTime;
    std::string ScanEndTime;

    std::string lblStatus;
    std::string lblRegistryScan;
    std::string lblRegistryFilesScan;
    std::string lblProblemsFound = "0";

    double PicProgressWidth = 0;   // twips, a "single" as the window holds it
    std::int32_t ProgressStep = 0;
    double ImgDeleteProgressInsideWidth = 0;
    double ImgDeleteProgressWidth = kPicMainProgressWidth; // the repair progress box, twips

    bool ImgScanNowNormalEnabled = true; // disabled exactly while a scan runs
    bool cmdCancelOrStopEnabled = false;
    std::string cmdCancelOrStopCaption = "Cancel";
    bool PicScanningVisible = false;
    bool PicResultsVisible = false;
    bool PicBugVisible = false;
    FrontPanel frontPanel = FrontPanel::none;
    bool FrameScanningVisible = false;
    bool FrameRegistryProblemsDetailsVisible = false;
    bool FrameScanSettingShelidButtonVisible = true;
    bool lblDeletingCourrutpfilsVisible = false;
    bool ImgDeleteProgressVisible = false;
    bool tmrPicVisibleOrNotEnabled = false;
    bool tmrRefreshlvwContentsEnabled = false; // one-shot, 50 ms, started by each resize
    bool cmdShowLogEnabled = false;
    // Whether the last scan's report was written completely (the command line says where it is).
    bool scanReportWritten = false;
    bool mainWindowEnabled = true;
    PointerLook mousePointer = PointerLook::normal;

    // The message box's shared text: the kind asked for, then the answer read back.
    std::string MessageboxRequest;

    // Repair: the run's backup file, the results view's controls it drives, and what the
    // "FILES REPAIRED" box says about the run (its own fixed text when everything was repaired).
    std::string CurrentBackupPath;
    bool lvwRegistryProblemsVisible = true;
    bool lvwRegistryErrorsDetailVisible = true;
    bool ImgRepairNormalEnabled = true;
    bool ImgReturnNormalEnabled = true;
    std::string filesRepairedText;
};

} // namespace tessivar
