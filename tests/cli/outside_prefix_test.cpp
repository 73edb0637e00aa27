// A prefix whose Z: is a host folder holding this prefix itself, another prefix and a checkout
// full of shortcut files, and whose D: is a second route to its own drive_c: the scan and the
// repair keep to the prefix's own shortcuts unless the user chose Z:.

#include "cli/cli_host.h"
#include "cli/repair_command.h"
#include "cli/scan_command.h"
#include "engine/scan_context.h"
#include "platform/wine/drives.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "settings/settings_store.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/shell_link_builder.h"
#include "support/temp_prefix.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tessivar {
namespace {

namespace fs = std::filesystem;

std::string brokenLink()
{
    test::LinkDesign design;
    design.idListPath = "C:\\gone\\gone.exe";
    return test::BuildShellLink(design);
}

class OutsidePrefix : public testing::Test {
  protected:
    OutsidePrefix()
    {
        const std::string registryHeader = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
        m_prefix.write("system.reg", registryHeader);
        m_prefix.write("drive_c/users/Public/Desktop/Old Game.lnk", brokenLink());
        m_prefix.link("d:", "../drive_c");
        // Z: is the folder that holds the prefix, as "/" holds every prefix.
        m_host = m_prefix.path().parent_path();
        m_prefix.link("z:", m_host.string());
        writeHostFile("other/system.reg", registryHeader);
        fs::create_directories(m_host / "other" / "dosdevices");
        writeHostFile("other/drive_c/users/Public/Desktop/Theirs.lnk", brokenLink());
        writeHostFile("checkout/.git/x.lnk", brokenLink());
        writeHostFile("checkout/tests/y.lnk", brokenLink());
        fs::create_directories(m_host / "saved");
    }

    void writeHostFile(const std::string& relative, const std::string& content)
    {
        const fs::path path = m_host / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    // The broken shortcuts a scan with `args` finds, in walk order, and the repair's exit code
    // when `repair` is set.
    std::vector<std::string> scan(std::vector<std::string> args, const std::string& storedZ = {}, bool repair = false)
    {
        wine::WineRegistry registry(m_prefix.path());
        wine::WineFileSystemOptions options;
        options.driveTypes = wine::driveTypeReaderFor(registry);
        options.wineFontFolder = fs::path();
        wine::WineFileSystem files(m_prefix.path(), options);
        test::FixedClock clock;
        CliHost host;
        test::MemorySettings backend;
        backend.set("txtBackup", "Z:\\saved");
        if (!storedZ.empty())
            backend.set("Window Shortcut Z", storedZ);
        SettingsStore settings{backend};
        ScanModel model;
        ScanContext context{registry, files, settings, clock, host, model};
        std::ostringstream out;
        std::ostringstream err;
        if (repair) {
            m_repairExit = RunRepairCommand(context, args, out, err);
        } else {
            args.push_back("--tsv");
            RunScanCommand(context, args, out, err);
        }
        std::vector<std::string> found;
        std::istringstream lines(out.str());
        for (std::string line; std::getline(lines, line);) {
            // A shortcut row: two empty fields, the path, the section.
            std::vector<std::string> fields;
            std::istringstream row(line);
            for (std::string field; std::getline(row, field, '\t');)
                fields.push_back(field);
            if (fields.size() > 3 && fields[3] == "Windows Shortcut")
                found.push_back(fields[2]);
        }
        return found;
    }

    test::TempPrefix m_prefix;
    fs::path m_host;
    int m_repairExit = -1;
};

TEST_F(OutsidePrefix, ScanOfAllFindsEachOwnShortcutOnceAndNothingOutside)
{
    EXPECT_EQ(scan({"--all"}), std::vector<std::string>{"C:\\users\\Public\\Desktop\\Old Game.lnk"});
}

// Ticking Z: or naming it walks the host folder, but neither the other prefix nor this one again.
TEST_F(OutsidePrefix, ChosenDriveOutsideIsWalkedWithoutOtherPrefixesOrSecondRoutes)
{
    const std::vector<std::string> expected{"C:\\users\\Public\\Desktop\\Old Game.lnk", "Z:\\checkout\\.git\\x.lnk",
                                            "Z:\\checkout\\tests\\y.lnk"};
    for (const auto& [args, storedZ] :
         {std::pair<std::vector<std::string>, std::string>{{"--all", "--drive", "Z"}, ""}, {{"--all"}, "True"}}) {
        std::vector<std::string> found = scan(args, storedZ);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected) << (storedZ.empty() ? "--drive Z" : "Z: ticked");
    }
}

TEST_F(OutsidePrefix, RepairLeavesEveryFileOutsideThePrefixWhenZWasNotWalked)
{
    scan({"--all"}, {}, true);
    EXPECT_EQ(m_repairExit, kRepairExitDone);
    EXPECT_FALSE(fs::exists(m_prefix.driveC() / "users" / "Public" / "Desktop" / "Old Game.lnk"));
    for (const char* kept :
         {"other/drive_c/users/Public/Desktop/Theirs.lnk", "checkout/.git/x.lnk", "checkout/tests/y.lnk"})
        EXPECT_TRUE(fs::exists(m_host / kept)) << kept;
    // The copy the repair saved is not found, backed up and deleted by the next one.
    ASSERT_FALSE(fs::is_empty(m_host / "saved"));
    EXPECT_EQ(scan({"--all", "--drive", "Z"}, {}).size(), 2u);
}

} // namespace
} // namespace tessivar
