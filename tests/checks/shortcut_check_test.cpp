#include "checks/shortcut_check.h"
#include "checks/walk_context.h"
#include "platform/shell_link.h"
#include "support/shell_link_builder.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace tessivar {
namespace {

using test::BuildShellLink;
using test::LinkDesign;
using test::WalkContext;

std::string wineFixture(const std::string& name)
{
    std::ifstream in(std::string(TESSIVAR_FIXTURES) + "/shortcuts/wine/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The files the Wine-made links were made against, minus the ones made missing.
void addFixtureTargets(test::FakeFileSystem& files)
{
    files.addFile("C:\\fixtures\\present.txt", "x");
    files.addFile("C:\\fixtures\\app.exe", "x");
    files.addFolder("C:\\fixtures\\Folder");
    files.addFile("C:\\fixtures\\\xE6\x97\xA5\xE6\x9C\xAC\\\xE6\x96\x87\xE6\x9B\xB8.txt", "x");
    files.addFile("C:\\fixtures\\Caf\xC3\xA9\\menu.txt", "x");
    files.addDrive('Z', DriveType::fixed);
}

constexpr const char* kDesktop = "C:\\users\\me\\Desktop\\";

bool recordedFor(WalkContext& scene, const std::string& name, const std::string& bytes)
{
    const std::string path = kDesktop + name;
    scene.files.addFile(path, bytes);
    CheckShortcut(scene.context, path);
    return scene.model.lvwShortcut.count() == 1 && scene.model.lvwShortcut.at(1).path == path;
}

// --- Real links made by Wine, each with its verdict --------------------------------------------

struct WineVerdict {
    const char* file;
    bool recorded;
};

class WineFixtureVerdict : public testing::TestWithParam<WineVerdict> {};

TEST_P(WineFixtureVerdict, RecordsOnlyLinksWhoseTargetIsGone)
{
    WalkContext scene;
    addFixtureTargets(scene.files);
    const std::string bytes = wineFixture(GetParam().file);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(recordedFor(scene, GetParam().file, bytes), GetParam().recorded) << GetParam().file;
    EXPECT_EQ(scene.model.lblProblemsFound, GetParam().recorded ? "1" : "0");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WineFixtureVerdict,
                         testing::Values(WineVerdict{"present.lnk", false}, WineVerdict{"gone.lnk", true},
                                         WineVerdict{"never-existed.lnk", true}, WineVerdict{"folder.lnk", false},
                                         WineVerdict{"gone-folder.lnk", true}, WineVerdict{"arguments.lnk", false},
                                         WineVerdict{"working-dir.lnk", false},
                                         WineVerdict{"home-working-dir.lnk", false}, WineVerdict{"relative.lnk", false},
                                         WineVerdict{"z-drive.lnk", true}, WineVerdict{"cjk.lnk", false},
                                         WineVerdict{"cjk-gone.lnk", true}, WineVerdict{"latin.lnk", false},
                                         WineVerdict{"caf\xC3\xA9-name.lnk", true}, WineVerdict{"windir.lnk", false},
                                         WineVerdict{"unc.lnk", false}, WineVerdict{"control-panel.lnk", false},
                                         WineVerdict{"my-computer.lnk", false}, WineVerdict{"web.url", false},
                                         WineVerdict{"file-present.url", false}, WineVerdict{"file-gone.url", true}),
                         [](const testing::TestParamInfo<WineVerdict>& param) {
                             std::string name = param.param.file;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// --- Forms Wine cannot make, each with its verdict ---------------------------------------------

struct GeneratedVerdict {
    const char* name;
    std::function<std::string()> bytes;
    bool recorded;
    std::function<void(WalkContext&)> scene = nullptr;
};

class GeneratedVerdictTest : public testing::TestWithParam<GeneratedVerdict> {};

TEST_P(GeneratedVerdictTest, Verdict)
{
    WalkContext scene;
    scene.files.addFile("C:\\Program Files\\App\\present.exe", "x");
    scene.registry.setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                             "C:\\Program Files");
    if (GetParam().scene)
        GetParam().scene(scene);
    const std::string name =
        std::string(GetParam().name) + (std::string(GetParam().name).starts_with("Url") ? ".url" : ".lnk");
    EXPECT_EQ(recordedFor(scene, name, GetParam().bytes()), GetParam().recorded);
}

LinkDesign idList(const char* path)
{
    LinkDesign design;
    design.idListPath = path;
    return design;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, GeneratedVerdictTest,
    testing::Values(
        GeneratedVerdict{"AdvertisedWithMissingTarget",
                         [] {
                             LinkDesign design = idList("C:\\Program Files\\App\\gone.exe");
                             design.darwin = true;
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"EnvironmentTargetGone",
                         [] {
                             LinkDesign design;
                             design.environmentTarget = "%ProgramFiles%\\App\\gone.exe";
                             return BuildShellLink(design);
                         },
                         true},
        GeneratedVerdict{"EnvironmentTargetPresent",
                         [] {
                             LinkDesign design = idList("C:\\Old Place\\App\\present.exe");
                             design.environmentTarget = "%programfiles%\\App\\present.exe";
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"EnvironmentVariableUnknown",
                         [] {
                             LinkDesign design;
                             design.environmentTarget = "%USERPROFILE%\\gone.exe";
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"EnvironmentVariableFromTheRegistry",
                         [] {
                             LinkDesign design;
                             design.environmentTarget = "%TOOLS%\\gone.exe";
                             return BuildShellLink(design);
                         },
                         true,
                         [](WalkContext& s) {
                             s.registry.setString(HKEY_LOCAL_MACHINE,
                                                  "System\\CurrentControlSet\\Control\\Session Manager\\Environment",
                                                  "TOOLS", "C:\\tools", REG_EXPAND_SZ);
                         }},
        GeneratedVerdict{"NetworkShare",
                         [] {
                             LinkDesign design;
                             design.netName = "\\\\server\\share";
                             design.commonPathSuffix = "gone.doc";
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"RemoteDriveType",
                         [] {
                             LinkDesign design;
                             design.localBasePath = "C:\\gone.doc";
                             design.driveType = 4;
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"RemovableDriveType",
                         [] {
                             LinkDesign design;
                             design.localBasePath = "C:\\gone.exe";
                             design.driveType = 2;
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"TargetOnCdDrive", [] { return BuildShellLink(idList("D:\\setup.exe")); }, false,
                         [](WalkContext& s) { s.files.addDrive('D', DriveType::cdrom); }},
        GeneratedVerdict{"TargetOnNetworkDrive", [] { return BuildShellLink(idList("N:\\setup.exe")); }, false,
                         [](WalkContext& s) { s.files.addDrive('N', DriveType::network); }},
        GeneratedVerdict{"TargetOnUnknownDrive", [] { return BuildShellLink(idList("Q:\\setup.exe")); }, false},
        GeneratedVerdict{"LossyAnsiOnly",
                         [] {
                             LinkDesign design;
                             design.localBasePath = "C:\\docs\\??.txt";
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"LossyAnsiWithUnicodeFormGone",
                         [] {
                             LinkDesign design;
                             design.localBasePath = "C:\\docs\\??.txt";
                             design.localBasePathUnicode = "C:\\docs\\\xE6\x97\xA5\xE6\x9C\xAC.txt";
                             return BuildShellLink(design);
                         },
                         true},
        GeneratedVerdict{"LossyAnsiWithUnicodeFormPresent",
                         [] {
                             LinkDesign design;
                             design.localBasePath = "C:\\docs\\??.txt";
                             design.localBasePathUnicode = "C:\\docs\\\xE6\x97\xA5\xE6\x9C\xAC.txt";
                             return BuildShellLink(design);
                         },
                         false, [](WalkContext& s) { s.files.addFile("C:\\docs\\\xE6\x97\xA5\xE6\x9C\xAC.txt", "x"); }},
        GeneratedVerdict{"AnsiCodePageOnly",
                         [] {
                             LinkDesign design;
                             design.localBasePath = "C:\\Caf\xE9\\gone.txt";
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"ShortNameOnly", [] { return BuildShellLink(idList("C:\\PROGRA~1\\App\\gone.exe")); }, false},
        GeneratedVerdict{"ControlPanelItem",
                         [] {
                             LinkDesign design;
                             design.idListRootClsid =
                                 std::string("\x20\x20\xEC\x21\xEA\x3A\x69\x10\xA2\xDD\x08\x00\x2B\x30\x30\x9D", 16);
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"NoTargetAtAll", [] { return BuildShellLink(LinkDesign{}); }, false},
        GeneratedVerdict{"OneFormPresentOneGone",
                         [] {
                             LinkDesign design = idList("C:\\Program Files\\App\\present.exe");
                             design.localBasePath = "C:\\elsewhere\\gone.exe";
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"RelativeFormPresent",
                         [] {
                             LinkDesign design = idList("C:\\moved\\present.exe");
                             design.relativePath = "..\\..\\..\\Program Files\\App\\present.exe";
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"RelativeFormClimbingAboveTheRoot",
                         [] {
                             LinkDesign design;
                             design.relativePath = "..\\..\\..\\..\\..\\gone.exe";
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"KnownFolderInPlaceTargetGone",
                         [] {
                             LinkDesign design = idList("C:\\users\\me\\Documents\\gone.txt");
                             design.knownFolderOffset = 45 + 0; // the "users" item: folder is C:\ (always there)
                             return BuildShellLink(design);
                         },
                         true},
        GeneratedVerdict{"KnownFolderOffsetInsideAnItem",
                         [] {
                             LinkDesign design = idList("C:\\users\\alice\\Documents\\gone.txt");
                             design.knownFolderOffset = 50;
                             return BuildShellLink(design);
                         },
                         false},
        GeneratedVerdict{"SearchCannotBeCarriedOut", [] { return BuildShellLink(idList("C:\\locked\\gone.exe")); },
                         false, [](WalkContext& s) { s.files.makeSearchFail("C:\\locked"); }},
        GeneratedVerdict{"MalformedLink",
                         [] {
                             std::string bytes = BuildShellLink(idList("C:\\gone.exe"));
                             test::SetU16(bytes, 0x4C, 0xFFFF);
                             return bytes;
                         },
                         false},
        GeneratedVerdict{"TextNamedLnk", [] { return std::string("not a link at all"); }, false},
        GeneratedVerdict{"UrlEmpty", [] { return std::string("[InternetShortcut]\r\nURL=\r\n"); }, true},
        GeneratedVerdict{"UrlBlank", [] { return std::string("[InternetShortcut]\r\nURL=   \r\n"); }, true},
        GeneratedVerdict{"UrlMissing", [] { return std::string("[InternetShortcut]\r\nIconIndex=1\r\n"); }, true},
        GeneratedVerdict{"UrlWithoutSection", [] { return std::string("URL=\r\n"); }, false},
        GeneratedVerdict{"UrlFileOnHost", [] { return std::string("[InternetShortcut]\nURL=file://srv/share/x\n"); },
                         false},
        GeneratedVerdict{"UrlMailto", [] { return std::string("[InternetShortcut]\nURL=mailto:a@b.c\n"); }, false},
        GeneratedVerdict{
            "UrlFileGoneButHomeWorkingDir",
            [] {
                return std::string(
                    "[InternetShortcut]\nURL=file:///C:/gone.txt\nWorkingDirectory=%homedrive%%HomePath%\n");
            },
            false}),
    [](const testing::TestParamInfo<GeneratedVerdict>& param) { return std::string(param.param.name); });

// --- The path and name rules of the check ------------------------------------------------------

const std::string kBrokenLink = [] {
    LinkDesign design;
    design.idListPath = "C:\\gone\\gone.exe";
    return BuildShellLink(design);
}();

struct PathCase {
    const char* path;
    bool recorded;
};

class PathRuleTest : public testing::TestWithParam<PathCase> {};

TEST_P(PathRuleTest, DecidesWhichFilesAreLookedAt)
{
    WalkContext scene;
    scene.files.addFile(GetParam().path, kBrokenLink);
    CheckShortcut(scene.context, GetParam().path);
    EXPECT_EQ(scene.model.lvwShortcut.count(), GetParam().recorded ? 1u : 0u) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathRuleTest,
    testing::Values(PathCase{"C:\\a\\broken.lnk", true}, PathCase{"C:\\a\\BROKEN.LNK", true},
                    PathCase{"C:\\users\\me\\NetHood\\share.lnk", false},
                    PathCase{"C:\\users\\me\\nEtHoOd\\share.lnk", false}, PathCase{"C:\\mynethoodstuff\\x.lnk", false},
                    PathCase{"C:\\a\\thenethood.lnk", false}, PathCase{"C:\\System Volume Information\\x.lnk", false},
                    PathCase{"C:\\a\\system volume information.lnk", false},
                    // Only the last three letters count: "xurl" and "olnk" are looked at.
                    PathCase{"C:\\a\\site.xurl", true}, PathCase{"C:\\a\\file.olnk", true},
                    PathCase{"C:\\a\\broken.lnk.txt", false}, PathCase{"C:\\a\\broken.ln", false}));

TEST(ShortcutCheck, EmptyAndFolderlessPathsAreIgnored)
{
    WalkContext scene;
    CheckShortcut(scene.context, "");
    CheckShortcut(scene.context, "   ");
    CheckShortcut(scene.context, "broken.lnk");
    EXPECT_EQ(scene.model.lvwShortcut.count(), 0u);
    EXPECT_TRUE(scene.files.filesRead.empty());
}

TEST(ShortcutCheck, OtherNamesCostNoRead)
{
    WalkContext scene;
    scene.files.addFile("C:\\a\\notes.txt", kBrokenLink);
    CheckShortcut(scene.context, "C:\\a\\notes.txt");
    EXPECT_TRUE(scene.files.filesRead.empty());
}

TEST(ShortcutCheck, TwoBrokenShortcutsGiveTwoEntriesEachWithOneSignal)
{
    WalkContext scene;
    scene.files.addFile("C:\\a\\one.lnk", kBrokenLink);
    scene.files.addFile("C:\\a\\two.url", "[InternetShortcut]\r\nURL=\r\n");
    CheckShortcut(scene.context, "C:\\a\\one.lnk");
    EXPECT_EQ(scene.model.lblProblemsFound, "1");
    CheckShortcut(scene.context, "C:\\a\\two.url");
    EXPECT_EQ(scene.model.lblProblemsFound, "2");
    EXPECT_EQ(scene.recorded(), (std::vector<std::string>{"C:\\a\\one.lnk", "C:\\a\\two.url"}));
    EXPECT_EQ(scene.model.lvwShortcut.at(1).sectionText, "Windows Shortcut");
}

TEST(ShortcutCheck, FileLargerThanAnyShortcutIsNotRead)
{
    WalkContext scene;
    std::string bytes = kBrokenLink;
    bytes.resize(kMaxShortcutReadBytes + 1, '\0');
    scene.files.addFile("C:\\a\\huge.lnk", bytes);
    CheckShortcut(scene.context, "C:\\a\\huge.lnk");
    EXPECT_EQ(scene.model.lvwShortcut.count(), 0u);
}

TEST(ShortcutCheck, PathIsRecordedExactlyAsReceived)
{
    WalkContext scene;
    scene.files.addFile("C:\\Mixed Case\\Broken.Lnk", kBrokenLink);
    CheckShortcut(scene.context, "C:\\mixed case\\broken.lnk");
    EXPECT_EQ(scene.recorded(), std::vector<std::string>{"C:\\mixed case\\broken.lnk"});
}

} // namespace
} // namespace tessivar
