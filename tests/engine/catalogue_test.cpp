#include "engine/catalogue.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

struct Expected {
    const char* listText;
    const char* statusText;
    const char* scannerName;
    bool counted;
};

// The status texts' blanks and dots are part of the program's look and of the walker's rule for
// the configuration section; every character is checked.
constexpr Expected kExpected[] = {
    {"Registry Integrity", "Registry Integrity", "", false},
    {"Custom Controls", " Custom Controls....", "ActiveX \\ COM", true},
    {"Sub Section Controls", " Sub Section Controls....", "ActiveX \\ COM Subsections", true},
    {"Software Locations", " Software Locations....", "Application Paths", true},
    {"Help Files", "Help Files", "Help Files", true},
    {"Shared Files", " Shared files....", "Microsoft Shared", true},
    {"Windows Startup", "Windows Startup", "Windows Startup", true},
    {"Uninstall Section", " Uninstall files...", "Uninstall Section", true},
    {"Virtual Devices", " Virtual Devices...", "VxD Section", true},
    {"Windows Fonts", " Windows fonts...", "Windows Fonts", true},
    {"Configuration files", " Configuration files...", "Application Paths", false},
};

TEST(Catalogue, FixedSectionsInScanOrderWithExactTexts)
{
    const auto& sections = FixedScanSections();
    ASSERT_EQ(sections.size(), kFixedSectionCount);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        SCOPED_TRACE(kExpected[i].listText);
        EXPECT_EQ(sections[i].ListText, kExpected[i].listText);
        EXPECT_EQ(sections[i].StatusText, kExpected[i].statusText);
        EXPECT_EQ(sections[i].ScannerName, kExpected[i].scannerName);
        EXPECT_EQ(sections[i].counted, kExpected[i].counted);
        EXPECT_EQ(sections[i].SmallIcon, static_cast<int>(i + 1));
        EXPECT_FALSE(sections[i].Walks.empty());
    }
}

std::string describe(const std::vector<SectionWalk>& walks)
{
    std::string text;
    for (const auto& w : walks) {
        const char* kind = w.kind == WalkKind::SubkeyTree    ? "tree"
                           : w.kind == WalkKind::KeyValues   ? "values"
                           : w.kind == WalkKind::SubkeyNames ? "names"
                                                             : "drive";
        text += w.hiveName + "|" + std::to_string(w.hive) + "|" + w.keyPath + "|" + kind + ";";
    }
    return text;
}

TEST(Catalogue, WalksNameHiveKeyAndKind)
{
    const auto& s = FixedScanSections();
    EXPECT_EQ(describe(s[0].Walks), "HKEY_CLASSES_ROOT|2147483648|CLSID|names;");
    EXPECT_EQ(describe(s[1].Walks), "HKEY_CLASSES_ROOT|2147483648|CLSID|tree;");
    EXPECT_EQ(describe(s[2].Walks), "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Classes\\CLSID|tree;");
    EXPECT_EQ(describe(s[3].Walks),
              "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths|tree;");
    EXPECT_EQ(describe(s[4].Walks), "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Microsoft\\Windows\\Help|values;"
                                    "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Microsoft\\Windows\\HTML Help|values;");
    EXPECT_EQ(describe(s[5].Walks), "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Microsoft\\Shared Tools|tree;");
    EXPECT_EQ(describe(s[7].Walks),
              "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall|tree;");
    EXPECT_EQ(describe(s[8].Walks),
              "HKEY_LOCAL_MACHINE|2147483650|SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers|values;");
    EXPECT_EQ(describe(s[9].Walks),
              "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts|values;");
    EXPECT_EQ(describe(s[10].Walks),
              "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE|tree;HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Classes|tree;");
}

TEST(Catalogue, StartupSectionVisitsTheRunKeysOwnValuesFirst)
{
    // Without the first walk the start-up entries themselves would never be examined.
    EXPECT_EQ(describe(FixedScanSections()[6].Walks),
              "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run|values;"
              "HKEY_LOCAL_MACHINE|2147483650|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run|tree;"
              "HKEY_CURRENT_USER|2147483649|Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\"
              "Start Menu\\Programs|tree;");
}

TEST(Catalogue, FontsKeyFollowsThePlatform)
{
    EXPECT_EQ(FontsKeyPath(2), "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
    EXPECT_EQ(FontsKeyPath(1), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts");
    EXPECT_EQ(FontsKeyPath(0), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts");
}

TEST(Catalogue, OneDriveEntryPerFixedDriveInListedOrder)
{
    EXPECT_EQ(ScanCatalogue({}).size(), 11u);
    const std::vector<DriveInfo> drives{{'A', DriveType::removable, true},
                                        {'C', DriveType::fixed, true},
                                        {'E', DriveType::cdrom, true},
                                        {'D', DriveType::fixed, false},
                                        {'Z', DriveType::network, true}};
    const auto catalogue = ScanCatalogue(drives);
    ASSERT_EQ(catalogue.size(), 13u);
    EXPECT_EQ(catalogue[11].ListText, "Window Shortcut C");
    EXPECT_EQ(catalogue[12].ListText, "Window Shortcut D");
    for (std::size_t i = 11; i < 13; ++i) {
        EXPECT_EQ(catalogue[i].SmallIcon, 12);
        EXPECT_EQ(catalogue[i].StatusText, " Shortcuts...");
        EXPECT_FALSE(catalogue[i].counted);
        EXPECT_EQ(catalogue[i].ScannerName, "");
    }
    EXPECT_EQ(describe(catalogue[11].Walks), "|0|C:\\|drive;");
    EXPECT_EQ(DriveScanStatusText(DriveRootPath('D')), " Shortcuts D:\\...");
}

TEST(Catalogue, DriveLetterIsReadFromTheEntryTextAsTheDriverReadsIt)
{
    EXPECT_EQ(DriveLetterOfEntry("Window Shortcut C"), "C");
    EXPECT_EQ(DriveLetterOfEntry("  window shortcut d  "), "D");
    EXPECT_EQ(DriveLetterOfEntry("Window ShortcutX"), "X");
    EXPECT_EQ(DriveLetterOfEntry("Window Shortcut "), "");
    EXPECT_EQ(DriveLetterOfEntry("Windows Shortcut C"), std::nullopt);
    EXPECT_EQ(DriveLetterOfEntry("Help Files"), std::nullopt);
}

} // namespace
} // namespace tessivar
