#include "check_fixture.h"
#include "checks/checks.h"

namespace tessivar::test {
namespace {

struct UninstallCase {
    const char* name;
    const char* valueName;
    const char* data;
    std::vector<Expect> rows;
};

void PrintTo(const UninstallCase& c, std::ostream* out)
{
    *out << c.name << ": [" << c.valueName << "] = [" << c.data << "]";
}

const UninstallCase kUninstallCases[] = {
    // Which values are examined, and by which rules.
    {"LowerCaseName", "uninstallstring", "gone.exe -x", {missingInSystemFolder("gone.exe")}},
    {"NameWithTrailingBlank", "UninstallString ", "C:\\gone.exe", {}},
    {"DisplayName", "DisplayName", "C:\\gone.exe", {}},
    {"Publisher", "Publisher", "gone.dll", {}},
    {"DisplayVersion", "DisplayVersion", "1.2.3", {}},
    {"UninstallPath", "UninstallPath", "C:\\Apps\\gone.exe", {missing("C:\\Apps\\gone.exe")}},
    {"UninstallStringTwoPaths",
     "UninstallString",
     "C:\\windows\\system32\\rundll32.exe C:\\Apps\\gone.dll,Remove",
     {missing("C:\\Apps\\gone.dll")}},
    {"IconWithIndex",
     "DisplayIcon",
     "\"C:\\Program Files\\App\\gone.exe\",0",
     {missing("C:\\Program Files\\App\\gone.exe")}},
    {"PresentIconWithIndex", "DisplayIcon", "C:\\Program Files\\App\\app.exe,0", {}},
    {"ExistingInstallSource", "InstallSource", "C:\\Install.Source\\", {}},
    {"MissingInstallSource", "InstallSource", "C:\\Gone.Source\\", {missing("C:\\Gone.Source\\")}},
    {"ModifyPathWebAddress", "ModifyPath", "http://example.com/modify.exe", {}},
    {"ModifyPathBareInstaller", "ModifyPath", "gone.exe /modify", {missingInSystemFolder("gone.exe")}},
    // The silent uninstall command.
    {"QuietPresentInstallerWithSwitch", "QuietUninstallString", "setup.exe /S", {}},
    {"QuietMissingInstallerWithSwitch", "QuietUninstallString", "gone.exe /S", {missingInSystemFolder("gone.exe")}},
    {"QuietHostLibraryAndSetupFile",
     "QuietUninstallString",
     "gonehost.exe gone.dll,Remove C:\\Apps\\gone.inf,DefaultUninstall",
     {missingInSystemFolder("gonehost.exe"), missingInSystemFolder("gone.dll"), missing("C:\\Apps\\gone.inf")}},
    {"QuietPresentHostAndLibrary", "QuietUninstallString", "rundll32.exe present.dll,Remove", {}},
    {"QuietQuotedFullPathNoSecondDot", "QuietUninstallString", "\"C:\\Program Files\\App\\gone.exe\" /S", {}},
    {"QuietBareNameThenFullPath",
     "QuietUninstallString",
     "gone.exe C:\\Apps\\gone.dat",
     {missingInSystemFolder("gone.exe"), missing("C:\\Apps\\gone.dat")}},
    {"QuietNoDot", "QuietUninstallString", "uninstall", {}},
    {"QuietShortExtension", "QuietUninstallString", "gone.ex", {}},
};

class UninstallCheck : public ::testing::TestWithParam<UninstallCase> {};

TEST_P(UninstallCheck, DataForms)
{
    const UninstallCase& c = GetParam();
    CheckContext machine;
    const CallInput call{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", c.valueName, "Uninstall Section",
                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App"};
    CheckUninstall(machine.context, call.hive, call.hiveName, call.valueName, c.data, call.scannerName, call.keyPath);
    std::vector<ProblemEntry> expected;
    for (const Expect& row : c.rows)
        expected.push_back(expectedRow(call, row, c.valueName));
    expectRows(machine, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, UninstallCheck, ::testing::ValuesIn(kUninstallCases), CaseName());

} // namespace
} // namespace tessivar::test
