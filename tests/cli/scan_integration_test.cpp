// The whole scan on real registry files and a real drive_c: a prefix written by the tests with a
// known answer, and a fresh prefix made by Wine itself, which must raise no false alarm.

#include "cli/cli_host.h"
#include "cli/crafted_prefix.h"
#include "cli/scan_command.h"
#include "engine/scan_context.h"
#include "platform/wine/drives.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "settings/settings_store.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/temp_dir.h"
#include "support/temp_prefix.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sstream>
#include <sys/wait.h>

namespace tessivar {
namespace {

namespace fs = std::filesystem;

// A scan of one prefix through the back-ends the command line uses, with settings in memory.
struct PrefixScan {
    explicit PrefixScan(const fs::path& prefix) : registry(prefix), files(prefix, optionsFor(registry)) {}
    static wine::WineFileSystemOptions optionsFor(Registry& registry)
    {
        wine::WineFileSystemOptions options;
        options.driveTypes = wine::driveTypeReaderFor(registry);
        return options;
    }

    // The rows `scan --tsv` prints, header left out.
    std::vector<std::string> run(std::vector<std::string> args)
    {
        std::ostringstream out;
        std::ostringstream err;
        args.push_back("--tsv");
        outcome = RunScanCommand(context, args, out, err);
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        if (!lines.empty())
            lines.erase(lines.begin());
        return lines;
    }

    wine::WineRegistry registry;
    wine::WineFileSystem files;
    test::FixedClock clock;
    CliHost host;
    test::MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    ScanCommandOutcome outcome;
};

TEST(CraftedPrefix, ScanFindsExactlyTheMissingFilesInScanOrder)
{
    test::TempPrefix prefix;
    // Drive Z: (the whole Unix tree) would make the shortcut walk visit the machine.
    fs::remove(prefix.path() / "dosdevices" / "z:");
    const std::vector<test::ExpectedRow> expected = test::writeCraftedPrefix(prefix.path());

    PrefixScan scan(prefix.path());
    const std::vector<std::string> rows = scan.run({"--all"});

    EXPECT_EQ(scan.outcome.exitCode, kScanExitProblems);
    const std::size_t common = std::min(rows.size(), expected.size());
    for (std::size_t i = 0; i < common; ++i)
        EXPECT_EQ(rows[i], expected[i].tsvLine()) << "row " << i + 1 << ": " << expected[i].why;
    for (std::size_t i = common; i < rows.size(); ++i)
        ADD_FAILURE() << "unexpected row " << i + 1 << ": " << rows[i];
    for (std::size_t i = common; i < expected.size(); ++i)
        ADD_FAILURE() << "missing row " << i + 1 << ": " << expected[i].tsvLine() << " (" << expected[i].why << ")";
    if (HasFailure()) {
        std::string all;
        for (const std::string& row : rows)
            all += row + "\n";
        ADD_FAILURE() << "the scan found:\n" << all;
    }
}

// The program itself, as run.sh runs it: settings in a fresh config folder, the report asked for.
TEST(CraftedPrefix, CommandLineScanPrintsTheSummaryAndSaysWhereTheReportIs)
{
    test::TempPrefix prefix;
    fs::remove(prefix.path() / "dosdevices" / "z:");
    const auto expected = test::writeCraftedPrefix(prefix.path());
    const fs::path home = prefix.outside();
    fs::create_directories(home / "config" / "tessivar");
    std::ofstream(home / "config" / "tessivar" / "settings.ini") << "[Tessivar v4.0/Settings]\nchkMakeLogFile=1\n";

    const auto run = [&](const std::string& args) {
        const std::string command = "WINEPREFIX='" + prefix.path().string() + "' XDG_CONFIG_HOME='" +
                                    (home / "config").string() + "' XDG_DATA_HOME='" + (home / "data").string() +
                                    "' '" TESSIVAR_CLI "' scan " + args + " >'" + (home / "out").string() + "' 2>'" +
                                    (home / "err").string() + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const auto read = [&](const char* name) {
        std::ifstream in(home / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };

    EXPECT_EQ(run("--all"), kScanExitProblems);
    const std::string out = read("out");
    EXPECT_EQ(out.rfind("Invalid Custom Controls ( 6 Problem(s) )\n", 0), 0u) << out;
    EXPECT_NE(out.find("Total numbers of problems detected : " + std::to_string(expected.size()) + "\n"),
              std::string::npos)
        << out;
    const fs::path report = home / "data" / "tessivar" / "ScanReport.txt";
    EXPECT_TRUE(fs::exists(report));
    EXPECT_NE(read("err").find("scan report"), std::string::npos) << read("err");
    EXPECT_NE(read("err").find(report.string()), std::string::npos) << read("err");

    EXPECT_EQ(run("--bogus"), kScanExitError);
    EXPECT_NE(read("err").find("usage: tessivar-cli scan [--all] [--drive LETTER]... [--tsv]"), std::string::npos);
}

// What a fresh 64-bit prefix really lacks, found by a scan of one and checked by hand: the file is
// in neither drive_c nor Wine's own data folders. Wine registers a few 16-bit COM servers under
// the "InprocServer" key (not "InprocServer32"), and a prefix made by 64-bit Wine holds no 16-bit
// modules, so these registrations really dangle. Each class gives one row per CLSID section.
struct KnownAbsence {
    const char* clsid;
    const char* file;
    const char* why;
};
const KnownAbsence kFreshPrefixAbsences[] = {
    {"{00020000-0000-0000-C000-000000000046}", "avifile.dll", "16-bit AVI file class; only avifil32.dll ships"},
    {"{00020001-0000-0000-C000-000000000046}", "avifile.dll", "16-bit AVI stream class"},
    {"{00020003-0000-0000-C000-000000000046}", "avifile.dll", "16-bit AVI class"},
    {"{0002000D-0000-0000-C000-000000000046}", "avifile.dll", "16-bit AVI class"},
    {"{0002000F-0000-0000-C000-000000000046}", "avifile.dll", "16-bit AVI class"},
    {"{00020420-0000-0000-C000-000000000046}", "ole2disp.dll", "16-bit OLE automation; only oleaut32.dll ships"},
    {"{00020421-0000-0000-C000-000000000046}", "ole2disp.dll", "16-bit OLE automation"},
    {"{00020422-0000-0000-C000-000000000046}", "ole2disp.dll", "16-bit OLE automation"},
    {"{00020423-0000-0000-C000-000000000046}", "ole2disp.dll", "16-bit OLE automation"},
    {"{00020424-0000-0000-C000-000000000046}", "ole2disp.dll", "16-bit OLE automation"},
    {"{00020425-0000-0000-C000-000000000046}", "ole2disp.dll", "16-bit OLE automation"},
    {"{DF0B3D60-548F-101B-8E65-08002B2BD119}", "ole2disp.dll", "16-bit OLE automation"},
};

TEST(FreshPrefix, ScanRecordsOnlyFilesThatAreReallyAbsent)
{
    const auto source = test::testWinePrefix();
    if (!source)
        GTEST_SKIP() << "TESSIVAR_TEST_WINEPREFIX is not set: no Wine prefix to scan";
    // The registry files are copied; drive C: is the original's, only read (no report is asked
    // for, and a scan writes nothing else).
    test::TempDir dir;
    const fs::path prefix = dir.path() / "prefix";
    fs::create_directories(prefix / "dosdevices");
    for (const char* file : {"system.reg", "user.reg", "userdef.reg"})
        fs::copy_file(*source / file, prefix / file);
    fs::create_directory_symlink(fs::canonical(*source / "drive_c"), prefix / "dosdevices" / "c:");

    PrefixScan scan(prefix);
    const std::vector<std::string> rows = scan.run({"--all"});

    std::vector<std::string> expected;
    for (const auto& [hive, mainKey, scanner, keyPrefix] :
         {std::tuple{"HKEY_CLASSES_ROOT", "-2147483648", "ActiveX \\ COM", "CLSID\\"},
          std::tuple{"HKEY_LOCAL_MACHINE", "-2147483646", "ActiveX \\ COM Subsections",
                     "SOFTWARE\\Classes\\CLSID\\"}}) {
        for (const KnownAbsence& absence : kFreshPrefixAbsences) {
            expected.push_back(std::string(mainKey) + "\t(Default)\tC:\\windows\\system32\\" + absence.file + "\t" +
                               scanner + "\t" + keyPrefix + absence.clsid + "\\InprocServer\t" + hive + "\tYes");
        }
    }
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(scan.outcome.exitCode, kScanExitProblems);
}

} // namespace
} // namespace tessivar
