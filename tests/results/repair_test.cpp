#include "repair_fixture.h"
#include "results/backup_format.h"
#include "results/repair.h"
#include "support/shell_link_builder.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

using test::kBackupFolder;
using test::kBackupPath;
using test::RepairFixture;

constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

std::string appKey(int n)
{
    return std::string(kAppPaths) + "\\app" + std::to_string(n) + ".exe";
}

// Three broken registry values and two broken shortcuts, all of them recorded by a scan.
void buildScene(RepairFixture& f)
{
    for (int n = 1; n <= 3; ++n) {
        f.registry.setString(HKEY_LOCAL_MACHINE, appKey(n), "Path", "C:\\gone" + std::to_string(n));
        f.addProblem(HKEY_LOCAL_MACHINE, appKey(n), "Path", "C:\\gone" + std::to_string(n));
    }
    f.addShortcut("C:\\users\\me\\Desktop\\x.lnk", "desktop link");
    f.addShortcut("C:\\users\\me\\Start Menu\\x.lnk", "menu link");
}

std::size_t remainingValues(RepairFixture& f)
{
    std::size_t n = 0;
    for (int i = 1; i <= 3; ++i)
        n += f.registry.valueExists(HKEY_LOCAL_MACHINE, appKey(i), "Path") ? 1 : 0;
    return n;
}

TEST(Repair, EmptyListsWriteNoBackupButStillReport)
{
    RepairFixture f;
    f.model.PicResultsVisible = true;
    const auto outcome = ImgRepairMouseMove_Click(f.context, f.options);
    EXPECT_EQ(outcome.repaired, 0);
    EXPECT_FALSE(f.files.exists(kBackupPath));
    EXPECT_EQ(f.host.messageBoxKinds, std::vector<std::string>{"FILES REPAIRED"});
    EXPECT_EQ(f.host.outcomeTexts, std::vector<std::string>{std::string(kAllRepairedText)});
    EXPECT_FALSE(f.model.PicResultsVisible);
    EXPECT_TRUE(f.model.FrameScanSettingShelidButtonVisible);
}

TEST(Repair, RecordsEveryChangeInOrderThenMakesIt)
{
    RepairFixture f;
    buildScene(f);
    f.model.ScanCancelled = true;
    const auto outcome = RepairAll(f.context, f.options);

    EXPECT_EQ(outcome.repaired, 5);
    EXPECT_EQ(outcome.left(), 0);
    EXPECT_EQ(outcome.backupPath, kBackupPath);
    const auto records = f.records();
    ASSERT_EQ(records.size(), 5u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(records[i][0], "R");
    EXPECT_EQ(records[3][0], "S");
    EXPECT_EQ(records[4][0], "S");
    EXPECT_EQ(f.files.content(std::string(kBackupFolder) + "\\x.lnk"), "desktop link");
    EXPECT_EQ(f.files.content(std::string(kBackupFolder) + "\\x (2).lnk"), "menu link");

    EXPECT_EQ(remainingValues(f), 0u);
    EXPECT_FALSE(f.files.exists("C:\\users\\me\\Desktop\\x.lnk"));
    EXPECT_EQ(f.model.lvwErrors.count(), 0u);
    EXPECT_EQ(f.model.lvwShortcut.count(), 0u);
    EXPECT_TRUE(f.model.lvwRegistryProblems.rows.empty());
    EXPECT_FALSE(f.model.ScanCancelled);
    EXPECT_FALSE(f.model.ImgDeleteProgressVisible);
    EXPECT_TRUE(f.model.ImgRepairNormalEnabled);
    EXPECT_EQ(f.registry.saveCount(), 1u); // one batch for the whole run
}

TEST(Repair, RestoringTheRunGivesEverythingBack)
{
    RepairFixture f;
    buildScene(f);
    f.registry.setMultiString(HKEY_LOCAL_MACHINE, appKey(1), "Multi", {"C:\\gone", "b"});
    f.addProblem(HKEY_LOCAL_MACHINE, appKey(1), "Multi", "C:\\gone");
    const auto before = f.registry.valueBytes(HKEY_LOCAL_MACHINE, appKey(1), "Multi");
    RepairAll(f.context, f.options);
    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_TRUE(outcome.complete());
    EXPECT_EQ(remainingValues(f), 3u);
    EXPECT_EQ(f.registry.valueType(HKEY_LOCAL_MACHINE, appKey(1), "Multi"), REG_MULTI_SZ);
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, appKey(1), "Multi"), before);
    EXPECT_EQ(f.files.content("C:\\users\\me\\Desktop\\x.lnk"), "desktop link");
    EXPECT_EQ(f.files.content("C:\\users\\me\\Start Menu\\x.lnk"), "menu link");
}

TEST(Repair, DefaultValueIsEmptiedAndALiteralOneDeletedBothBackedUp)
{
    RepairFixture f;
    f.registry.setString(HKEY_LOCAL_MACHINE, appKey(1), "", "C:\\gone.exe");
    f.registry.setDword(HKEY_LOCAL_MACHINE, appKey(1), "(Default)", 7);
    f.addProblem(HKEY_LOCAL_MACHINE, appKey(1), "", "C:\\gone.exe");
    const auto unnamed = f.registry.valueBytes(HKEY_LOCAL_MACHINE, appKey(1), "");
    RepairAll(f.context, f.options);

    EXPECT_EQ(f.registry.valueType(HKEY_LOCAL_MACHINE, appKey(1), ""), REG_SZ);
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, appKey(1), ""), std::vector<std::uint8_t>{});
    EXPECT_FALSE(f.registry.valueExists(HKEY_LOCAL_MACHINE, appKey(1), "(Default)"));
    ASSERT_EQ(f.records().size(), 2u);

    EXPECT_TRUE(RestoreBackupFile(f.context, kBackupPath).complete());
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, appKey(1), ""), unnamed);
    EXPECT_EQ(f.registry.valueType(HKEY_LOCAL_MACHINE, appKey(1), "(Default)"), REG_DWORD);
}

TEST(Repair, DefaultValueGoneSinceTheScanIsNotMadeUp)
{
    RepairFixture f;
    f.registry.makeKey(HKEY_LOCAL_MACHINE, appKey(1));
    f.addProblem(HKEY_LOCAL_MACHINE, appKey(1), "", "C:\\gone.exe");
    RepairAll(f.context, f.options);
    EXPECT_FALSE(f.registry.valueExists(HKEY_LOCAL_MACHINE, appKey(1), ""));
    EXPECT_TRUE(RestoreBackupFile(f.context, kBackupPath).complete());
    EXPECT_FALSE(f.registry.valueExists(HKEY_LOCAL_MACHINE, appKey(1), ""));
}

TEST(Repair, SameValueFoundTwiceIsRecordedAbsentTheSecondTime)
{
    RepairFixture f;
    f.registry.setString(HKEY_LOCAL_MACHINE, appKey(1), "Path", "C:\\gone");
    f.addProblem(HKEY_LOCAL_MACHINE, appKey(1), "Path", "C:\\gone");
    f.addProblem(HKEY_LOCAL_MACHINE, appKey(1), "Path", "C:\\gone");
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.repaired, 2);
    const auto records = f.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1][7], "absent");
    EXPECT_TRUE(RestoreBackupFile(f.context, kBackupPath).complete());
    EXPECT_EQ(f.registry.valueText(HKEY_LOCAL_MACHINE, appKey(1), "Path"), std::string("C:\\gone", 7) + '\0');
}

TEST(Repair, KeyDeletedSinceTheScanStillGetsItsRecord)
{
    RepairFixture f;
    f.addProblem(HKEY_LOCAL_MACHINE, appKey(9), "Path", "C:\\gone");
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.repaired, 1);
    EXPECT_EQ(f.records().size(), 1u);
}

TEST(Repair, SwitchedOffBackupsChangeWithoutRecords)
{
    RepairFixture f;
    buildScene(f);
    f.backend.set("chkMakeBackUp", "0");
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.repaired, 5);
    EXPECT_EQ(remainingValues(f), 0u);
    EXPECT_FALSE(f.files.exists(kBackupPath));
    EXPECT_FALSE(f.files.exists(std::string(kBackupFolder) + "\\x.lnk"));
}

TEST(Repair, EntryWhoseFileCameBackIsLeftAlone)
{
    RepairFixture f;
    buildScene(f);
    f.files.addFile("C:\\gone2");
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.leftPresent, 1);
    EXPECT_EQ(outcome.repaired, 4);
    EXPECT_TRUE(f.registry.valueExists(HKEY_LOCAL_MACHINE, appKey(2), "Path"));
    ASSERT_EQ(f.model.lvwErrors.count(), 1u);
    EXPECT_EQ(f.model.lvwErrors.at(1).FullKeyPath, appKey(2));
    EXPECT_NE(f.host.outcomeTexts.back().find("1 because their file exists again"), std::string::npos);
}

TEST(Repair, ShortcutThatWorksAgainIsLeftAlone)
{
    RepairFixture f;
    buildScene(f);
    f.options.shortcutStillBroken = [](const std::string& path) { return path.find("Desktop") == std::string::npos; };
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.leftPresent, 1);
    EXPECT_TRUE(f.files.exists("C:\\users\\me\\Desktop\\x.lnk"));
    EXPECT_FALSE(f.files.exists("C:\\users\\me\\Start Menu\\x.lnk"));
    EXPECT_EQ(f.model.lvwShortcut.count(), 1u);
}

// Only the file a walk of the scan found is deleted: not one written in its place since, nor a
// row no walk of this scan made.
TEST(Repair, ShortcutThatIsNotTheFileTheWalkFoundIsLeftAlone)
{
    RepairFixture f;
    f.addShortcut("C:\\a\\replaced.lnk", "old link");
    f.files.addFile("C:\\a\\replaced.lnk", "another file now");
    f.files.addFile("C:\\a\\unwalked.lnk", "link");
    f.model.lvwShortcut.append(ShortcutEntry{"C:\\a\\unwalked.lnk"});
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.leftChanged, 2);
    EXPECT_EQ(f.files.content("C:\\a\\replaced.lnk"), "another file now");
    EXPECT_TRUE(f.files.exists("C:\\a\\unwalked.lnk"));
    EXPECT_NE(FilesRepairedText(outcome).find("2 because the file is no longer the one the scan found"),
              std::string::npos);
}

TEST(Repair, ShortcutIsCheckedAgainAsTheScanChecksIt)
{
    RepairFixture f;
    f.options = RepairOptions{};
    test::LinkDesign toGone;
    toGone.localBasePath = "C:\\Gone\\app.exe";
    test::LinkDesign toThere;
    toThere.localBasePath = "C:\\windows\\system32\\there.exe";
    f.files.addFile("C:\\windows\\system32\\there.exe", "program");
    f.addShortcut("C:\\a\\gone.lnk", test::BuildShellLink(toGone));
    f.addShortcut("C:\\a\\there.lnk", test::BuildShellLink(toThere));
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.repaired, 1);
    EXPECT_EQ(outcome.leftPresent, 1);
    EXPECT_FALSE(f.files.exists("C:\\a\\gone.lnk"));
    EXPECT_TRUE(f.files.exists("C:\\a\\there.lnk"));
}

TEST(Repair, UnwritableBackupFolderLeavesEveryEntryInPlace)
{
    RepairFixture f;
    buildScene(f);
    f.files.makeWriteFail(kBackupFolder);
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.repaired, 0);
    EXPECT_EQ(outcome.leftBackupFailed, 5);
    EXPECT_EQ(remainingValues(f), 3u);
    EXPECT_TRUE(f.files.exists("C:\\users\\me\\Desktop\\x.lnk"));
    EXPECT_TRUE(f.files.exists("C:\\users\\me\\Start Menu\\x.lnk"));
    EXPECT_EQ(f.model.lvwErrors.count(), 3u);
    EXPECT_EQ(f.model.lvwShortcut.count(), 2u);
    EXPECT_EQ(f.host.outcomeTexts.back(),
              "0 problems were repaired. Left as they were: 5 because their backup could not be written.");
}

// Whatever moment the disk fills up, every change made has its record (and copy) on disk.
TEST(Repair, DiskFillingUpAtAnyPointNeverLosesAChange)
{
    RepairFixture measured;
    buildScene(measured);
    RepairAll(measured.context, measured.options);
    const auto fullSize = measured.files.fileSize(kBackupPath) + 100;

    for (std::int64_t budget = 0; budget <= fullSize; budget += 7) {
        RepairFixture f;
        buildScene(f);
        f.files.budget = budget;
        const auto outcome = RepairAll(f.context, f.options);
        f.files.budget = -1;
        const auto restored = RestoreBackupFile(f.context, kBackupPath);
        EXPECT_EQ(remainingValues(f), 3u) << "budget " << budget;
        EXPECT_EQ(f.files.content("C:\\users\\me\\Desktop\\x.lnk"), "desktop link") << "budget " << budget;
        EXPECT_EQ(f.files.content("C:\\users\\me\\Start Menu\\x.lnk"), "menu link") << "budget " << budget;
        EXPECT_EQ(outcome.repaired + outcome.leftBackupFailed, 5) << "budget " << budget;
        EXPECT_EQ(f.model.lvwErrors.count() + f.model.lvwShortcut.count(),
                  static_cast<std::size_t>(outcome.leftBackupFailed));
        (void)restored;
    }
}

TEST(Repair, RefusesBeforeChangingAnythingWhenTheRegistryCannotBeSaved)
{
    RepairFixture f;
    buildScene(f);
    f.registry.refuseWrites("Wine is running in this prefix");
    f.model.PicResultsVisible = true;
    const auto outcome = ImgRepairMouseMove_Click(f.context, f.options);
    EXPECT_TRUE(outcome.refused);
    EXPECT_EQ(remainingValues(f), 3u);
    EXPECT_TRUE(f.files.exists("C:\\users\\me\\Desktop\\x.lnk"));
    EXPECT_FALSE(f.files.exists(kBackupPath));
    EXPECT_EQ(f.model.lvwErrors.count(), 3u);
    EXPECT_EQ(f.host.outcomeTexts.back(), "Nothing was repaired: Wine is running in this prefix");
    EXPECT_TRUE(f.model.PicResultsVisible);
}

TEST(Repair, FailedSaveCountsRegistryChangesAsLeft)
{
    RepairFixture f;
    buildScene(f);
    f.registry.failSaves("disk full");
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.leftUnsaved, 3);
    EXPECT_EQ(outcome.repaired, 2);
    EXPECT_EQ(f.model.lvwErrors.count(), 3u);
    EXPECT_NE(f.host.outcomeTexts.back().find("3 because the registry could not be saved"), std::string::npos);
}

TEST(Repair, ReadOnlyShortcutIsCountedAsNotRemoved)
{
    RepairFixture f;
    f.addShortcut("C:\\a\\x.lnk", "link");
    f.files.makeWriteFail("C:\\a");
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(f.model.lvwShortcut.count(), 1u);
}

TEST(Repair, OnlyShortcutsShowNoProgress)
{
    RepairFixture f;
    f.addShortcut("C:\\a\\x.lnk", "link");
    bool progressSeen = false;
    f.host.onEveryYield([&] { progressSeen = progressSeen || f.model.ImgDeleteProgressVisible; });
    RepairAll(f.context, f.options);
    EXPECT_FALSE(progressSeen);
    EXPECT_FALSE(f.files.exists("C:\\a\\x.lnk"));
}

TEST(Repair, ProgressBarWrapsAtTheBoxWidth)
{
    ScanModel model;
    model.ImgDeleteProgressWidth = 12;
    model.ImgDeleteProgressInsideWidth = 5;
    AdvanceDeleteProgress(model);
    EXPECT_EQ(model.ImgDeleteProgressInsideWidth, 10);
    AdvanceDeleteProgress(model);
    EXPECT_EQ(model.ImgDeleteProgressInsideWidth, 1);
}

TEST(Repair, SecondRunInTheSameSecondAppendsToTheSameFile)
{
    RepairFixture f;
    f.registry.setString(HKEY_LOCAL_MACHINE, appKey(1), "Path", "C:\\gone");
    f.addProblem(HKEY_LOCAL_MACHINE, appKey(1), "Path", "C:\\gone");
    RepairAll(f.context, f.options);
    f.registry.setString(HKEY_LOCAL_MACHINE, appKey(1), "Path", "C:\\gone");
    f.addProblem(HKEY_LOCAL_MACHINE, appKey(1), "Path", "C:\\gone");
    RepairAll(f.context, f.options);
    EXPECT_EQ(f.records().size(), 2u);
}

} // namespace
} // namespace tessivar
