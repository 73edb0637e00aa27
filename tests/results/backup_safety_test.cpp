// Backups that cannot hurt: copies never shared or confused with backups, nothing overwritten that
// the user made since, nothing written where no repair writes, and one writer at a time.

#include "repair_fixture.h"
#include "results/backup_encoding.h"
#include "results/backup_format.h"
#include "results/backup_manager.h"
#include "results/repair.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

using test::kBackupFolder;
using test::kBackupPath;
using test::RepairFixture;

constexpr const char* kAppPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe";

std::string inBackups(const std::string& name)
{
    return std::string(kBackupFolder) + "\\" + name;
}

std::vector<BackupFileResult> restoreNamed(RepairFixture& f, const std::string& name)
{
    BackupManager manager;
    LoadBackupManager(f.context, manager);
    for (auto& entry : manager.lvwBackUp)
        entry.checked = entry.Name == name;
    return RestoreCheckedBackups(f.context, manager);
}

TEST(BackupSafety, RepairPartialRestoreRepairRestoreLosesNoShortcut)
{
    RepairFixture f;
    f.addShortcut("C:\\A\\s.lnk", "bytes of A");
    f.addShortcut("C:\\C\\t.lnk", "bytes of T");
    RepairAll(f.context, f.options);
    const std::string first = FileNameOfPath(f.model.CurrentBackupPath);

    // The user made a new t.lnk meanwhile: the first restore keeps it and stays incomplete.
    f.files.addFile("C:\\C\\t.lnk", "the user's new file");
    auto results = restoreNamed(f, first);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].removed);
    EXPECT_EQ(f.files.content("C:\\C\\t.lnk"), "the user's new file");

    // A second repair, a second later, of another shortcut of the same name.
    f.clock.moment.second += 1;
    f.files.remove("C:\\A\\s.lnk");
    f.model.lvwShortcut.clear();
    f.addShortcut("C:\\B\\s.lnk", "bytes of B");
    RepairAll(f.context, f.options);
    const std::string second = FileNameOfPath(f.model.CurrentBackupPath);
    ASSERT_NE(first, second);

    f.files.remove("C:\\C\\t.lnk");
    EXPECT_TRUE(restoreNamed(f, first)[0].removed);
    EXPECT_TRUE(restoreNamed(f, second)[0].removed);
    EXPECT_EQ(f.files.content("C:\\A\\s.lnk"), "bytes of A");
    EXPECT_EQ(f.files.content("C:\\B\\s.lnk"), "bytes of B");
    EXPECT_EQ(f.files.content("C:\\C\\t.lnk"), "bytes of T");
}

struct HostileCopy {
    const char* what;
    const char* copyName; // "" for the backup's own name
};

class HostileCopyName : public ::testing::TestWithParam<HostileCopy> {};

TEST_P(HostileCopyName, IsRefusedAndNoBackupLeavesTheFolder)
{
    RepairFixture f;
    const std::string other = "BackUp 01-01-26 00-00-00";
    f.files.addFile(inBackups(other), "another backup");
    f.files.addFolder("C:\\x");
    const std::string own = FileNameOfPath(kBackupPath);
    const std::string copy = *GetParam().copyName ? GetParam().copyName : own;
    f.files.appendLine(kBackupPath, EncodeBackupFields({"S", "C:\\x\\a.lnk", copy}));

    const auto results = restoreNamed(f, own);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].removed) << GetParam().what;
    EXPECT_EQ(results[0].restore.failed, 1);
    EXPECT_FALSE(f.files.exists("C:\\x\\a.lnk"));
    EXPECT_TRUE(f.files.exists(inBackups(other)));
    EXPECT_TRUE(f.files.exists(kBackupPath));
}

INSTANTIATE_TEST_SUITE_P(Names, HostileCopyName,
                         ::testing::Values(HostileCopy{"another backup's file", "BackUp 01-01-26 00-00-00"},
                                           HostileCopy{"the backup itself", ""},
                                           HostileCopy{"any name holding the word", "my backup.lnk"}));

TEST(BackupSafety, CopyNamesAvoidTheBackupWordAndNamesOtherBackupsHold)
{
    RepairFixture f;
    // An older backup's record still names "s.lnk", although that copy is gone.
    f.files.appendLine(inBackups("BackUp 01-01-26 00-00-00"), EncodeBackupFields({"S", "C:\\Old\\s.lnk", "s.lnk"}));
    f.files.addFile("C:\\A\\s.lnk", "a");
    f.files.addFile("C:\\A\\Backup Tool.lnk", "b");
    std::string first;
    std::string second;
    ASSERT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, ShortcutEntry{"C:\\A\\s.lnk"}, &first),
              BackupWrite::written);
    ASSERT_EQ(WriteBackupRecord(f.files, f.settings, kBackupPath, ShortcutEntry{"C:\\A\\Backup Tool.lnk"}, &second),
              BackupWrite::written);
    EXPECT_EQ(first, "s (2).lnk");
    EXPECT_EQ(second, "Back-up Tool.lnk");
}

TEST(BackupSafety, MissingCopyMakesTheRestoreIncompleteAndKeepsTheBackup)
{
    RepairFixture f;
    f.files.addFolder("C:\\x");
    f.files.appendLine(kBackupPath, EncodeBackupFields({"S", "C:\\x\\gone.lnk", "gone.lnk"}));
    const auto results = restoreNamed(f, FileNameOfPath(kBackupPath));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].restore.skipped, 1);
    EXPECT_FALSE(results[0].removed);
    EXPECT_TRUE(f.files.exists(kBackupPath));
}

TEST(BackupSafety, NewFileAtTheShortcutsPlaceIsKept)
{
    RepairFixture f;
    f.files.addFile("C:\\x\\a.lnk", "made by the user since");
    f.files.addFile(inBackups("a.lnk"), "the old broken one");
    f.files.appendLine(kBackupPath, EncodeBackupFields({"S", "C:\\x\\a.lnk", "a.lnk"}));
    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(f.files.content("C:\\x\\a.lnk"), "made by the user since");
    EXPECT_TRUE(f.files.exists(inBackups("a.lnk")));
}

TEST(BackupSafety, OlderRecordCountsOnlyWhenItsWriteSucceeded)
{
    RepairFixture f;
    // A "Yes" record writes into an existing key only; this key is gone.
    f.files.appendLine(kBackupPath,
                       EncodeBackupLine(std::string("R^HKEY_LOCAL_MACHINE^") + kAppPath + "^C:\\w\\gone.exe^^Yes"));
    const auto results = restoreNamed(f, FileNameOfPath(kBackupPath));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].restore.restored, 0);
    EXPECT_EQ(results[0].restore.failed, 1);
    EXPECT_TRUE(f.files.exists(kBackupPath));
}

TEST(BackupSafety, RecordOutsideWhatARepairChangesIsRefused)
{
    RepairFixture f;
    const std::string environment = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    f.files.appendLine(kBackupPath, EncodeBackupLine("R^HKEY_LOCAL_MACHINE^" + environment + "^C:\\evil^PATH^"));
    f.files.appendLine(kBackupPath, EncodeBackupLine(std::string("R^HKEY_LOCAL_MACHINE^") + kAppPath + "^C:\\a.exe^^"));
    const auto outcome = RestoreBackupFile(f.context, kBackupPath);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(outcome.restored, 1);
    EXPECT_FALSE(f.registry.keyExists(HKEY_LOCAL_MACHINE, environment));
    EXPECT_TRUE(f.registry.valueExists(HKEY_LOCAL_MACHINE, kAppPath, ""));
}

TEST(BackupSafety, BackupWithoutACompleteRecordIsRemovedAfterAFailedRepair)
{
    RepairFixture f;
    f.registry.setString(HKEY_LOCAL_MACHINE, kAppPath, "", "C:\\Gone\\gone.exe");
    f.addProblem(HKEY_LOCAL_MACHINE, kAppPath, "", "C:\\Gone\\gone.exe");
    f.files.budget = 10; // the first record stops half-way
    const auto outcome = RepairAll(f.context, f.options);
    EXPECT_EQ(outcome.leftBackupFailed, 1);
    EXPECT_FALSE(f.files.exists(f.model.CurrentBackupPath));
    EXPECT_TRUE(f.registry.valueExists(HKEY_LOCAL_MACHINE, kAppPath, ""));
}

TEST(BackupSafety, EveryChangeWaitsForTheLockAndRefusesWithoutIt)
{
    RepairFixture f;
    f.registry.setString(HKEY_LOCAL_MACHINE, kAppPath, "", "C:\\Gone\\gone.exe");
    f.addProblem(HKEY_LOCAL_MACHINE, kAppPath, "", "C:\\Gone\\gone.exe");
    f.files.appendLine(kBackupPath, EncodeBackupLine(std::string("R^HKEY_LOCAL_MACHINE^") + kAppPath + "^C:\\a.exe^^"));
    const std::string busy = "Another Tessivar is changing the Wine prefix";
    f.registry.lock.heldElsewhere = busy;
    const auto before = f.registry.valueBytes(HKEY_LOCAL_MACHINE, kAppPath, "");

    const auto repair = RepairAll(f.context, f.options);
    EXPECT_TRUE(repair.refused);
    EXPECT_EQ(repair.refusal, busy);
    const auto restore = restoreNamed(f, FileNameOfPath(kBackupPath));
    ASSERT_EQ(restore.size(), 1u);
    EXPECT_TRUE(restore[0].restore.refused);
    BackupManager manager;
    LoadBackupManager(f.context, manager);
    manager.lvwBackUp[0].checked = true;
    const auto deleted = DeleteCheckedBackups(f.context, manager);
    EXPECT_EQ(deleted[0].refusal, busy);
    EXPECT_TRUE(f.files.exists(kBackupPath));
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, kAppPath, ""), before);

    f.registry.lock.heldElsewhere.clear();
    RepairAll(f.context, f.options);
    EXPECT_EQ(f.registry.lock.taken, 1);
    EXPECT_EQ(f.registry.lock.depth, 0);
}

} // namespace
} // namespace tessivar
