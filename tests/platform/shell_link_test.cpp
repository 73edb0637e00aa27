#include "platform/shell_link.h"
#include "support/shell_link_builder.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace tessivar {
namespace {

using test::BuildShellLink;
using test::LayoutOf;
using test::LinkDesign;
using test::SetU16;
using test::SetU32;

std::string fixture(const std::string& name)
{
    std::ifstream in(std::string(TESSIVAR_FIXTURES) + "/shortcuts/wine/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> pathsOf(const ShortcutInfo& info, bool includeUncertain)
{
    std::vector<std::string> paths;
    for (const auto& target : info.targets)
        if (includeUncertain || !target.uncertain)
            paths.push_back(target.path);
    return paths;
}

// --- Links made by Wine's own shell32 --------------------------------------------------------

struct WineCase {
    const char* file;
    const char* targetPath;
    const char* workingDirectory;
    std::vector<std::string> certainTargets;
    bool virtualItem;
    bool network;
};

class WineLinkTest : public testing::TestWithParam<WineCase> {};

TEST_P(WineLinkTest, ReadsWhatTheShellWouldReport)
{
    const WineCase& c = GetParam();
    const std::string bytes = fixture(c.file);
    ASSERT_FALSE(bytes.empty()) << c.file;
    const ShortcutInfo info = ReadShortcut(bytes);
    EXPECT_TRUE(info.isLink);
    EXPECT_FALSE(info.malformed);
    EXPECT_EQ(info.targetPath, c.targetPath);
    EXPECT_EQ(info.workingDirectory, c.workingDirectory);
    EXPECT_EQ(pathsOf(info, false), c.certainTargets);
    EXPECT_EQ(info.virtualItem, c.virtualItem);
    EXPECT_EQ(info.network, c.network);
    EXPECT_FALSE(info.advertised);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, WineLinkTest,
    testing::Values(
        WineCase{"gone.lnk",
                 "C:\\fixtures\\gone.txt",
                 "",
                 {"C:\\fixtures\\gone.txt", "C:\\fixtures\\gone.txt"},
                 false,
                 false},
        WineCase{
            "folder.lnk", "C:\\fixtures\\Folder", "", {"C:\\fixtures\\Folder", "C:\\fixtures\\Folder"}, false, false},
        WineCase{"working-dir.lnk",
                 "C:\\fixtures\\app.exe",
                 "C:\\fixtures\\Folder",
                 {"C:\\fixtures\\app.exe", "C:\\fixtures\\app.exe"},
                 false,
                 false},
        WineCase{"home-working-dir.lnk",
                 "C:\\fixtures\\gone.txt",
                 "%HOMEDRIVE%%HOMEPATH%",
                 {"C:\\fixtures\\gone.txt", "C:\\fixtures\\gone.txt"},
                 false,
                 false},
        // Wine writes the relative path without its flag; the string must still be found and
        // must not be taken for a working folder.
        WineCase{"relative.lnk",
                 "C:\\fixtures\\present.txt",
                 "",
                 {"C:\\fixtures\\present.txt", "C:\\fixtures\\present.txt", "..\\fixtures\\present.txt"},
                 false,
                 false},
        // The ANSI LinkInfo holds '?' for characters outside the code page; the ID list has the
        // real names.
        WineCase{"cjk.lnk",
                 "C:\\fixtures\\\xE6\x97\xA5\xE6\x9C\xAC\\\xE6\x96\x87\xE6\x9B\xB8.txt",
                 "",
                 {"C:\\fixtures\\\xE6\x97\xA5\xE6\x9C\xAC\\\xE6\x96\x87\xE6\x9B\xB8.txt"},
                 false,
                 false},
        WineCase{"latin.lnk",
                 "C:\\fixtures\\Caf\xC3\xA9\\menu.txt",
                 "",
                 {"C:\\fixtures\\Caf\xC3\xA9\\menu.txt"},
                 false,
                 false},
        WineCase{"z-drive.lnk",
                 "Z:\\tessivar-fixture-missing\\nothing.txt",
                 "",
                 {"Z:\\tessivar-fixture-missing\\nothing.txt", "Z:\\tessivar-fixture-missing\\nothing.txt"},
                 false,
                 false},
        WineCase{"unc.lnk", "\\\\server\\share\\file.txt", "", {"\\\\server\\share\\file.txt"}, false, true},
        WineCase{"control-panel.lnk", "", "", {}, true, false}, WineCase{"my-computer.lnk", "", "", {}, true, false},
        WineCase{"windir.lnk", "C:\\%WINDIR%\\notepad.exe", "", {"C:\\%WINDIR%\\notepad.exe"}, true, false}),
    [](const testing::TestParamInfo<WineCase>& param) {
        std::string name = param.param.file;
        name = name.substr(0, name.find('.'));
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(WineLink, ArgumentsAndDescriptionAreKeptApart)
{
    const ShortcutInfo info = ReadShellLink(fixture("arguments.lnk"));
    EXPECT_EQ(info.arguments, "--open \"C:\\fixtures\\gone.txt\"");
    EXPECT_EQ(info.description, "fixture");
    EXPECT_EQ(info.typeName, "Shortcut");
}

// Every prefix of a real link is answered; a prefix that still reads as sound never names a
// target the whole file does not name.
TEST(WineLink, EveryTruncationIsAnsweredSafely)
{
    for (const char* name : {"cjk.lnk", "relative.lnk", "arguments.lnk", "control-panel.lnk"}) {
        const std::string bytes = fixture(name);
        const std::vector<std::string> whole = pathsOf(ReadShellLink(bytes), true);
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            const ShortcutInfo info = ReadShellLink(std::string_view(bytes).substr(0, n));
            if (n < 0x4C) {
                EXPECT_FALSE(info.isLink) << name << " cut at " << n;
                continue;
            }
            if (info.malformed)
                continue;
            for (const auto& path : pathsOf(info, true))
                EXPECT_NE(std::find(whole.begin(), whole.end(), path), whole.end()) << name << " cut at " << n;
        }
    }
}

// --- Forms Wine cannot make ------------------------------------------------------------------

TEST(GeneratedLink, EnvironmentTargetComesFirstAndUnexpanded)
{
    LinkDesign design;
    design.idListPath = "C:\\Program Files\\App\\app.exe";
    design.environmentTarget = "%ProgramFiles%\\App\\app.exe";
    const ShortcutInfo info = ReadShellLink(BuildShellLink(design));
    ASSERT_FALSE(info.malformed);
    ASSERT_EQ(info.targets.size(), 2u);
    EXPECT_EQ(info.targets[0].source, TargetSource::environment);
    EXPECT_EQ(info.targets[0].path, "%ProgramFiles%\\App\\app.exe");
    EXPECT_EQ(info.targets[1].path, "C:\\Program Files\\App\\app.exe");
}

TEST(GeneratedLink, DarwinDescriptorMakesItAdvertised)
{
    LinkDesign design;
    design.idListPath = "C:\\Program Files\\Office\\winword.exe";
    design.darwin = true;
    EXPECT_TRUE(ReadShellLink(BuildShellLink(design)).advertised);
    design.darwin = false;
    design.extraFlags = 0x1000; // the flag alone
    EXPECT_TRUE(ReadShellLink(BuildShellLink(design)).advertised);
}

TEST(GeneratedLink, UnicodeLinkInfoWinsOverLossyAnsi)
{
    LinkDesign design;
    design.localBasePath = "C:\\docs\\??.txt";
    design.localBasePathUnicode = "C:\\docs\\\xE6\x97\xA5\xE6\x9C\xAC.txt";
    const ShortcutInfo info = ReadShellLink(BuildShellLink(design));
    ASSERT_EQ(info.targets.size(), 2u);
    EXPECT_EQ(info.targets[0].source, TargetSource::linkInfoUnicode);
    EXPECT_FALSE(info.targets[0].uncertain);
    EXPECT_EQ(info.targets[1].path, "C:\\docs\\??.txt");
    EXPECT_TRUE(info.targets[1].uncertain);
}

TEST(GeneratedLink, AnsiBytesOutsideAsciiAreUncertain)
{
    LinkDesign design;
    design.localBasePath = "C:\\Caf\xE9\\menu.txt"; // Windows-1252
    const ShortcutInfo info = ReadShellLink(BuildShellLink(design));
    ASSERT_EQ(info.targets.size(), 1u);
    EXPECT_TRUE(info.targets[0].uncertain);
    EXPECT_EQ(info.targets[0].path, "C:\\Caf\xC3\xA9\\menu.txt");
}

TEST(GeneratedLink, SuffixJoinsTheBaseWithOneBackslash)
{
    LinkDesign design;
    design.localBasePath = "C:\\windows";
    design.commonPathSuffix = "notepad.exe";
    EXPECT_EQ(ReadShellLink(BuildShellLink(design)).targetPath, "C:\\windows\\notepad.exe");
    design.localBasePath = "C:\\";
    EXPECT_EQ(ReadShellLink(BuildShellLink(design)).targetPath, "C:\\notepad.exe");
}

TEST(GeneratedLink, DriveTypesOfTheVolume)
{
    LinkDesign design;
    design.localBasePath = "D:\\setup.exe";
    for (std::uint32_t type : {2u, 5u}) {
        design.driveType = type;
        EXPECT_TRUE(ReadShellLink(BuildShellLink(design)).removableMedia) << type;
    }
    design.driveType = 4;
    EXPECT_TRUE(ReadShellLink(BuildShellLink(design)).network);
    design.driveType = 3;
    const ShortcutInfo fixed = ReadShellLink(BuildShellLink(design));
    EXPECT_FALSE(fixed.network || fixed.removableMedia);
}

TEST(GeneratedLink, NetworkShareIsNetwork)
{
    LinkDesign design;
    design.netName = "\\\\server\\share";
    design.commonPathSuffix = "report.doc";
    const ShortcutInfo info = ReadShellLink(BuildShellLink(design));
    EXPECT_FALSE(info.malformed);
    EXPECT_TRUE(info.network);
    EXPECT_EQ(info.targetPath, "\\\\server\\share\\report.doc");
    EXPECT_TRUE(info.targets.empty());
}

TEST(GeneratedLink, ControlPanelRootIsVirtual)
{
    LinkDesign design;
    design.idListRootClsid = std::string("\x20\x20\xEC\x21\xEA\x3A\x69\x10\xA2\xDD\x08\x00\x2B\x30\x30\x9D", 16);
    const ShortcutInfo info = ReadShellLink(BuildShellLink(design));
    EXPECT_TRUE(info.virtualItem);
    EXPECT_TRUE(info.targets.empty());
    EXPECT_EQ(info.targetPath, "");
}

TEST(GeneratedLink, AnsiStringData)
{
    LinkDesign design;
    design.idListPath = "C:\\a.txt";
    design.unicodeStrings = false;
    design.workingDir = "C:\\work";
    design.arguments = "-x";
    const ShortcutInfo info = ReadShellLink(BuildShellLink(design));
    EXPECT_FALSE(info.malformed);
    EXPECT_EQ(info.workingDirectory, "C:\\work");
    EXPECT_EQ(info.arguments, "-x");
}

TEST(GeneratedLink, KnownFolderNamesTheFolderPartOfTheIdList)
{
    LinkDesign design;
    design.idListPath = "C:\\users\\alice\\Desktop\\notes.txt";
    // Root 20 + drive 25 bytes: the third item ("users") starts at 45.
    design.knownFolderOffset = 45;
    ShortcutInfo info = ReadShellLink(BuildShellLink(design));
    EXPECT_TRUE(info.hasKnownFolder);
    EXPECT_EQ(info.knownFolderPath, "C:\\");
    design.knownFolderOffset = 7; // inside an item
    info = ReadShellLink(BuildShellLink(design));
    EXPECT_TRUE(info.hasKnownFolder);
    EXPECT_EQ(info.knownFolderPath, "");
}

TEST(GeneratedLink, BytesAfterTheTerminalBlockAreIgnored)
{
    LinkDesign design;
    design.idListPath = "C:\\a.txt";
    const ShortcutInfo info = ReadShellLink(BuildShellLink(design) + std::string(40, '\xCC'));
    EXPECT_FALSE(info.malformed);
    EXPECT_EQ(info.targetPath, "C:\\a.txt");
}

// --- Damaged files ----------------------------------------------------------------------------

struct DamageCase {
    const char* name;
    std::function<void(std::string&, const test::LinkLayout&)> damage;
    bool stillALink; // false: not a link at all; true: a link answered as malformed
};

class DamagedLinkTest : public testing::TestWithParam<DamageCase> {};

LinkDesign fullDesign()
{
    LinkDesign design;
    design.idListPath = "C:\\dir\\file.txt";
    design.localBasePath = "C:\\dir\\file.txt";
    design.localBasePathUnicode = "C:\\dir\\file.txt";
    design.netName = "\\\\server\\share";
    design.name = "description";
    design.workingDir = "C:\\dir";
    design.environmentTarget = "%SystemDrive%\\dir\\file.txt";
    return design;
}

TEST_P(DamagedLinkTest, IsNeverTakenForASoundLink)
{
    const LinkDesign design = fullDesign();
    std::string bytes = BuildShellLink(design);
    ASSERT_FALSE(ReadShellLink(bytes).malformed);
    GetParam().damage(bytes, LayoutOf(design));
    const ShortcutInfo info = ReadShellLink(bytes);
    EXPECT_EQ(info.isLink, GetParam().stillALink);
    if (GetParam().stillALink) {
        EXPECT_TRUE(info.malformed);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, DamagedLinkTest,
    testing::Values(
        DamageCase{"ShortHeader", [](std::string& b, auto&) { b.resize(60); }, false},
        DamageCase{"WrongHeaderSize", [](std::string& b, auto&) { SetU32(b, 0, 0x4D); }, false},
        DamageCase{"WrongClsid", [](std::string& b, auto&) { b[10] = 'x'; }, false},
        DamageCase{"IdListPastTheFile", [](std::string& b, auto& l) { SetU16(b, l.idList, 0xFFFF); }, true},
        DamageCase{"ItemSizeOfOne", [](std::string& b, auto& l) { SetU16(b, l.idList + 2, 1); }, true},
        DamageCase{"ItemPastTheList", [](std::string& b, auto& l) { SetU16(b, l.idList + 2, 0x7FF0); }, true},
        DamageCase{"NoListTerminator", [](std::string& b, auto& l) { SetU16(b, l.linkInfo - 2, 0x0002); }, true},
        DamageCase{"VolumeNameWithoutNul",
                   [](std::string& b, auto& l) {
                       for (std::size_t i = 0; i < 20; ++i)
                           b[l.idList + 2 + 20 + 3 + i] = 'C';
                   },
                   true},
        DamageCase{"LinkInfoSizeAllOnes", [](std::string& b, auto& l) { SetU32(b, l.linkInfo, 0xFFFFFFFF); }, true},
        DamageCase{"LinkInfoSizeBelowHeader", [](std::string& b, auto& l) { SetU32(b, l.linkInfo, 0x10); }, true},
        DamageCase{"LinkInfoHeaderTooSmall", [](std::string& b, auto& l) { SetU32(b, l.linkInfo + 4, 0x10); }, true},
        DamageCase{"LinkInfoHeaderPastSize", [](std::string& b, auto& l) { SetU32(b, l.linkInfo + 4, 0x7000); }, true},
        DamageCase{"VolumeOffsetPastLinkInfo", [](std::string& b, auto& l) { SetU32(b, l.linkInfo + 12, 0x7FFFFFF0); },
                   true},
        DamageCase{"BasePathOffsetOverflow", [](std::string& b, auto& l) { SetU32(b, l.linkInfo + 16, 0xFFFFFFFC); },
                   true},
        DamageCase{"SuffixOffsetPastLinkInfo", [](std::string& b, auto& l) { SetU32(b, l.linkInfo + 24, 0x1000); },
                   true},
        DamageCase{"UnicodeOffsetPastLinkInfo", [](std::string& b, auto& l) { SetU32(b, l.linkInfo + 28, 0x1000); },
                   true},
        DamageCase{"VolumeSizePastLinkInfo",
                   [](std::string& b, auto& l) {
                       std::uint32_t at = 0;
                       for (int i = 0; i < 4; ++i)
                           at |= std::uint32_t{static_cast<unsigned char>(b[l.linkInfo + 12 + i])} << (8 * i);
                       SetU32(b, l.linkInfo + at, 0x5000);
                   },
                   true},
        DamageCase{"NetworkLinkTooSmall",
                   [](std::string& b, auto& l) {
                       std::uint32_t at = 0;
                       for (int i = 0; i < 4; ++i)
                           at |= std::uint32_t{static_cast<unsigned char>(b[l.linkInfo + 20 + i])} << (8 * i);
                       SetU32(b, l.linkInfo + at, 0x8);
                   },
                   true},
        DamageCase{"StringCountPastTheFile", [](std::string& b, auto& l) { SetU16(b, l.strings, 0xFFFF); }, true},
        DamageCase{"BlockSizeFive", [](std::string& b, auto& l) { SetU32(b, l.extraData, 5); }, true},
        DamageCase{"BlockPastTheFile", [](std::string& b, auto& l) { SetU32(b, l.extraData, 0x10000); }, true},
        DamageCase{"EnvironmentBlockTooSmall",
                   [](std::string& b, auto& l) {
                       SetU32(b, l.extraData, 12);
                       SetU32(b, l.extraData + 12, 0);
                   },
                   true},
        DamageCase{"FlagPromisesMissingString", [](std::string& b, auto&) { b[20] = static_cast<char>(b[20] | 0x40); },
                   true}),
    [](const testing::TestParamInfo<DamageCase>& param) { return std::string(param.param.name); });

TEST(DamagedLink, OversizedInputIsMalformed)
{
    LinkDesign design;
    design.idListPath = "C:\\a.txt";
    std::string bytes = BuildShellLink(design);
    bytes.resize(kMaxShortcutFileSize + 1, '\0');
    EXPECT_TRUE(ReadShellLink(bytes).malformed);
}

TEST(DamagedLink, UnpairedSurrogateMakesTheNameUncertain)
{
    LinkDesign design;
    design.localBasePath = "C:\\x.txt";
    design.localBasePathUnicode = "C:\\x.txt";
    std::string bytes = BuildShellLink(design);
    const std::string wide = test::Utf8ToUtf16("C:\\x.txt");
    const auto at = bytes.find(wide);
    ASSERT_NE(at, std::string::npos);
    SetU16(bytes, at + 6, 0xD800); // the 'x'
    const ShortcutInfo info = ReadShellLink(bytes);
    ASSERT_FALSE(info.malformed);
    ASSERT_FALSE(info.targets.empty());
    EXPECT_TRUE(info.targets[0].uncertain);
}

} // namespace
} // namespace tessivar
