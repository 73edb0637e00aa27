#include "results/backup_manager.h"

#include <gtest/gtest.h>

#include "repair_fixture.h"
#include "results/backup_encoding.h"

namespace tessivar {
namespace {

using test::kBackupFolder;
using test::RepairFixture;

constexpr const char* kK = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\K";

std::string inFolder(const std::string& folder, const std::string& name)
{
    return folder + "\\" + name;
}

// A backup that puts one string value back into the App Paths key K.
std::string backupOf(const std::string& name)
{
    return EncodeBackupLine("R^HKEY_LOCAL_MACHINE^" + std::string(kK) + "^C:\\" + name + ".exe^" + name + "^") + "\r\n";
}

BackupListEntry* entryNamed(BackupManager& manager, const std::string& name)
{
    for (auto& entry : manager.lvwBackUp) {
        if (entry.Name == name)
            return &entry;
    }
    return nullptr;
}

TEST(BackupManager, ListsBackupFilesWithCellsCutFromTheirNames)
{
    RepairFixture f;
    f.files.addFile(inFolder(kBackupFolder, "BackUp 08-12-25 14-03-59"), std::string(213, 'x'));
    f.files.addFile(inFolder(kBackupFolder, "Backup Tool.lnk"), "link");
    f.files.addFile(inFolder(kBackupFolder, "x.lnk"), "copy");
    f.files.addFile(inFolder(kBackupFolder, "backup hidden"), "", FILE_ATTRIBUTE_HIDDEN);
    f.files.addFolder(inFolder(kBackupFolder, "BackUp folder"));
    BackupManager manager;
    LoadBackupManager(f.context, manager);

    ASSERT_EQ(manager.lvwBackUp.size(), 2u);
    const auto* backup = entryNamed(manager, "BackUp 08-12-25 14-03-59");
    ASSERT_NE(backup, nullptr);
    EXPECT_EQ(backup->Date, "08/12/25");
    EXPECT_EQ(backup->Time, "14:03:59");
    EXPECT_EQ(backup->Size, "213");
    const auto* tool = entryNamed(manager, "Backup Tool.lnk");
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->Date, "");
    EXPECT_EQ(tool->Time, "");
}

TEST(BackupManager, FolderComesFromTheSettingElseTheProgramFolder)
{
    RepairFixture f;
    f.files.addFile("C:\\Saved\\BackUp 01-01-26 00-00-01", "x");
    BackupManager manager;
    LoadBackupManager(f.context, manager);
    EXPECT_EQ(manager.folder, kBackupFolder);
    EXPECT_TRUE(manager.lvwBackUp.empty());

    f.backend.set("txtBackup", "C:\\Saved");
    LoadBackupManager(f.context, manager);
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    manager.lvwBackUp[0].checked = true;
    DeleteCheckedBackups(f.context, manager);
    EXPECT_FALSE(f.files.exists("C:\\Saved\\BackUp 01-01-26 00-00-01"));
}

TEST(BackupManager, RestoresAdjacentCheckedEntriesAndRemovesThem)
{
    RepairFixture f;
    f.files.addFile(inFolder(kBackupFolder, "BackUp 01-01-26 00-00-01"), backupOf("one"));
    f.files.addFile(inFolder(kBackupFolder, "BackUp 01-01-26 00-00-02"), backupOf("two"));
    f.files.addFile(inFolder(kBackupFolder, "BackUp 01-01-26 00-00-03"), backupOf("three"));
    BackupManager manager;
    LoadBackupManager(f.context, manager);
    ASSERT_EQ(manager.lvwBackUp.size(), 3u);
    for (auto& entry : manager.lvwBackUp)
        entry.checked = entry.Name != "BackUp 01-01-26 00-00-03";
    const auto results = RestoreCheckedBackups(f.context, manager);

    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].removed && results[1].removed);
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    EXPECT_TRUE(f.registry.valueExists(HKEY_LOCAL_MACHINE, kK, "one"));
    EXPECT_TRUE(f.registry.valueExists(HKEY_LOCAL_MACHINE, kK, "two"));
    EXPECT_FALSE(f.registry.valueExists(HKEY_LOCAL_MACHINE, kK, "three"));
    EXPECT_FALSE(f.files.exists(inFolder(kBackupFolder, "BackUp 01-01-26 00-00-01")));
}

TEST(BackupManager, RestoreThatCouldNotPutEverythingBackKeepsTheFile)
{
    RepairFixture f;
    const std::string name = "BackUp 01-01-26 00-00-01";
    f.files.addFile(inFolder(kBackupFolder, name),
                    backupOf("one") + EncodeBackupFields({"S", "C:\\gone\\x.lnk", "x.lnk"}) + "\r\n");
    f.files.addFile(inFolder(kBackupFolder, "x.lnk"), "copy");
    BackupManager manager;
    LoadBackupManager(f.context, manager);
    manager.lvwBackUp[0].checked = true;
    const auto results = RestoreCheckedBackups(f.context, manager);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].removed);
    EXPECT_EQ(results[0].restore.failed, 1);
    EXPECT_TRUE(f.files.exists(inFolder(kBackupFolder, name)));
    EXPECT_TRUE(f.files.exists(inFolder(kBackupFolder, "x.lnk")));
    EXPECT_EQ(manager.lvwBackUp.size(), 1u);
}

TEST(BackupManager, CheckedEntryWhoseFileIsGoneStaysChecked)
{
    RepairFixture f;
    f.files.addFile(inFolder(kBackupFolder, "BackUp 01-01-26 00-00-01"), backupOf("one"));
    BackupManager manager;
    LoadBackupManager(f.context, manager);
    manager.lvwBackUp[0].checked = true;
    f.files.remove(inFolder(kBackupFolder, "BackUp 01-01-26 00-00-01"));
    RestoreCheckedBackups(f.context, manager);
    DeleteCheckedBackups(f.context, manager);
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    EXPECT_TRUE(manager.lvwBackUp[0].checked);
}

TEST(BackupManager, DeleteAsksOncePerFileAndHonoursEachAnswer)
{
    RepairFixture f;
    f.files.addFile(inFolder(kBackupFolder, "BackUp 01-01-26 00-00-01"), backupOf("one"));
    f.files.addFile(inFolder(kBackupFolder, "BackUp 01-01-26 00-00-02"), backupOf("two"));
    f.files.addFile(inFolder(kBackupFolder, "x.lnk"), "copy");
    BackupManager manager;
    LoadBackupManager(f.context, manager);
    for (auto& entry : manager.lvwBackUp)
        entry.checked = true;
    const std::string first = manager.lvwBackUp[0].Name;
    const std::string second = manager.lvwBackUp[1].Name;
    f.host.queueAnswer(" yes ");
    f.host.queueAnswer("NO");
    DeleteCheckedBackups(f.context, manager);

    EXPECT_EQ(f.host.messageBoxKinds, (std::vector<std::string>{"DELETE BACKUP FILE", "DELETE BACKUP FILE"}));
    EXPECT_TRUE(f.model.MessageboxRequest.empty());
    EXPECT_FALSE(f.files.exists(inFolder(kBackupFolder, first)));
    EXPECT_TRUE(f.files.exists(inFolder(kBackupFolder, second)));
    EXPECT_TRUE(f.files.exists(inFolder(kBackupFolder, "x.lnk")));
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    EXPECT_EQ(manager.lvwBackUp[0].Name, second);
}

} // namespace
} // namespace tessivar
