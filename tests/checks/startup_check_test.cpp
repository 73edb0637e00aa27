#include "check_fixture.h"
#include "checks/checks.h"

namespace tessivar::test {
namespace {

struct CommandLineCase {
    const char* name;
    const char* data;
    std::vector<Expect> rows;
};

void PrintTo(const CommandLineCase& c, std::ostream* out)
{
    *out << c.name << ": " << c.data;
}

const CommandLineCase kStartupCases[] = {
    {"Empty", "", {}},
    {"Blanks", "   ", {}},
    {"NoDot", "C:\\Program Files\\App\\app", {}},
    {"PresentProgram", "C:\\Program Files\\App\\app.exe", {}},
    {"MissingProgram", "C:\\Program Files\\App\\gone.exe", {missing("C:\\Program Files\\App\\gone.exe")}},
    {"QuotedWithSlashSwitch",
     "\"C:\\Program Files\\App\\gone.exe\" /background",
     {missing("C:\\Program Files\\App\\gone.exe")}},
    {"QuotedPresentWithSlashSwitch", "\"C:\\Program Files\\App\\app.exe\" /background", {}},
    {"DashSwitch", "C:\\Program Files\\App\\gone.exe -min", {missing("C:\\Program Files\\App\\gone.exe")}},
    {"DashInFolderName", "C:\\My-Apps\\gone.exe", {missing("C:\\My-Apps\\gone.exe")}},
    {"BareNameWithDashSwitch", "gone.exe -silent", {missingInSystemFolder("gone.exe")}},
    {"BarePresentNameWithDashSwitch", "present.exe -silent", {}},
    {"HostWithMissingLibrary", "rundll32.exe gone.dll,Entry", {missingInSystemFolder("gone.dll")}},
    {"HostWithPresentLibrary", "rundll32.exe present.dll,Entry", {}},
    {"ArgumentWithoutDot", "C:\\Apps\\gone.exe argument", {}},
    {"TwoDotsInName", "C:\\Apps\\gone.name.exe", {}},
    {"FourLetterExtension", "C:\\Apps\\gone.exec", {}},
    // Not expanded: completed with the system folder, placeholder and all.
    {"PlaceholderIsNotExpanded",
     "%SystemRoot%\\system32\\gone.exe",
     {missingInSystemFolder("%SystemRoot%\\system32\\gone.exe")}},
    {"DotInFolderName", "C:\\Program Files\\App.v2\\gone.exe", {missing("C:\\Program Files\\App.v2\\gone.exe")}},
    {"DotInFolderNamePresent", "C:\\Program Files\\App.v2\\app.exe", {}},
    {"DotInFolderNameWithSwitch",
     "C:\\Program Files\\App.v2\\gone.exe /s",
     {missing("C:\\Program Files\\App.v2\\gone.exe")}},
    {"ProgramNameInFrontOfDotFolder",
     "start C:\\Program Files\\App.v2\\gone.exe",
     {missing("C:\\Program Files\\App.v2\\gone.exe")}},
    {"FolderAfterDotButNoFile", "C:\\Data.d\\readme", {}},
    {"PresentHostMissingLoadedFile",
     "C:\\windows\\system32\\rundll32.exe C:\\Program Files\\App\\gone.dll,Entry",
     {missing("C:\\Program Files\\App\\gone.dll")}},
    // The first path keeps the blank that separated the two.
    {"MissingHostAndLoadedFile",
     "C:\\Apps\\gonehost.exe C:\\Apps\\gone.dll,Entry",
     {missing("C:\\Apps\\gonehost.exe "), missing("C:\\Apps\\gone.dll")}},
    {"FirstPathWithLongExtension",
     "C:\\Apps\\gonehost.exe1 C:\\Program Files\\App\\app.exe",
     {missing("C:\\Apps\\gonehost.exe")}},
    {"ThreeDrivePaths", "C:\\a.exe C:\\b.exe C:\\c.exe", {missing("C:\\a.exe "), missing("C:\\b.exe")}},
    {"FirstPathWithoutDriveLetter", ":\\x.exe C:\\Apps\\gone.dll", {missing("C:\\Apps\\gone.dll")}},
    {"ExistingFolderWithDot", "C:\\Install.Source\\", {}},
};

class StartupCheck : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(StartupCheck, DataForms)
{
    const CommandLineCase& c = GetParam();
    CheckContext machine;
    const CallInput call{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "App", "Windows Startup",
                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"};
    CheckStartup(machine.context, call.hive, call.hiveName, call.valueName, c.data, call.scannerName, call.keyPath);
    std::vector<ProblemEntry> expected;
    for (const Expect& row : c.rows)
        expected.push_back(expectedRow(call, row, "App"));
    expectRows(machine, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, StartupCheck, ::testing::ValuesIn(kStartupCases), CaseName());

TEST(StartupCheck, UnnamedValueAndCurrentUserHive)
{
    CheckContext machine;
    const CallInput call{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "", "Windows Startup",
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\X"};
    CheckStartup(machine.context, call.hive, call.hiveName, call.valueName, "gone.exe", call.scannerName, call.keyPath);
    expectRows(machine, {expectedRow(call, missingInSystemFolder("gone.exe"), "(Default)")});
    EXPECT_EQ(machine.model.lvwErrors.at(1).MainKey, "-2147483647");
}

} // namespace
} // namespace tessivar::test
