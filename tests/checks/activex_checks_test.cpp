#include "check_fixture.h"
#include "checks/checks.h"

namespace tessivar::test {
namespace {

// One data form, what the ActiveX check and the application path check make of it.
struct ProgramFileCase {
    const char* name;
    const char* data;
    std::optional<Expect> activeX;
    std::optional<Expect> applicationPath;
};

void PrintTo(const ProgramFileCase& c, std::ostream* out)
{
    *out << c.name << ": " << c.data;
}

const ProgramFileCase kProgramFileCases[] = {
    {"ThreadingModel", "Apartment", std::nullopt, std::nullopt},
    {"VersionNumber", "1.0", std::nullopt, std::nullopt},
    {"Guid", "{00020424-0000-0000-C000-000000000046}", std::nullopt, std::nullopt},
    {"Empty", "", std::nullopt, std::nullopt},
    {"Blanks", "   ", std::nullopt, std::nullopt},
    {"PresentFullPath", "C:\\Program Files\\App\\app.exe", std::nullopt, std::nullopt},
    {"MissingFullPath", "C:\\Program Files\\App\\gone.dll", missing("C:\\Program Files\\App\\gone.dll"),
     missing("C:\\Program Files\\App\\gone.dll")},
    {"QuotedWithBlankAndLineFeed", "\"C:\\Program Files\\App\\gone.exe\" \n",
     missing("C:\\Program Files\\App\\gone.exe"), missing("C:\\Program Files\\App\\gone.exe")},
    {"LetterCaseKept", "c:\\program files\\app\\GONE.Dll", missing("c:\\program files\\app\\GONE.Dll"),
     missing("c:\\program files\\app\\GONE.Dll")},
    {"IconIndexAfterComma", "C:\\windows\\system32\\gone.dll,-101", std::nullopt, std::nullopt},
    {"SwitchAfterProgram", "C:\\Program Files\\App\\gone.exe /s", std::nullopt, std::nullopt},
    {"BareMissingControl", "gone.ocx", missingInSystemFolder("gone.ocx"), missingInSystemFolder("gone.ocx")},
    {"BarePresentControl", "present.ocx", std::nullopt, std::nullopt},
    {"BareUpperCaseExtension", "GONE.OCX", missingInSystemFolder("GONE.OCX"), missingInSystemFolder("GONE.OCX")},
    {"HiddenAndSystemFilesArePresent", "C:\\windows\\system32\\system.dll", std::nullopt, std::nullopt},
    {"BareHiddenFileIsPresent", "hidden.dll", std::nullopt, std::nullopt},
    {"AxOnlyForActiveX", "gone.ax", missingInSystemFolder("gone.ax"), std::nullopt},
    {"OtherExtension", "C:\\Program Files\\App\\gone.txt", std::nullopt, std::nullopt},
    {"SystemRootPlaceholder", "%SystemRoot%\\system32\\gone.dll", missing("C:\\windows\\system32\\gone.dll"),
     missing("C:\\windows\\system32\\gone.dll")},
    {"SystemRootPlaceholderUpperCase", "%SYSTEMROOT%\\system32\\present.dll", std::nullopt, std::nullopt},
    // The ActiveX check hands "%Sysroot%" on, which expands to the common-files folder itself: an
    // existing folder, so nothing. The application path check tests it as it stands: a path with
    // no drive letter cannot be looked up here and is never reported.
    {"SysrootPlaceholder", "%Sysroot%\\system32\\gone.dll", std::nullopt, std::nullopt},
    {"MissingOnCdRom", "D:\\gone.ocx", std::nullopt, missing("D:\\gone.ocx")},
    {"MissingOnNetworkDrive", "N:\\gone.dll", std::nullopt, missing("N:\\gone.dll")},
    {"NetworkShare", "\\\\server\\share\\gone.dll", std::nullopt, std::nullopt},
    {"RelativeNotOnAFixedDrive", "App\\gone.dll", std::nullopt, std::nullopt},
    {"DotDll", ".dll", std::nullopt, missingInSystemFolder(".dll")},
    {"ExistingFolderIsNotAMissingFile", "C:\\Program Files\\App\\plugins.dll", std::nullopt, std::nullopt},
    {"MissingFolderInPath", "C:\\Gone\\gone.exe", missing("C:\\Gone\\gone.exe"), missing("C:\\Gone\\gone.exe")},
};

class ProgramFileChecks : public ::testing::TestWithParam<ProgramFileCase> {};

TEST_P(ProgramFileChecks, ActiveX)
{
    const ProgramFileCase& c = GetParam();
    CheckContext machine;
    const CallInput call{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "", "ActiveX \\ COM",
                         "CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32"};
    CheckActiveX(machine.context, call.hive, call.hiveName, call.valueName, c.data, call.scannerName, call.keyPath);
    std::vector<ProblemEntry> expected;
    if (c.activeX)
        expected.push_back(expectedRow(call, *c.activeX, "(Default)"));
    expectRows(machine, expected);
}

TEST_P(ProgramFileChecks, ApplicationPath)
{
    const ProgramFileCase& c = GetParam();
    CheckContext machine;
    const CallInput call{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Path", "Application Paths",
                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\app.exe"};
    CheckApplicationPath(machine.context, call.hive, call.hiveName, call.valueName, c.data, call.scannerName,
                         call.keyPath);
    std::vector<ProblemEntry> expected;
    if (c.applicationPath)
        expected.push_back(expectedRow(call, *c.applicationPath, "Path"));
    expectRows(machine, expected);
}

INSTANTIATE_TEST_SUITE_P(DataForms, ProgramFileChecks, ::testing::ValuesIn(kProgramFileCases), CaseName());

// The data of a ProgID key is a class name, whatever it ends in; only the key's own name decides.
TEST(ActiveXCheck, ClassNameKeysAreNeverExamined)
{
    struct Row {
        const char* keyName;
        bool examined;
    };
    const Row rows[] = {{"ProgID", false},
                        {"progid", false},
                        {"VersionIndependentProgID", false},
                        {"VERSIONINDEPENDENTPROGID", false},
                        {"InprocServer32", true},
                        {"MyProgID", true},
                        {"ProgID2", true}};
    for (const Row& row : rows) {
        CheckContext machine;
        const std::string keyPath = std::string("CLSID\\{6BF52A52-394A-11D3-B153-00C04F79FAA6}\\") + row.keyName;
        CheckActiveX(machine.context, HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "", "WMPlayer.OCX", "ActiveX \\ COM",
                     keyPath);
        EXPECT_EQ(machine.model.lvwErrors.count(), row.examined ? 1u : 0u) << row.keyName;
    }
}

TEST(ProgramFileChecks, NameOfBlanksIsTheUnnamedValueAndScannerIsKeptAsReceived)
{
    CheckContext machine;
    const CallInput call{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "  ", "ActiveX \\ COM Subsections",
                         "SOFTWARE\\Classes\\CLSID\\{1}\\LocalServer32"};
    CheckActiveX(machine.context, call.hive, call.hiveName, call.valueName, "C:\\gone.exe", call.scannerName,
                 call.keyPath);
    expectRows(machine, {expectedRow(call, missing("C:\\gone.exe"), "(Default)")});
}

// A path that cannot be examined (an unreadable folder) counts as present.
TEST(ProgramFileChecks, FailedSearchIsNeverReported)
{
    CheckContext machine;
    machine.files.makeSearchFail("C:\\Unreadable");
    CheckApplicationPath(machine.context, HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "", "C:\\Unreadable\\x.exe",
                         "Application Paths", "k");
    CheckActiveX(machine.context, HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "", "C:\\Unreadable\\x.exe", "ActiveX \\ COM",
                 "k");
    EXPECT_EQ(machine.model.lvwErrors.count(), 0u);
}

} // namespace
} // namespace tessivar::test
