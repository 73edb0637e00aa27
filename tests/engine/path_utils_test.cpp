#include "engine/path_utils.h"
#include "engine/scan_context.h"
#include "platform/wine/wine_file_system.h"
#include "settings/settings_store.h"
#include "support/fake_host.h"
#include "support/fake_registry.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/temp_prefix.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

// --- Text operations ---

struct TextCase {
    const char* input;
    const char* expected;
};

class CleanPath : public ::testing::TestWithParam<TextCase> {};
TEST_P(CleanPath, StripsItsOwnSetAtEachEnd)
{
    EXPECT_EQ(CleanPathText(GetParam().input), GetParam().expected);
    std::string inPlace = GetParam().input;
    CleanPathTextInPlace(inPlace);
    EXPECT_EQ(inPlace, GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, CleanPath,
                         ::testing::Values(TextCase{"\"C:\\app.exe\" \n", "C:\\app.exe"},
                                           TextCase{"\r \"C:\\app.exe\"", "C:\\app.exe"},
                                           TextCase{"\nC:\\app.exe", "\nC:\\app.exe"}, // LF stays in front
                                           TextCase{"C:\\app.exe\r", "C:\\app.exe\r"}, // CR stays at the end
                                           TextCase{"\"\"  \"", ""}, TextCase{"", ""},
                                           TextCase{"C:\\a b\\c.exe", "C:\\a b\\c.exe"}));

class CutSwitches : public ::testing::TestWithParam<TextCase> {};
TEST_P(CutSwitches, CommaDecidesOverSlash)
{
    EXPECT_EQ(CutAtSwitches(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, CutSwitches,
                         ::testing::Values(TextCase{"\"C:\\app.exe\" /s", "C:\\app.exe"},
                                           TextCase{"C:\\app.dll,-101 /x", "C:\\app.dll"},
                                           TextCase{"C:\\a/b\\app.dll,1", "C:\\a/b\\app.dll"},
                                           TextCase{"/s C:\\app.exe", "/s C:\\app.exe"}, TextCase{",1", ",1"},
                                           TextCase{" \"C:\\app.exe\" ", " \"C:\\app.exe\" "},
                                           TextCase{"C:\\app.exe", "C:\\app.exe"}, TextCase{"  /x", "  /x"}));

class Extension : public ::testing::TestWithParam<TextCase> {};
TEST_P(Extension, WalksBackToTheLastDotOfTheName)
{
    EXPECT_EQ(GetFileExtension(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, Extension,
                         ::testing::Values(TextCase{"C:\\Program Files\\App.v2\\readme", ""},
                                           TextCase{"C:\\x\\CONTROL.OCX", "ocx"}, TextCase{"lib.DLL", "dll"},
                                           TextCase{"C:noext", ""}, TextCase{"archive.tar.GZ", "gz"},
                                           TextCase{"trailing.", ""}, TextCase{".dll", "dll"}, TextCase{"", ""}));

class TrailingBackslash : public ::testing::TestWithParam<TextCase> {};
TEST_P(TrailingBackslash, AddsOneWhereMissing)
{
    EXPECT_EQ(WithTrailingBackslash(GetParam().input), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, TrailingBackslash,
                         ::testing::Values(TextCase{"C:\\windows", "C:\\windows\\"}, TextCase{"C:\\", "C:\\"},
                                           TextCase{"", ""}, TextCase{"   ", ""}));

TEST(Placeholders, TextAfterTheFirstPlaceholderFoundInAnyCase)
{
    EXPECT_EQ(TextAfterRootPlaceholder("\"%SYSTEMROOT%\\system32\\a.dll\""), "\\system32\\a.dll\"");
    EXPECT_EQ(TextAfterRootPlaceholder("x%programfiles%\\App\\a.exe"), "\\App\\a.exe");
    // %Systemroot% wins over an earlier %ProgramFiles%.
    EXPECT_EQ(TextAfterRootPlaceholder("%ProgramFiles%\\a;%SystemRoot%\\b"), "\\b");
    EXPECT_EQ(TextAfterRootPlaceholder("%Sysroot%\\a.dll"), "");
    EXPECT_EQ(TextAfterCommonPlaceholder("%CommonProgramFiles%\\System\\a.dll"), "\\System\\a.dll");
    EXPECT_EQ(TextAfterCommonPlaceholder("%ProgramFiles%\\a.dll"), "");
}

// --- Operations on a Wine prefix ---

class PathUtilsOnWine : public ::testing::Test {
  protected:
    PathUtilsOnWine()
    {
        registry.setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                           "  C:\\Program Files ");
        registry.setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir",
                           "C:\\Program Files\\Common Files");
        prefix.write("drive_c/windows/system32/Present.dll");
        prefix.write("drive_c/Program Files/Common Files/System/ado/msado15.dll");
        prefix.makeFolder("drive_c/Program Files/App");
    }

    test::TempPrefix prefix;
    wine::WineFileSystem files{prefix.path(), wine::WineFileSystemOptions{{}, std::filesystem::path(), {}}};
    test::FakeRegistry registry;
    test::FixedClock clock;
    test::FakeHost host;
    test::MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
};

TEST_F(PathUtilsOnWine, FoldersOfThePrefixAndTheRegistry)
{
    EXPECT_EQ(GetSystemFolder(files), "C:\\windows\\system32");
    EXPECT_EQ(GetWindowsFolder(files), "C:\\windows");
    EXPECT_EQ(GetProgramFilesFolder(registry), "C:\\Program Files");
    EXPECT_EQ(GetCommonFilesFolder(registry), "C:\\Program Files\\Common Files");
    test::FakeRegistry empty;
    EXPECT_EQ(GetProgramFilesFolder(empty), "");
    EXPECT_EQ(GetCommonFilesFolder(empty), "");
}

TEST_F(PathUtilsOnWine, FileIsPresentFindsFilesOfAnyAttributeAndNoFolders)
{
    prefix.write("drive_c/windows/.hidden.dll");
    const auto locked = prefix.write("drive_c/windows/locked.dll");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    EXPECT_TRUE(FileIsPresent(files, "c:\\WINDOWS\\SYSTEM32\\present.DLL"));
    EXPECT_TRUE(FileIsPresent(files, "C:\\windows\\.HIDDEN.dll"));
    EXPECT_TRUE(FileIsPresent(files, "C:\\windows\\locked.dll"));
    EXPECT_TRUE(FileIsPresent(files, "C:\\windows\\system32\\pres*.dll"));
    EXPECT_FALSE(FileIsPresent(files, "C:\\windows\\system32\\gone.dll"));
    EXPECT_FALSE(FileIsPresent(files, "C:\\windows\\system32\\gone*.dll"));
    EXPECT_FALSE(FileIsPresent(files, "C:\\Program Files\\App"));
    EXPECT_FALSE(FileIsPresent(files, "C:\\gone\\gone.exe"));
    // What cannot be looked up counts as present.
    for (const char* path : {"\\\\server\\share\\app.exe", "app.exe", "Q:\\app.exe", "C:\\PROGRA~1\\app.exe",
                             "C:\\a<b.exe", "", "\"C:\\windows\\system32\\present.dll\""})
        EXPECT_TRUE(FileIsPresent(files, path)) << path;
}

TEST(PathUtilsMasks, FileIsPresentAsksTheMasksInOrderAndAdmitsHiddenSystemFiles)
{
    test::TestContext machine;
    machine.files.searchAnswers["C:\\hs.dll"] = SearchOutcome::notFound;
    EXPECT_FALSE(FileIsPresent(machine.files, "C:\\hs.dll"));
    std::vector<std::uint32_t> masks;
    for (const auto& search : machine.files.searches)
        masks.push_back(search.attributeMask);
    EXPECT_EQ(masks, (std::vector<std::uint32_t>{0, 2, 32, 1, 0, 4, 2 | 4}));
    machine.files.searches.clear();
    machine.files.searchDefault = SearchOutcome::failed;
    EXPECT_TRUE(FileIsPresent(machine.files, "C:\\other.dll"));
    EXPECT_EQ(machine.files.searches.size(), 1u); // a failed search ends the test at once
}

TEST_F(PathUtilsOnWine, FileOrFolderIsPresentAlsoFindsFolders)
{
    EXPECT_TRUE(FileOrFolderIsPresent(files, "C:\\program files\\app"));
    EXPECT_TRUE(FileOrFolderIsPresent(files, "C:\\program files\\app\\"));
    EXPECT_TRUE(FileOrFolderIsPresent(files, "C:\\windows\\system32\\present.dll"));
    EXPECT_FALSE(FileOrFolderIsPresent(files, "C:\\program files\\gone"));
    EXPECT_TRUE(FileOrFolderIsPresent(files, "\\\\server\\share"));
}

TEST_F(PathUtilsOnWine, IsOnFixedDriveDecidesByTheFirstLetter)
{
    prefix.link("d:", prefix.outside().string());
    wine::WineFileSystem typed(
        prefix.path(), wine::WineFileSystemOptions{[](char letter) { return letter == 'd' ? "cdrom" : ""; }, {}, {}});
    EXPECT_TRUE(IsOnFixedDrive(typed, "C:\\windows\\a.dll"));
    EXPECT_TRUE(IsOnFixedDrive(typed, "c:\\windows\\a.dll"));
    EXPECT_TRUE(IsOnFixedDrive(typed, "z"));
    EXPECT_FALSE(IsOnFixedDrive(typed, "D:\\setup.exe"));
    EXPECT_FALSE(IsOnFixedDrive(typed, "\\\\server\\share\\a.dll"));
    EXPECT_FALSE(IsOnFixedDrive(typed, "\"C:\\a.dll\""));
    EXPECT_FALSE(IsOnFixedDrive(typed, "Q:\\a.dll"));
    EXPECT_FALSE(IsOnFixedDrive(typed, ""));
}

TEST_F(PathUtilsOnWine, ShortNameIsThePathItselfWhenItFitsTheBuffer)
{
    EXPECT_EQ(GetShortName(files, "C:\\Program Files\\App\\a.exe"), "C:\\Program Files\\App\\a.exe");
    const std::string fits = "C:\\" + std::string(160, 'a');
    EXPECT_EQ(GetShortName(files, fits), fits);
    EXPECT_EQ(GetShortName(files, "C:\\" + std::string(161, 'a')), "");
}

TEST_F(PathUtilsOnWine, CheckPlaceholderPathRecordsAMissingExpansion)
{
    CheckPlaceholderPath(context, HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "", "%SYSTEMROOT%\\system32\\gone.dll",
                         "ActiveX \\ COM", "CLSID\\{1}\\InprocServer32");
    ASSERT_EQ(model.lvwErrors.count(), 1u);
    const ProblemEntry& row = model.lvwErrors.at(1);
    EXPECT_EQ(row.MainKey, "-2147483648");
    EXPECT_EQ(row.KeyName, "(Default)");
    EXPECT_EQ(row.KeyValue, "C:\\windows\\system32\\gone.dll");
    EXPECT_EQ(row.RegistryScanners, "ActiveX \\ COM");
    EXPECT_EQ(row.FullKeyPath, "CLSID\\{1}\\InprocServer32");
    EXPECT_EQ(row.mainkeyname, "HKEY_CLASSES_ROOT");
    EXPECT_EQ(row.DefaultOrNot, "");
    EXPECT_EQ(model.lblProblemsFound, "1");
}

struct PlaceholderCase {
    const char* name;
    const char* valueName;
    const char* data;
    const char* keyName; // nullptr: nothing recorded
    const char* keyValue;
};

class CheckPlaceholder : public PathUtilsOnWine, public ::testing::WithParamInterface<PlaceholderCase> {};

TEST_P(CheckPlaceholder, BuildsTestsAndRecords)
{
    const PlaceholderCase& c = GetParam();
    CheckPlaceholderPath(context, HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", c.valueName, c.data, "Application Paths",
                         "SOFTWARE\\Key");
    if (!c.keyName) {
        EXPECT_EQ(model.lvwErrors.count(), 0u);
        return;
    }
    ASSERT_EQ(model.lvwErrors.count(), 1u);
    EXPECT_EQ(model.lvwErrors.at(1).KeyName, c.keyName);
    EXPECT_EQ(model.lvwErrors.at(1).KeyValue, c.keyValue);
}

INSTANTIATE_TEST_SUITE_P(
    Placeholders, CheckPlaceholder,
    ::testing::Values(
        PlaceholderCase{"PresentUnderSystemRoot", "", "%systemroot%\\SYSTEM32\\present.dll", nullptr, nullptr},
        PlaceholderCase{"SwitchStaysAttached", "Run", "%SystemRoot%\\system32\\present.dll /s", "Run",
                        "C:\\windows\\system32\\present.dll /s"},
        PlaceholderCase{"BlankNameIsNotDefaultUnderSystemRoot", "  ", "%SystemRoot%\\gone.exe", "  ",
                        "C:\\windows\\gone.exe"},
        PlaceholderCase{"ProgramFiles", "", "%ProgramFiles%\\App\\gone.exe", "(Default)",
                        "C:\\Program Files\\App\\gone.exe"},
        PlaceholderCase{"BlankNameIsNotDefaultUnderProgramFiles", " ", "%PROGRAMFILES%\\gone.exe", " ",
                        "C:\\Program Files\\gone.exe"},
        PlaceholderCase{"ExistingFolderIsNotReported", "", "%ProgramFiles%\\App", nullptr, nullptr},
        PlaceholderCase{"CommonFilesPresent", "", "%CommonProgramFiles%\\System\\ADO\\MSADO15.DLL", nullptr, nullptr},
        PlaceholderCase{"CommonFilesMissingBlankNameIsDefault", "   ", "%commonprogramfiles%\\System\\gone.dll",
                        "(Default)", "C:\\Program Files\\Common Files\\System\\gone.dll"},
        PlaceholderCase{"NoPlaceholderToExpand", "", "%Sysroot%\\system32\\gone.dll", nullptr, nullptr}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PathUtilsWithoutProgramFolders, ExpansionWorksWithAnEmptyFolder)
{
    test::TempPrefix prefix;
    wine::WineFileSystem files(prefix.path());
    test::TestContext machine; // its registry holds no keys at all
    ScanContext context{machine.registry, files, machine.settings, machine.clock, machine.host, machine.model};
    CheckPlaceholderPath(context, HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "", "%ProgramFiles%\\App\\gone.exe",
                         "Application Paths", "SOFTWARE\\Key");
    // "\App\gone.exe" has no drive: it cannot be looked up, so nothing is recorded.
    EXPECT_EQ(machine.model.lvwErrors.count(), 0u);
}

} // namespace
} // namespace tessivar
