#include "check_fixture.h"
#include "checks/checks.h"

namespace tessivar::test {
namespace {

struct NameAndPlaceCase {
    const char* name;
    const char* valueName;
    const char* data;
    std::optional<Expect> expect;
};

void PrintTo(const NameAndPlaceCase& c, std::ostream* out)
{
    *out << c.name << ": [" << c.valueName << "] = [" << c.data << "]";
}

// The value name is the help file, the data its folder.
const NameAndPlaceCase kHelpCases[] = {
    {"FolderWithoutBackslash", "gone.hlp", "C:\\windows\\help", missing("C:\\windows\\help\\gone.hlp")},
    {"FolderWithBackslash", "gone.hlp", "C:\\windows\\help\\", missing("C:\\windows\\help\\gone.hlp")},
    {"PresentFile", "present.hlp", "C:\\windows\\help", std::nullopt},
    {"PresentFileOtherCase", "PRESENT.HLP", "c:\\WINDOWS\\Help\\", std::nullopt},
    {"EmptyData", "gone.hlp", "", std::nullopt},
    {"BlankDataLooksInSystemFolder", "gone.hlp", "   ", missingInSystemFolder("gone.hlp")},
    {"BlankDataPresentInSystemFolder", "present.chm", " ", std::nullopt},
    {"MissingFolder", "gone.chm", "C:\\Gone Folder", missing("C:\\Gone Folder\\gone.chm")},
    // The unnamed value names the folder itself: an existing folder is not a missing file.
    {"UnnamedValueOfExistingFolder", "", "C:\\windows\\help", std::nullopt},
    {"UnnamedValueOfMissingFolder", "", "C:\\Gone Folder", missing("C:\\Gone Folder\\")},
};

class HelpFileCheck : public ::testing::TestWithParam<NameAndPlaceCase> {};

TEST_P(HelpFileCheck, DataForms)
{
    const NameAndPlaceCase& c = GetParam();
    CheckContext machine;
    const CallInput call{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", c.valueName, "Help Files",
                         "SOFTWARE\\Microsoft\\Windows\\Help"};
    CheckHelpFile(machine.context, call.hive, call.hiveName, call.valueName, c.data, call.scannerName, call.keyPath);
    std::vector<ProblemEntry> expected;
    if (c.expect)
        expected.push_back(expectedRow(call, *c.expect, *c.valueName == '\0' ? "(Default)" : c.valueName));
    expectRows(machine, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, HelpFileCheck, ::testing::ValuesIn(kHelpCases), CaseName());

// The value name is the font's display name; the data a file of the font folder or a full path.
const NameAndPlaceCase kFontCases[] = {
    {"BarePresentName", "Arial (TrueType)", "arial.ttf", std::nullopt},
    {"BarePresentNameOtherCase", "Arial (TrueType)", "ARIAL.TTF", std::nullopt},
    // Completed with the font folder, yet never marked "Yes".
    {"BareMissingName", "Gone (TrueType)", "gone.ttf", missing("C:\\windows\\Fonts\\gone.ttf")},
    {"FullPresentPath", "Arial (TrueType)", "C:\\windows\\Fonts\\arial.ttf", std::nullopt},
    {"FullMissingPath", "Gone", "C:\\Fonts\\gone.fon", missing("C:\\Fonts\\gone.fon")},
    {"Empty", "Gone", "", std::nullopt},
    // Tested as it stands: a trailing blank is dropped by the file system, a quote makes a name
    // it cannot look up, which counts as present.
    {"TrailingBlankPresent", "Arial", "arial.ttf ", std::nullopt},
    {"TrailingBlankMissing", "Gone", "gone.ttf ", missing("C:\\windows\\Fonts\\gone.ttf ")},
    {"Quoted", "Gone", "\"gone.ttf\"", std::nullopt},
    {"Unnamed", "", "gone.fon", missing("C:\\windows\\Fonts\\gone.fon")},
};

class FontCheck : public ::testing::TestWithParam<NameAndPlaceCase> {};

TEST_P(FontCheck, DataForms)
{
    const NameAndPlaceCase& c = GetParam();
    CheckContext machine;
    const CallInput call{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", c.valueName, "Windows Fonts",
                         "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"};
    CheckFont(machine.context, call.hive, call.hiveName, call.valueName, c.data, call.scannerName, call.keyPath);
    std::vector<ProblemEntry> expected;
    if (c.expect)
        expected.push_back(expectedRow(call, *c.expect, *c.valueName == '\0' ? "(Default)" : c.valueName));
    expectRows(machine, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FontCheck, ::testing::ValuesIn(kFontCases), CaseName());

TEST(FontCheck, FollowsTheWindowsFolder)
{
    CheckContext machine;
    machine.files.setWindowsDirectory("C:\\winnt");
    CheckFont(machine.context, HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Arial", "arial.ttf", "Windows Fonts", "k");
    ASSERT_EQ(machine.model.lvwErrors.count(), 1u);
    EXPECT_EQ(machine.model.lvwErrors.at(1).KeyValue, "C:\\winnt\\Fonts\\arial.ttf");
}

} // namespace
} // namespace tessivar::test
