#include "cli/repair_command.h"
#include "results/repair_fixture.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tessivar {
namespace {

using test::RepairFixture;

constexpr const char* kGoneApp = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe";

TEST(RepairCommand, RefusesBeforeScanningWhenTheRegistryCannotBeWritten)
{
    RepairFixture f;
    f.registry.setString(HKEY_LOCAL_MACHINE, kGoneApp, "", "C:\\Gone\\gone.exe");
    f.registry.refuseWrites("Wine is running in this prefix");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunRepairCommand(f.context, {}, out, err), kRepairExitRefused);
    EXPECT_EQ(err.str(), "tessivar-cli repair: nothing changed: Wine is running in this prefix\n");
    EXPECT_EQ(out.str(), "");
}

TEST(RepairCommand, NothingFoundIsARefusal)
{
    RepairFixture f;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunRepairCommand(f.context, {"--all"}, out, err), kRepairExitNothing);
    EXPECT_EQ(err.str(), "tessivar-cli repair: the scan found nothing to repair\n");
}

TEST(RepairCommand, ScansRepairsAndNamesTheBackup)
{
    RepairFixture f;
    f.registry.setString(HKEY_LOCAL_MACHINE, kGoneApp, "", "C:\\Gone\\gone.exe");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunRepairCommand(f.context, {"--all"}, out, err), kRepairExitDone) << err.str();
    EXPECT_NE(out.str().find(std::string("emptied HKEY_LOCAL_MACHINE\\") + kGoneApp + " \"\"\n"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("backup: BackUp 09-03-24 14-05-07 in C:\\Program Files\\Tessivar\n"), std::string::npos);
    EXPECT_EQ(f.registry.valueBytes(HKEY_LOCAL_MACHINE, kGoneApp, ""), std::vector<std::uint8_t>{});
}

} // namespace
} // namespace tessivar
