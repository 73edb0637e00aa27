#include "check_fixture.h"
#include "checks/checks.h"

namespace tessivar::test {
namespace {

// One data form, what the uninstall location, shared file and virtual device checks make of it.
struct DrivePathCase {
    const char* name;
    const char* data;
    std::optional<Expect> uninstallLocation;
    std::optional<Expect> sharedFile;
    std::optional<Expect> virtualDevice;
};

void PrintTo(const DrivePathCase& c, std::ostream* out)
{
    *out << c.name << ": " << c.data;
}

const auto kNone = std::nullopt;

const DrivePathCase kDrivePathCases[] = {
    {"Empty", "", kNone, kNone, kNone},
    {"Blanks", "   ", kNone, kNone, kNone},
    {"NoDot", "C:\\Program Files\\App\\readme", kNone, kNone, kNone},
    {"BuiltInDevice", "*vmm", kNone, kNone, kNone},
    {"MissingDriverFile", "C:\\windows\\system\\gone.vxd", missing("C:\\windows\\system\\gone.vxd"),
     missing("C:\\windows\\system\\gone.vxd"), missing("C:\\windows\\system\\gone.vxd")},
    {"PresentFile", "C:\\Program Files\\App\\app.exe", kNone, kNone, kNone},
    // Only the uninstall location check cleans quotes and cuts the icon index.
    {"QuotedIconWithIndex", "\"C:\\Program Files\\App\\gone.exe\",0", missing("C:\\Program Files\\App\\gone.exe"),
     kNone, kNone},
    {"PresentIconWithIndex", "C:\\Program Files\\App\\app.exe,1", kNone, kNone,
     missing("C:\\Program Files\\App\\app.exe,1")},
    {"ProgramInFrontOfDrivePath", "notepad.exe C:\\Docs\\gone.txt", missing("C:\\Docs\\gone.txt"),
     missing("C:\\Docs\\gone.txt"), missing("C:\\Docs\\gone.txt")},
    {"NetworkShare", "\\\\server\\share\\setup.msi", kNone, kNone, kNone},
    {"Placeholder", "%ProgramFiles%\\App\\gone.exe", kNone, kNone, kNone},
    {"RelativePath", "App\\gone.exe", kNone, kNone, kNone},
    {"DriveMarkAtStart", ":\\gone.dll", kNone, kNone, kNone},
    {"ExistingFolderWithDot", "C:\\Install.Source", kNone, kNone, kNone},
    {"ExistingFolderWithDotAndBackslash", "C:\\Install.Source\\", kNone, kNone, kNone},
    {"MissingFolderWithDot", "C:\\Gone.Source\\", missing("C:\\Gone.Source\\"), kNone, missing("C:\\Gone.Source\\")},
    {"ExtensionOfTwo", "C:\\Program Files\\App\\gone.ab", missing("C:\\Program Files\\App\\gone.ab"), kNone,
     missing("C:\\Program Files\\App\\gone.ab")},
    {"ExtensionOfFour", "C:\\Program Files\\App\\gone.abcd", missing("C:\\Program Files\\App\\gone.abcd"), kNone,
     missing("C:\\Program Files\\App\\gone.abcd")},
    {"DotOnlyInFolder", "C:\\Program Files\\App.v2\\gone", missing("C:\\Program Files\\App.v2\\gone"), kNone,
     missing("C:\\Program Files\\App.v2\\gone")},
    {"BarePresentName", "present.dll", kNone, kNone, kNone},
    {"BareMissingName", "gone.dll", missingInSystemFolder("gone.dll"), missingInSystemFolder("gone.dll"),
     missingInSystemFolder("gone.dll")},
    {"BareNameWithStar", "gone*.dll", missingInSystemFolder("gone*.dll"), kNone, missingInSystemFolder("gone*.dll")},
    {"BareNameWithLongExtension", "gone.html", missingInSystemFolder("gone.html"), kNone,
     missingInSystemFolder("gone.html")},
    {"BarePresentInstallerWithSwitch", "setup.exe /uninstall", kNone, kNone,
     missingInSystemFolder("setup.exe /uninstall")},
    {"BareMissingInstallerWithSwitch", "gone.exe /x", missingInSystemFolder("gone.exe"), kNone,
     missingInSystemFolder("gone.exe /x")},
    {"WebAddress", "http://example.com/setup.exe", kNone, kNone, kNone},
};

class DrivePathChecks : public ::testing::TestWithParam<DrivePathCase> {
  protected:
    const CallInput m_call{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "", "Some Scanner", "SOFTWARE\\Some\\Key"};

    void expectFor(const std::optional<Expect>& expect, CheckContext& machine)
    {
        std::vector<ProblemEntry> rows;
        if (expect)
            rows.push_back(expectedRow(m_call, *expect, "(Default)"));
        expectRows(machine, rows);
    }
};

TEST_P(DrivePathChecks, UninstallLocation)
{
    CheckContext machine;
    CheckUninstallLocation(machine.context, m_call.hive, m_call.hiveName, m_call.valueName, GetParam().data,
                           m_call.scannerName, m_call.keyPath);
    expectFor(GetParam().uninstallLocation, machine);
}

TEST_P(DrivePathChecks, SharedFile)
{
    CheckContext machine;
    CheckSharedFile(machine.context, m_call.hive, m_call.hiveName, m_call.valueName, GetParam().data,
                    m_call.scannerName, m_call.keyPath);
    expectFor(GetParam().sharedFile, machine);
}

TEST_P(DrivePathChecks, VirtualDevice)
{
    CheckContext machine;
    CheckVirtualDevice(machine.context, m_call.hive, m_call.hiveName, m_call.valueName, GetParam().data,
                       m_call.scannerName, m_call.keyPath);
    expectFor(GetParam().virtualDevice, machine);
}

INSTANTIATE_TEST_SUITE_P(DataForms, DrivePathChecks, ::testing::ValuesIn(kDrivePathCases), CaseName());

TEST(DrivePathChecks, NamedValueKeepsItsName)
{
    CheckContext machine;
    const CallInput call{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SharedFilePath", "Microsoft Shared",
                         "SOFTWARE\\Microsoft\\Shared Tools\\Proofing"};
    CheckSharedFile(machine.context, call.hive, call.hiveName, call.valueName, "C:\\gone.lex", call.scannerName,
                    call.keyPath);
    expectRows(machine, {expectedRow(call, missing("C:\\gone.lex"), "SharedFilePath")});
}

} // namespace
} // namespace tessivar::test
