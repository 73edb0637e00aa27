#include "scan/scan_driver.h"

#include "checks/drive_walk.h"
#include "engine/catalogue.h"
#include "engine/registry_ops.h"
#include "engine/scan_context.h"
#include "engine/section_list.h"
#include "platform/text_utils.h"
#include "results/scan_report.h"
#include "results/summary_views.h"
#include "scan/key_walker.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tessivar {

namespace {

std::size_t totalRows(const ScanModel& model)
{
    return model.lvwErrors.count() + model.lvwShortcut.count();
}

// The section list is read by position at every use: the cancel question may rebuild it while
// the loop waits, and a rebuilt list may even be shorter.
const SectionListEntry* entryAt(const ScanModel& model, std::size_t position)
{
    if (position == 0 || position > model.lvwRegistryvaluesScan.size())
        return nullptr;
    return &model.lvwRegistryvaluesScan[position - 1];
}

void selectEntry(ScanModel& model, std::size_t position, bool selected)
{
    if (const SectionListEntry* entry = entryAt(model, position); entry != nullptr && entry->selected != selected)
        model.lvwRegistryvaluesScan.update(position - 1, [&](SectionListEntry& row) { row.selected = selected; });
}

void walk(ScanContext& context, const SectionWalk& w, const std::string& scannerName,
          ValueChecks checks = ValueChecks::run)
{
    switch (w.kind) {
    case WalkKind::SubkeyTree:
        WalkKeyTree(context, w.hive, w.keyPath, scannerName, w.hiveName, checks);
        break;
    case WalkKind::KeyValues:
        WalkKeyValues(context, w.hive, w.keyPath, scannerName, w.hiveName, checks);
        break;
    case WalkKind::SubkeyNames:
        ListSubkeyNames(context, w.hive, w.keyPath);
        break;
    case WalkKind::DriveShortcuts:
        WalkDrive(context, w.keyPath);
        break;
    }
}

// Runs the fixed section at `position` (1-11); false when the scan is to end at once.
bool runRegistrySection(ScanContext& context, std::size_t position)
{
    ScanModel& model = context.model;
    const ScanSection& section = FixedScanSections()[position - 1];
    const std::string& scanner = section.ScannerName;
    const std::vector<SectionWalk>& walks = section.Walks;
    model.lblStatus = section.StatusText;
    if (position <= 10) {
        selectEntry(model, position, true);
        if (model.ScanCancelled)
            return false;
    }
    switch (position) {
    case 1:
        if (!model.ScanCancelled)
            walk(context, walks.front(), scanner);
        return !model.ScanCancelled;
    case 5:
    case 7:
        // Every walk but the last, each only while not cancelled; then the last and the count.
        // (The start-up section examines the Run key's own values before its subtree, so it
        // has three walks.)
        for (std::size_t w = 0; w + 1 < walks.size(); ++w) {
            if (model.ScanCancelled)
                return false;
            walk(context, walks[w], scanner);
        }
        if (model.ScanCancelled)
            return false;
        walk(context, walks.back(), scanner);
        CountSectionProblems(context, scanner);
        return true;
    case 8:
    case 9:
        if (!model.ScanCancelled)
            walk(context, walks.front(), scanner);
        if (model.ScanCancelled)
            return false;
        CountSectionProblems(context, scanner);
        return true;
    case kPositionWindowsFonts: {
        const auto platformId = static_cast<std::int32_t>(GetPlatformId(context.registry));
        SectionWalk fonts = walks.front();
        fonts.keyPath = std::string(FontsKeyPath(platformId));
        walk(context, fonts, scanner);
        CountSectionProblems(context, scanner);
        return true;
    }
    case kPositionConfigurationFiles:
        // Displays only: its walks carry a scanner name, but no value is checked.
        for (const SectionWalk& w : walks)
            walk(context, w, scanner, ValueChecks::none);
        return true;
    default: // 2, 3, 4, 6: the count is taken also after a cancel; the loop ends right after
        for (const SectionWalk& w : walks)
            walk(context, w, scanner);
        CountSectionProblems(context, scanner);
        return true;
    }
}

// A drive entry (position 12 on); false when the scan is to end at once. An entry without the
// drive marker is passed over.
bool runDriveEntry(ScanContext& context, std::size_t position)
{
    ScanModel& model = context.model;
    const SectionListEntry* entry = entryAt(model, position);
    if (entry == nullptr)
        return true;
    const std::optional<std::string> letter = DriveLetterOfEntry(entry->ListText);
    if (!letter)
        return true;
    model.lblStatus = kDriveSectionStatusText;
    selectEntry(model, position, true);
    if (model.ScanCancelled)
        return false;
    const std::string root = *letter + ":\\";
    model.lblStatus = DriveScanStatusText(root);
    WalkDrive(context, root);
    return true;
}

std::string twoDigits(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

} // namespace

std::int32_t ProgressStepFor(std::size_t entries)
{
    if (entries == 0)
        return 0;
    const std::size_t whole = kPicMainProgressWidth / entries;
    const std::size_t remainder = kPicMainProgressWidth % entries;
    std::size_t step = whole;
    if (remainder * 2 > entries || (remainder * 2 == entries && whole % 2 == 1))
        ++step;
    return static_cast<std::int32_t>(step);
}

std::string TimeOfDayText(const LocalDateTime& moment)
{
    return twoDigits(moment.hour) + ":" + twoDigits(moment.minute) + ":" + twoDigits(moment.second);
}

void ImgScanNowMouseMove_Click(ScanContext& context)
{
    ScanModel& model = context.model;
    // The scanning view is up, and Scan Now off, while the registry files are read: a large
    // registry takes a while, during which the window may pass through its event loop.
    const bool wasEnabled = model.ImgScanNowNormalEnabled;
    const bool wasScanningVisible = model.PicScanningVisible;
    const FrontPanel wasFront = model.frontPanel;
    model.ImgScanNowNormalEnabled = false;
    model.PicScanningVisible = true;
    model.frontPanel = FrontPanel::scanning;
    // A registry that could not be read whole would scan as a clean system; say why instead and
    // leave the window as it was.
    if (std::string why; !context.registry.canRead(&why)) {
        model.frontPanel = wasFront;
        model.PicScanningVisible = wasScanningVisible;
        model.ImgScanNowNormalEnabled = wasEnabled;
        context.host.showMessageBox(MessageKind::ScanRefused, "The registry cannot be scanned: " + why);
        return;
    }
    model.tmrPicVisibleOrNotEnabled = false;
    model.PicBugVisible = false;

    RunScan(context);

    model.PicProgressWidth = kPicMainProgressWidth;
    if (!model.ScanCancelled && totalRows(model) > 0) {
        model.PicResultsVisible = true;
        model.frontPanel = FrontPanel::results;
    }
    model.tmrPicVisibleOrNotEnabled = false;
    model.PicBugVisible = false;
    model.PicScanningVisible = false;
    model.ImgScanNowNormalEnabled = true;
}

void RunScan(ScanContext& context)
{
    ScanModel& model = context.model;
    // Existence tests of one scan may share the file system's lookups; the scan changes no file.
    FileOperationScope fileOperation(context.files);

    model.FrameRegistryProblemsDetailsVisible = false;
    model.FrameScanningVisible = true;
    model.FrameScanSettingShelidButtonVisible = false;
    model.lblDeletingCourrutpfilsVisible = false;
    model.ImgDeleteProgressVisible = false;

    model.lblStatus = "Inspecting...";
    model.cmdCancelOrStopEnabled = true;
    model.cmdCancelOrStopCaption = "Cancel";
    model.ScanCancelled = false;

    model.lvwErrors.clear();
    model.lvwShortcut.clear();
    model.lvwRegistryErrorsDetail.rows.clear();
    model.lvwRegistryErrorsDetail.selectedRow = -1;
    model.lvwRegistryProblems.rows.clear();
    model.lvwRegistryProblems.selectedRow = -1;

    model.ScanStartTime.clear();
    model.ScanEndTime.clear();
    model.lblProblemsFound = "0";
    model.ScanStartTime = TimeOfDayText(context.clock.now());

    ScanSections(context);
    // A scan ended at once leaves the entry it was in highlighted; the highlight marks only the
    // entry being scanned, so none is left once the scan is over.
    for (std::size_t position = 1; position <= model.lvwRegistryvaluesScan.size(); ++position)
        selectEntry(model, position, false);

    model.ScanEndTime = TimeOfDayText(context.clock.now());
    MakeScanReport(context);
    model.mousePointer = PointerLook::normal;
    model.FrameRegistryProblemsDetailsVisible = true;
    model.FrameScanningVisible = false;
    model.FrameScanSettingShelidButtonVisible = false;
}

void ScanSections(ScanContext& context)
{
    ScanModel& model = context.model;
    model.PicProgressWidth = 0;
    const std::size_t entries = model.lvwRegistryvaluesScan.size();
    model.ProgressStep = ProgressStepFor(entries);
    model.mousePointer = PointerLook::hourglass;

    // The registry may prepare the values of the chosen sections while the walks go on.
    for (std::size_t position = 1; position <= std::min(entries, kFixedSectionCount); ++position) {
        if (const SectionListEntry* entry = entryAt(model, position); entry != nullptr && entry->checked) {
            for (const SectionWalk& w : FixedScanSections()[position - 1].Walks) {
                if (w.kind == WalkKind::SubkeyTree || w.kind == WalkKind::KeyValues)
                    context.registry.readAheadValues(w.hive, w.keyPath, w.kind == WalkKind::SubkeyTree);
            }
        }
    }

    for (std::size_t position = 1; position <= entries; ++position) {
        if (totalRows(model) > 0)
            model.tmrPicVisibleOrNotEnabled = true;
        model.PicProgressWidth += model.ProgressStep;
        if (model.PicProgressWidth > kPicMainProgressWidth)
            model.PicProgressWidth -= model.ProgressStep;

        const SectionListEntry* entry = entryAt(model, position);
        if (entry != nullptr && entry->checked) {
            selectEntry(model, position, true);
            if (model.ScanCancelled)
                return;
            const bool goOn = position <= kFixedSectionCount ? runRegistrySection(context, position)
                                                             : runDriveEntry(context, position);
            if (!goOn)
                return;
        }
        if (model.ScanCancelled)
            return;
        model.lblProblemsFound = std::to_string(totalRows(model));
        selectEntry(model, position, false);
        context.host.yield();
    }

    if (const std::size_t shortcuts = model.lvwShortcut.count(); shortcuts > 0) {
        model.lvwRegistryProblems.rows.append(ShortcutSummaryRow(shortcuts));
    }
    model.mousePointer = PointerLook::normal;
    model.ProgressStep = 0;
    model.tmrPicVisibleOrNotEnabled = false;
}

std::size_t CountSectionProblems(ScanContext& context, const std::string& scannerName)
{
    const ProblemList& problems = context.model.lvwErrors;
    const std::size_t count = problems.countScanner(scannerName);
    // One step per row, as counting them one by one took.
    for (std::size_t i = 1; i <= problems.count(); ++i)
        context.host.yield();
    AddSectionSummary(context, count, scannerName);
    return count;
}

void ImgScanCancelMouseMove_Click(ScanContext& context)
{
    ScanModel& model = context.model;
    if (totalRows(model) == 0) {
        model.ScanCancelled = true;
        model.tmrPicVisibleOrNotEnabled = false;
        model.cmdCancelOrStopEnabled = false;
        return;
    }
    const MessageAnswer answer = context.host.showMessageBox(MessageKind::CancelScanning);
    context.host.RefreshThePicControls();
    LoadlvwRegistryvaluesScanValues(context);
    if (answer == MessageAnswer::yes) {
        model.ScanCancelled = true;
        model.tmrPicVisibleOrNotEnabled = false;
        model.cmdCancelOrStopEnabled = false;
    }
}

} // namespace tessivar
