#include "cli/cli_host.h"
#include "cli/scan_command.h"
#include "engine/scan_context.h"
#include "settings/settings_store.h"
#include "support/fake_file_system.h"
#include "support/fake_registry.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tessivar {
namespace {

constexpr const char* kHelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";
constexpr const char* kVxdKey = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";

struct ScanCommandTest : ::testing::Test {
    test::FakeRegistry registry;
    test::FakeFileSystem files;
    test::FixedClock clock;
    CliHost host;
    test::MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    std::ostringstream out;
    std::ostringstream err;

    ScanCommandOutcome run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return RunScanCommand(context, args, out, err);
    }
};

TEST_F(ScanCommandTest, UnknownArgumentIsAUsageErrorAndScansNothing)
{
    const auto outcome = run({"--everything"});
    EXPECT_EQ(outcome.exitCode, kScanExitError);
    EXPECT_NE(err.str().find("usage: tessivar-cli scan [--all] [--drive LETTER]... [--tsv]"), std::string::npos);
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(backend.writes.empty());
}

TEST_F(ScanCommandTest, CleanMachineExitsZeroAndPrintsTheTotal)
{
    const auto outcome = run({});
    EXPECT_EQ(outcome.exitCode, kScanExitClean);
    EXPECT_EQ(out.str(), "Total numbers of problems detected : 0\n");
    EXPECT_EQ(outcome.reportPath, "");
}

TEST_F(ScanCommandTest, AllChecksAndStoresEverySectionFirst)
{
    for (const char* key : {"Help Files", "Virtual Devices", "Window Shortcut C"})
        backend.set(key, "False");
    run({"--all"});
    EXPECT_EQ(backend.get("chkSelectlistviewItems"), "1");
    for (const char* key :
         {"Registry Integrity", "Help Files", "Virtual Devices", "Configuration files", "Window Shortcut C"})
        EXPECT_EQ(backend.get(key), "True") << key;
    for (const SectionListEntry& entry : model.lvwRegistryvaluesScan)
        EXPECT_TRUE(entry.checked) << entry.ListText;
}

TEST_F(ScanCommandTest, WithoutAllOnlyTheStoredChoicesAreScannedAndNothingIsStored)
{
    backend.set("Help Files", "False");
    registry.setString(HKEY_LOCAL_MACHINE, kHelpKey, "gone.hlp", "C:\\gone\\gone.hlp");
    const auto outcome = run({});
    EXPECT_EQ(outcome.exitCode, kScanExitClean);
    EXPECT_TRUE(backend.writes.empty());
}

TEST_F(ScanCommandTest, ReportPathIsGivenOnlyWhenAReportWasWritten)
{
    backend.set("chkMakeLogFile", "1");
    auto outcome = run({});
    EXPECT_EQ(outcome.reportPath, "C:\\Program Files\\Tessivar\\ScanReport.txt");
    EXPECT_TRUE(files.exists(outcome.reportPath));

    backend.set("txtLogFile", "C:\\missing folder");
    outcome = run({});
    EXPECT_EQ(outcome.reportPath, "");
}

TEST_F(ScanCommandTest, SummaryRowsAreFollowedByTheirDetails)
{
    registry.setString(HKEY_LOCAL_MACHINE, kHelpKey, "gone.hlp", "C:\\gone");
    registry.setString(HKEY_LOCAL_MACHINE, kVxdKey, "dev", "C:\\windows\\system32\\gone.vxd");
    registry.setString(HKEY_LOCAL_MACHINE, kVxdKey, "dev2", "C:\\windows\\system32\\gone2.vxd");
    const auto outcome = run({"--all"});
    EXPECT_EQ(outcome.exitCode, kScanExitProblems);
    EXPECT_EQ(out.str(), "Invalid Help Files ( 1 Problem(s) )\n"
                         "  This file could not be found on your hard drive:C:\\gone\\gone.hlp\n"
                         "Invalid Virtual Devices ( 2 Problem(s) )\n"
                         "  This file could not be found on your hard drive:C:\\windows\\system32\\gone.vxd\n"
                         "  This file could not be found on your hard drive:C:\\windows\\system32\\gone2.vxd\n"
                         "Total numbers of problems detected : 3\n");
}

TEST_F(ScanCommandTest, TsvGivesTheSevenFieldsWithControlCharactersBlanked)
{
    registry.setString(HKEY_LOCAL_MACHINE, kVxdKey, "tab\there\nand line", "C:\\gone dir\\gone.vxd");
    const auto outcome = run({"--all", "--tsv"});
    EXPECT_EQ(outcome.exitCode, kScanExitProblems);
    EXPECT_EQ(out.str(), "MainKey\tKeyName\tKeyValue\tRegistry Scanners\tFullKeyPath\tmainkeyname\tDefaultOrNot\n"
                         "-2147483646\ttab here and line\tC:\\gone dir\\gone.vxd\tVxD Section\t" +
                             std::string(kVxdKey) + "\tHKEY_LOCAL_MACHINE\t\n");
}

} // namespace
} // namespace tessivar
