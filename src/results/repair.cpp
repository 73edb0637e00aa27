#include "results/repair.h"

#include "checks/shortcut_check.h"
#include "engine/host.h"
#include "engine/registry_ops.h"
#include "engine/scan_context.h"
#include "engine/section_list.h"
#include "platform/text_utils.h"
#include "results/backup_format.h"
#include "results/scan_report.h"

#include <cctype>
#include <charconv>
#include <cstdint>

namespace tessivar {

namespace {

constexpr std::string_view kDefaultName = "(Default)";
constexpr std::size_t kBackupGroup = 256;

std::string valueText(std::string_view hiveName, std::string_view keyPath, std::string_view valueName)
{
    return std::string(hiveName) + "\\" + std::string(keyPath) + " \"" + std::string(valueName) + "\"";
}

// The re-test before a change: a file or folder of that name, whatever its attributes. A search
// that cannot be carried out counts as "there", so that nothing is removed on a doubt.
bool isThereNow(FileSystem& files, std::string_view path)
{
    constexpr std::uint32_t kAnything = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
    return files.searchPath(path, kAnything) != SearchOutcome::notFound;
}

// A host for the re-test of a shortcut: the check runs as in a scan, but nobody hears it.
class QuietHost final : public Host {
  public:
    void yield() override {}
    MessageAnswer showMessageBox(MessageKind, std::string_view) override { return MessageAnswer::no; }
    bool playSoundAsync(const std::string&) override { return false; }
};

// The shortcut check again, on a model of its own so that the window's lists stay as they are.
bool shortcutIsStillBroken(ScanContext& context, const std::string& path)
{
    QuietHost quiet;
    ScanModel scratch;
    ScanContext asking{context.registry, context.files, context.settings, context.clock, quiet, scratch};
    CheckShortcut(asking, path);
    return scratch.lvwShortcut.count() > 0;
}

// The hive handle of an entry: its MainKey as signed 32-bit text; an empty MainKey keeps the
// handle in use.
HKEY hiveOfEntry(const ProblemEntry& entry, HKEY inUse)
{
    if (entry.MainKey.empty())
        return inUse;
    std::int64_t number = 0;
    const auto* first = entry.MainKey.data();
    const auto* last = first + entry.MainKey.size();
    const auto result = std::from_chars(first, last, number);
    if (result.ec != std::errc() || result.ptr != last || number < INT32_MIN || number > UINT32_MAX)
        return 0;
    return static_cast<HKEY>(static_cast<std::uint32_t>(number));
}

class RepairRun {
  public:
    RepairRun(ScanContext& context, const RepairOptions& options, bool backupsOn)
        : m_context(context), m_options(options), m_backupsOn(backupsOn)
    {
    }

    void registryPhase(RepairOutcome& outcome);
    void shortcutPhase(RepairOutcome& outcome);

  private:
    enum class Result { repaired, skipped, leftBackupFailed, leftPresent, leftChanged, failed };

    // One registry entry, planned before its group's records are written.
    struct Plan {
        ProblemEntry entry;
        HKEY hive = 0;
        Result result = Result::repaired;
        std::vector<RegistryRecord> records;
        bool emptyUnnamed = false;
        bool removeLiteral = false;
        bool removeNamed = false;
    };

    Plan planValue(const ProblemEntry& entry, HKEY hive, const std::vector<Plan>& earlier);
    void applyValue(const Plan& plan, RepairOutcome& outcome);
    bool backUpGroup(const std::vector<Plan>& group, RepairOutcome& outcome);
    Result repairShortcut(const ShortcutEntry& entry, RepairOutcome& outcome);
    static void count(Result result, RepairOutcome& outcome);

    ScanContext& m_context;
    const RepairOptions& m_options;
    bool m_backupsOn = true;
    BackupFileState m_backupState;
};

void RepairRun::count(Result result, RepairOutcome& outcome)
{
    switch (result) {
    case Result::repaired:
        ++outcome.repaired;
        break;
    case Result::leftBackupFailed:
        ++outcome.leftBackupFailed;
        break;
    case Result::leftChanged:
        ++outcome.leftChanged;
        break;
    case Result::leftPresent:
        ++outcome.leftPresent;
        break;
    case Result::failed:
        ++outcome.failed;
        break;
    case Result::skipped:
        break;
    }
}

RepairRun::Plan RepairRun::planValue(const ProblemEntry& entry, HKEY hive, const std::vector<Plan>& earlier)
{
    Plan plan;
    plan.entry = entry;
    plan.hive = hive;
    const std::string& keyPath = entry.FullKeyPath;
    const std::string& valueName = entry.KeyName;
    if (valueName.empty()) {
        plan.result = Result::skipped;
        return plan;
    }
    // The file may have come back since the scan; then the entry is no problem any more.
    if (isThereNow(m_context.files, entry.KeyValue)) {
        plan.result = Result::leftPresent;
        return plan;
    }
    const std::string_view hiveName = predefinedKeyName(hive);
    // A value an earlier entry of the same group removes is gone by the time this one comes to it.
    const auto stateNow = [&](std::string_view name) {
        for (const Plan& other : earlier) {
            for (const RegistryRecord& record : other.records) {
                if (other.hive == hive && equalsIgnoringCase(record.FullKeyPath, keyPath) &&
                    equalsIgnoringCase(record.valueName, name))
                    return RawValue{};
            }
        }
        return ReadRawValue(m_context.registry, hive, keyPath, name);
    };
    if (valueName == kDefaultName) {
        // Both values this changes are saved: the unnamed one it empties and one literally named
        // "(Default)" that it deletes. An unnamed value that is gone already is not made up.
        RawValue unnamed = stateNow("");
        RawValue literal = stateNow(kDefaultName);
        // An unnamed value that is an empty string already (an earlier repair emptied it) stays.
        plan.emptyUnnamed = unnamed.present && !(unnamed.type == REG_SZ && unnamed.data.empty());
        plan.removeLiteral = literal.present;
        plan.records.push_back(MakeRegistryRecord(entry, hiveName, "", std::move(unnamed)));
        if (plan.removeLiteral)
            plan.records.push_back(MakeRegistryRecord(entry, hiveName, kDefaultName, std::move(literal)));
    } else {
        RawValue before = stateNow(valueName);
        plan.removeNamed = before.present;
        plan.records.push_back(MakeRegistryRecord(entry, hiveName, valueName, std::move(before)));
    }
    return plan;
}

void RepairRun::applyValue(const Plan& plan, RepairOutcome& outcome)
{
    Registry& registry = m_context.registry;
    const std::string& keyPath = plan.entry.FullKeyPath;
    const std::string_view hiveName = predefinedKeyName(plan.hive);
    const std::string shownHive = hiveName.empty() ? plan.entry.mainkeyname : std::string(hiveName);
    if (plan.emptyUnnamed) {
        WriteValueGuessType(registry, plan.hive, keyPath, "", "");
        outcome.changes.push_back("emptied " + valueText(shownHive, keyPath, ""));
    }
    if (plan.removeLiteral) {
        RemoveValue(registry, plan.hive, keyPath, kDefaultName);
        outcome.changes.push_back("removed " + valueText(shownHive, keyPath, kDefaultName));
    }
    if (plan.removeNamed) {
        RemoveValue(registry, plan.hive, keyPath, plan.entry.KeyName);
        outcome.changes.push_back("removed " + valueText(shownHive, keyPath, plan.entry.KeyName));
    }
}

bool RepairRun::backUpGroup(const std::vector<Plan>& group, RepairOutcome& outcome)
{
    if (!m_backupsOn)
        return true;
    std::vector<RegistryRecord> records;
    for (const Plan& plan : group) {
        if (plan.result == Result::repaired)
            records.insert(records.end(), plan.records.begin(), plan.records.end());
    }
    if (records.empty())
        return true;
    const std::string& path = m_context.model.CurrentBackupPath;
    if (WriteBackupRecords(m_context.files, m_context.settings, path, records, &m_backupState) == BackupWrite::failed)
        return false;
    outcome.backupPath = path;
    return true;
}

void RepairRun::registryPhase(RepairOutcome& outcome)
{
    ScanModel& model = m_context.model;
    model.lvwRegistryProblemsVisible = false;
    model.lvwRegistryErrorsDetailVisible = false;
    model.ImgRepairNormalEnabled = false;
    model.ImgReturnNormalEnabled = false;
    model.lblDeletingCourrutpfilsVisible = true;
    model.ImgDeleteProgressVisible = true;
    model.ImgDeleteProgressInsideWidth = 5;

    std::vector<ProblemEntry> left;
    std::vector<ProblemEntry> changed;
    HKEY hive = 0;
    RegistryBatch batch(m_context.registry);
    while (model.lvwErrors.count() > 0) {
        // Records go to disk a group at a time, each group flushed before any of its changes is
        // made: one flush per group instead of one per value keeps a large repair fast.
        std::vector<Plan> group;
        for (std::size_t i = 1; i <= model.lvwErrors.count() && group.size() < kBackupGroup; ++i) {
            const ProblemEntry& entry = model.lvwErrors.at(i);
            hive = hiveOfEntry(entry, hive);
            group.push_back(planValue(entry, hive, group));
        }
        const bool backedUp = backUpGroup(group, outcome);
        for (Plan& plan : group) {
            AdvanceDeleteProgress(model);
            Result result = plan.result;
            if (result == Result::repaired && !backedUp)
                result = Result::leftBackupFailed;
            if (result == Result::repaired)
                applyValue(plan, outcome);
            count(result, outcome);
            if (result == Result::repaired)
                changed.push_back(std::move(plan.entry));
            else if (result != Result::skipped)
                left.push_back(std::move(plan.entry));
            model.lvwErrors.removeFirst();
            m_context.host.yield();
        }
    }
    std::string why;
    if (!batch.commit(&why) && !changed.empty()) {
        // The files on disk are as they were before the run: every change of it counts as left.
        outcome.repaired -= static_cast<int>(changed.size());
        outcome.leftUnsaved += static_cast<int>(changed.size());
        outcome.changes.clear();
        outcome.changes.push_back("the registry could not be saved, nothing in it was changed: " + why);
        left.insert(left.end(), changed.begin(), changed.end());
    }
    for (auto& entry : left)
        model.lvwErrors.append(std::move(entry));
}

RepairRun::Result RepairRun::repairShortcut(const ShortcutEntry& entry, RepairOutcome& outcome)
{
    FileSystem& files = m_context.files;
    const auto attributes = files.GetFileAttributesA(entry.path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Result::repaired; // gone already: nothing to save, nothing to delete
    // Only the very file a walk of this scan found: not one put in its place since, and none
    // on a drive that was not walked.
    const std::optional<FileIdentity> now = files.fileIdentity(entry.path);
    if (!entry.identity || !now || !now->sameFile(*entry.identity))
        return Result::leftChanged;
    const bool broken = m_options.shortcutStillBroken ? m_options.shortcutStillBroken(entry.path)
                                                      : shortcutIsStillBroken(m_context, entry.path);
    if (!broken)
        return Result::leftPresent;
    if (m_backupsOn) {
        const std::string& path = m_context.model.CurrentBackupPath;
        if (WriteBackupRecord(files, m_context.settings, path, entry, nullptr, &m_backupState) == BackupWrite::failed)
            return Result::leftBackupFailed;
        outcome.backupPath = path;
    }
    if (!files.DeleteFileA(entry.path))
        return Result::failed;
    outcome.changes.push_back("deleted " + entry.path);
    return Result::repaired;
}

void RepairRun::shortcutPhase(RepairOutcome& outcome)
{
    ScanModel& model = m_context.model;
    ShortcutList left;
    for (std::size_t i = 1; i <= model.lvwShortcut.count(); ++i) {
        AdvanceDeleteProgress(model);
        const ShortcutEntry& entry = model.lvwShortcut.at(i);
        const Result result = repairShortcut(entry, outcome);
        count(result, outcome);
        if (result != Result::repaired && result != Result::skipped)
            left.append(entry);
        m_context.host.yield();
    }
    model.lvwShortcut = std::move(left);
}

void showFilesRepaired(ScanContext& context, const RepairOutcome& outcome)
{
    context.host.showMessageBox(MessageKind::FilesRepaired, FilesRepairedText(outcome));
}

std::string plural(int n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

} // namespace

void AdvanceDeleteProgress(ScanModel& model)
{
    model.ImgDeleteProgressInsideWidth += 5;
    if (model.ImgDeleteProgressInsideWidth >= model.ImgDeleteProgressWidth)
        model.ImgDeleteProgressInsideWidth = 1;
}

std::string FilesRepairedText(const RepairOutcome& outcome)
{
    if (outcome.refused)
        return "Nothing was repaired: " + outcome.refusal;
    if (outcome.left() == 0)
        return std::string(kAllRepairedText);
    std::string text = plural(outcome.repaired, "problem was", "problems were") + " repaired. Left as they were: ";
    std::vector<std::string> reasons;
    if (outcome.leftBackupFailed > 0)
        reasons.push_back(std::to_string(outcome.leftBackupFailed) + " because their backup could not be written");
    if (outcome.leftPresent > 0)
        reasons.push_back(std::to_string(outcome.leftPresent) + " because their file exists again");
    if (outcome.leftChanged > 0)
        reasons.push_back(std::to_string(outcome.leftChanged) +
                          " because the file is no longer the one the scan found");
    if (outcome.leftUnsaved > 0)
        reasons.push_back(std::to_string(outcome.leftUnsaved) + " because the registry could not be saved");
    if (outcome.failed > 0)
        reasons.push_back(std::to_string(outcome.failed) + " because they could not be removed");
    for (std::size_t i = 0; i < reasons.size(); ++i)
        text += (i == 0 ? "" : ", ") + reasons[i];
    return text + ".";
}

RepairOutcome RepairAll(ScanContext& context, const RepairOptions& options)
{
    RepairOutcome outcome;
    ScanModel& model = context.model;

    // One writer at a time: a second repair, a restore or a registry write of another process
    // waits, so that neither saves over the other's changes nor shares its shortcut copies.
    PrefixLockScope lock(context.registry.prefixLock());
    model.CurrentBackupPath = CurrentBackupPath(context.settings, context.files, context.clock.now());

    // A registry that cannot be saved would lose every change at the end while the shortcuts
    // were already gone: refuse before anything is touched.
    std::string why;
    if (!lock.held() || !context.registry.canWrite(&why)) {
        outcome.refused = true;
        outcome.refusal = !lock.held() ? lock.why() : why.empty() ? "the registry cannot be written now" : why;
        lock.release();
        showFilesRepaired(context, outcome);
        return outcome;
    }

    {
        FileOperationScope scope(context.files);
        const bool backupExisted = context.files.fileSize(model.CurrentBackupPath) >= 0;
        RepairRun run(context, options, BackupsSwitchedOn(context.settings));
        if (model.lvwErrors.count() > 0 && !model.lvwRegistryProblems.rows.empty())
            run.registryPhase(outcome);
        run.shortcutPhase(outcome);
        // A write that failed half-way may have left a file that holds no complete record.
        if (outcome.backupPath.empty() && !backupExisted && context.files.fileSize(model.CurrentBackupPath) >= 0)
            context.files.DeleteFileA(model.CurrentBackupPath);
    }
    lock.release();

    model.lvwRegistryErrorsDetail.rows.clear();
    model.lvwRegistryErrorsDetail.selectedRow = -1;
    model.lvwRegistryProblems.rows.clear();
    model.lvwRegistryProblems.selectedRow = -1;
    model.ScanCancelled = false;

    model.lvwRegistryProblemsVisible = true;
    model.lvwRegistryErrorsDetailVisible = true;
    model.lblDeletingCourrutpfilsVisible = false;
    model.ImgDeleteProgressVisible = false;
    model.ImgRepairNormalEnabled = true;
    model.ImgReturnNormalEnabled = true;

    showFilesRepaired(context, outcome);
    context.host.RefreshThePicControls();
    LoadlvwRegistryvaluesScanValues(context);
    ReturnToStartView(context);
    return outcome;
}

RepairOutcome ImgRepairMouseMove_Click(ScanContext& context, const RepairOptions& options)
{
    RepairOutcome outcome = RepairAll(context, options);
    if (!outcome.refused) {
        context.model.PicResultsVisible = false;
        context.model.PicScanningVisible = false;
    }
    return outcome;
}

} // namespace tessivar
