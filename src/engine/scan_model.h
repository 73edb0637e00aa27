#pragma once

// The state of the main window that the behaviour reads and writes: the result lists, the
// section list, the scan's flags and times, the status texts, the progress bar and the
// visible/enabled states of the controls that carry meaning. The core changes it; the Qt window
// renders it and turns clicks into calls on the core. Names are those of the window's controls.

#include "engine/check_state.h"
#include "engine/observed.h"
#include "engine/problem_list.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessivar {

// The pointer the scan asks for over the window (the shell's MousePointer sets it on the screen).
enum class PointerLook { normal, hourglass };
enum class SortOrder { ascending, descending };
// Which of the main window's panels was last brought to the front.
enum class FrontPanel { none, scanning, results };

struct SectionListEntry {
    std::string ListText;
    int SmallIcon = 0; // 1-11 for the fixed sections, 12 for a drive entry
    bool checked = false;
    bool selected = false; // highlighted while the driver scans it; never saved
    // A drive whose folder lies outside the prefix: only the user's own tick checks it, never the
    // select-all box, so that no shortcut of another system is removed by a repair unasked.
    bool outsidePrefix = false;
};

using SectionRows = ObservedRows<SectionListEntry, std::vector<SectionListEntry>>;
using TextRows = ObservedRows<std::string, std::vector<std::string>>;

// A one-column list of texts with header-click sorting.
struct TextList {
    TextList() = default;
    TextList(const ObserverSlot* slot, ModelPart rowsPart, ModelPart selectionPart)
        : rows(slot, rowsPart), selectedRow(slot, selectionPart, -1)
    {
    }
    TextRows rows;
    Observed<int> selectedRow = -1; // 0-based; -1 when none is selected
    bool sorted = false;
    int sortKey = 0;
    SortOrder sortOrder = SortOrder::ascending;
};

// Width of the progress track PicMainProgress, in twips.
inline constexpr int kPicMainProgressWidth = 4275;

struct ScanModel {
    ScanModel() = default;
    // The parts find the observer through the model they belong to.
    ScanModel(const ScanModel&) = delete;
    ScanModel& operator=(const ScanModel&) = delete;

    // The one observer of every part's change; nullptr (the default) for none. The window sets it
    // before it shows the model and clears it before the model goes away.
    void setObserver(ModelObserver* observer) { m_slot.observer = observer; }
    ModelObserver* observer() const { return m_slot.observer; }

  private:
    ObserverSlot m_slot;

  public:
    // The scan's results.
    ProblemList lvwErrors{&m_slot, ModelPart::lvwErrors};
    ShortcutList lvwShortcut{&m_slot, ModelPart::lvwShortcut};
    TextList lvwRegistryProblems{&m_slot, ModelPart::lvwRegistryProblems,
                                 ModelPart::lvwRegistryProblemsSelectedRow}; // "Summary"
    TextList lvwRegistryErrorsDetail{&m_slot, ModelPart::lvwRegistryErrorsDetail,
                                     ModelPart::lvwRegistryErrorsDetailSelectedRow}; // "Details"
    // Counts the fills of the detail list, so that a fill started by a newer click during a
    // yield makes the older one stop.
    std::uint64_t lvwRegistryErrorsDetailFill = 0;

    // The section selection list and its select-all box.
    SectionRows lvwRegistryvaluesScan{&m_slot, ModelPart::lvwRegistryvaluesScan};
    Observed<CheckState> chkSelectlistviewItems{&m_slot, ModelPart::chkSelectlistviewItems, CheckState::unchecked};
    bool UpdatingSelectAll = false;

    bool ScanCancelled = false;
    Observed<std::string> ScanStartTime{&m_slot, ModelPart::ScanStartTime};
    Observed<std::string> ScanEndTime{&m_slot, ModelPart::ScanEndTime};

    Observed<std::string> lblStatus{&m_slot, ModelPart::lblStatus};
    Observed<std::string> lblRegistryScan{&m_slot, ModelPart::lblRegistryScan};
    Observed<std::string> lblRegistryFilesScan{&m_slot, ModelPart::lblRegistryFilesScan};
    Observed<std::string> lblProblemsFound{&m_slot, ModelPart::lblProblemsFound, "0"};

    Observed<double> PicProgressWidth{&m_slot, ModelPart::PicProgressWidth,
                                      0}; // twips, a "single" as the window holds it
    std::int32_t ProgressStep = 0;
    Observed<double> ImgDeleteProgressInsideWidth{&m_slot, ModelPart::ImgDeleteProgressInsideWidth, 0};
    Observed<double> ImgDeleteProgressWidth{&m_slot, ModelPart::ImgDeleteProgressWidth,
                                            kPicMainProgressWidth}; // the repair progress box, twips

    Observed<bool> ImgScanNowNormalEnabled{&m_slot, ModelPart::ImgScanNowNormalEnabled,
                                           true}; // disabled exactly while a scan runs
    Observed<bool> cmdCancelOrStopEnabled{&m_slot, ModelPart::cmdCancelOrStopEnabled, false};
    Observed<std::string> cmdCancelOrStopCaption{&m_slot, ModelPart::cmdCancelOrStopCaption, "Cancel"};
    Observed<bool> PicScanningVisible{&m_slot, ModelPart::PicScanningVisible, false};
    Observed<bool> PicResultsVisible{&m_slot, ModelPart::PicResultsVisible, false};
    Observed<bool> PicBugVisible{&m_slot, ModelPart::PicBugVisible, false};
    Observed<FrontPanel> frontPanel{&m_slot, ModelPart::frontPanel, FrontPanel::none};
    Observed<bool> FrameScanningVisible{&m_slot, ModelPart::FrameScanningVisible, false};
    Observed<bool> FrameRegistryProblemsDetailsVisible{&m_slot, ModelPart::FrameRegistryProblemsDetailsVisible, false};
    Observed<bool> FrameScanSettingShelidButtonVisible{&m_slot, ModelPart::FrameScanSettingShelidButtonVisible, true};
    Observed<bool> lblDeletingCourrutpfilsVisible{&m_slot, ModelPart::lblDeletingCourrutpfilsVisible, false};
    Observed<bool> ImgDeleteProgressVisible{&m_slot, ModelPart::ImgDeleteProgressVisible, false};
    Observed<bool> tmrPicVisibleOrNotEnabled{&m_slot, ModelPart::tmrPicVisibleOrNotEnabled, false};
    Observed<bool> tmrRefreshlvwContentsEnabled{&m_slot, ModelPart::tmrRefreshlvwContentsEnabled,
                                                false}; // one-shot, 50 ms, started by each resize
    Observed<bool> cmdShowLogEnabled{&m_slot, ModelPart::cmdShowLogEnabled, false};
    // Whether the last scan's report was written completely (the command line says where it is).
    bool scanReportWritten = false;
    Observed<bool> mainWindowEnabled{&m_slot, ModelPart::mainWindowEnabled, true};
    Observed<PointerLook> mousePointer{&m_slot, ModelPart::mousePointer, PointerLook::normal};

    // Repair: the run's backup file and the results view's controls it drives.
    std::string CurrentBackupPath;
    Observed<bool> lvwRegistryProblemsVisible{&m_slot, ModelPart::lvwRegistryProblemsVisible, true};
    Observed<bool> lvwRegistryErrorsDetailVisible{&m_slot, ModelPart::lvwRegistryErrorsDetailVisible, true};
    Observed<bool> ImgRepairNormalEnabled{&m_slot, ModelPart::ImgRepairNormalEnabled, true};
    Observed<bool> ImgReturnNormalEnabled{&m_slot, ModelPart::ImgReturnNormalEnabled, true};
};

} // namespace tessivar
