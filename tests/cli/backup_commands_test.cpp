#include "cli/backup_commands.h"
#include "results/backup_encoding.h"
#include "results/repair_fixture.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tessivar {
namespace {

constexpr const char* kK = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\K";

using test::kBackupFolder;
using test::RepairFixture;

constexpr const char* kFirst = "BackUp 01-01-26 00-00-01";
constexpr const char* kSecond = "BackUp 01-01-26 00-00-02";

void addBackups(RepairFixture& f)
{
    for (const char* name : {kFirst, kSecond}) {
        f.files.addFile(std::string(kBackupFolder) + "\\" + name,
                        EncodeBackupLine(std::string("R^HKEY_LOCAL_MACHINE^") + kK + "^C:\\a.exe^" + name + "^") +
                            "\r\n");
    }
}

bool exists(RepairFixture& f, const char* name)
{
    return f.files.exists(std::string(kBackupFolder) + "\\" + name);
}

TEST(BackupCommands, BackupsPrintsTheManagersList)
{
    RepairFixture f;
    addBackups(f);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunBackupsCommand(f.context, {}, out, err), kBackupExitDone);
    EXPECT_EQ(out.str(), "Name\tDate\tTime\tSize ( Bytes )\n"
                         "BackUp 01-01-26 00-00-01\t01/01/26\t00:00:01\t111\n"
                         "BackUp 01-01-26 00-00-02\t01/01/26\t00:00:02\t111\n");
}

TEST(BackupCommands, UnknownNameRefusesBeforeRestoringAnything)
{
    RepairFixture f;
    addBackups(f);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunRestoreCommand(f.context, {kFirst, "BackUp nope"}, out, err), kBackupExitRefused);
    EXPECT_EQ(err.str(),
              std::string("tessivar-cli restore: no backup named \"BackUp nope\" in ") + kBackupFolder + "\n");
    EXPECT_TRUE(exists(f, kFirst));
    EXPECT_EQ(f.registry.changeCount(), 0u);
}

TEST(BackupCommands, RestorePutsBackAndDeletesOrRefusesWhenWineRuns)
{
    RepairFixture f;
    addBackups(f);
    std::ostringstream out;
    std::ostringstream err;
    f.registry.refuseWrites("Wine is running in this prefix");
    EXPECT_EQ(RunRestoreCommand(f.context, {kFirst}, out, err), kBackupExitRefused);
    EXPECT_EQ(err.str(), "tessivar-cli restore: nothing restored: Wine is running in this prefix\n");
    f.registry.allowWrites();
    EXPECT_EQ(RunRestoreCommand(f.context, {kFirst}, out, err), kBackupExitDone);
    EXPECT_TRUE(f.registry.valueExists(HKEY_LOCAL_MACHINE, kK, kFirst));
    EXPECT_FALSE(exists(f, kFirst));
    EXPECT_TRUE(exists(f, kSecond));
}

TEST(BackupCommands, DeleteAsksPerFileUnlessToldYes)
{
    RepairFixture f;
    addBackups(f);
    std::istringstream in("y\nn\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunDeleteBackupCommand(f.context, {kFirst, kSecond}, in, out, err), kBackupExitDone);
    EXPECT_FALSE(exists(f, kFirst));
    EXPECT_TRUE(exists(f, kSecond));
    EXPECT_NE(out.str().find(std::string("? ") + kSecond + " [y/N]"), std::string::npos);

    std::istringstream none;
    EXPECT_EQ(RunDeleteBackupCommand(f.context, {"--yes", kSecond}, none, out, err), kBackupExitDone);
    EXPECT_FALSE(exists(f, kSecond));
}

} // namespace
} // namespace tessivar
