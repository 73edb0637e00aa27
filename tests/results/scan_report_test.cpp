#include "engine/scan_context.h"
#include "results/code_page.h"
#include "results/scan_report.h"
#include "settings/settings_store.h"
#include "support/fake_file_system.h"
#include "support/fake_host.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace tessivar {
namespace {

using test::FakeFileSystem;

std::string readFixture(const std::string& name)
{
    std::ifstream in(std::string(TESSIVAR_FIXTURES) + "/scan_report/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string repeated(const std::string& piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

constexpr const char* kDefaultReport = "C:\\Program Files\\Tessivar\\ScanReport.txt";

struct ReportTest : ::testing::Test {
    FakeFileSystem files;
    test::NullRegistry registry;
    test::FixedClock clock;
    test::FakeHost host;
    test::MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};

    void SetUp() override { backend.set("chkMakeLogFile", "1"); }

    void addSection(const std::string& text, bool checked)
    {
        model.lvwRegistryvaluesScan.append(SectionListEntry{text, 1, checked, false});
    }
    void addProblem(const std::string& scanner, const std::string& file, const std::string& keyPath)
    {
        model.lvwErrors.append(ProblemEntry{"-2147483646", "v", file, scanner, keyPath, "HKEY_LOCAL_MACHINE", ""});
    }
    std::string report(const char* path = kDefaultReport) { return files.content(path).value_or("<no report>"); }
};

TEST_F(ReportTest, MatchesTheHandWrittenReportByteForByte)
{
    for (const char* text : {"Registry Integrity", "Custom Controls", "Sub Section Controls", "Help Files"})
        addSection(text, std::string(text) == "Custom Controls" || std::string(text) == "Help Files");
    addSection("Window Shortcut C", true);
    addSection("Window Shortcut D", false);
    addProblem("ActiveX \\ COM", "C:\\windows\\system32\\gone.ocx",
               "CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32");
    addProblem("Help Files", "C:\\Programme\\Caf\xC3\xA9\\hilfe.hlp", "SOFTWARE\\Microsoft\\Windows\\Help");
    addProblem("Help Files", "C:\\Price\xE2\x82\xAC\\\xE4\xB8\xAD.chm", "SOFTWARE\\Microsoft\\Windows\\HTML Help");
    model.lvwShortcut.append(ShortcutEntry{"C:\\users\\Public\\Desktop\\Old Game.lnk"});
    model.ScanStartTime = "14:05:07";
    model.ScanEndTime = "14:06:30";

    MakeScanReport(context);

    EXPECT_TRUE(model.scanReportWritten);
    const std::string expected = readFixture("three_problems_one_shortcut.txt");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(report(), expected);
}

TEST_F(ReportTest, CleanScanWritesTheCleanBoxAndNoBlocks)
{
    addSection("Registry Integrity", true);
    MakeScanReport(context);
    const std::string text = report();
    EXPECT_NE(text.find("Total numbers of problems detected : 0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n" + repeated("<>", 60) + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n" + std::string(27, ' ') +
                        "Your system is clean Please run Tessivar v4.0 to keep your system in good health\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Name of Section"), std::string::npos);
    EXPECT_EQ(text.find("Defected"), std::string::npos);
}

TEST_F(ReportTest, WrittenOnlyWhenTheSettingAsksForIt)
{
    struct Case {
        const char* stored; // nullptr: never stored
        bool written;
    };
    for (const Case c : {Case{nullptr, false}, Case{"0", false}, Case{"1", true}, Case{"2", true}, Case{"maybe", false},
                         Case{" 1 ", true}, Case{"-1", true}}) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        files.remove(kDefaultReport);
        if (c.stored)
            backend.set("chkMakeLogFile", c.stored);
        else
            backend = test::MemorySettings{};
        model.scanReportWritten = !c.written;
        MakeScanReport(context);
        EXPECT_EQ(files.exists(kDefaultReport), c.written);
        EXPECT_EQ(model.scanReportWritten, c.written);
    }
}

TEST_F(ReportTest, SwitchedOffLeavesAnOldReportAsItWas)
{
    files.addFile(kDefaultReport, "old report");
    backend.set("chkMakeLogFile", "0");
    addProblem("Help Files", "C:\\x.hlp", "k");
    MakeScanReport(context);
    EXPECT_EQ(report(), "old report");
}

TEST_F(ReportTest, ReplacesTheOldReportInTheChosenFolder)
{
    files.addDrive('D', DriveType::fixed);
    files.addFolder("D:\\Reports");
    files.addFile("D:\\Reports\\ScanReport.txt", "old report that is longer than nothing");
    backend.set("txtLogFile", "D:\\Reports");
    MakeScanReport(context);
    const std::string text = report("D:\\Reports\\ScanReport.txt");
    EXPECT_TRUE(text.starts_with(repeated("<>", 63) + "\r\n"));
    EXPECT_EQ(text.find("old report"), std::string::npos);
    EXPECT_FALSE(files.exists(kDefaultReport));
}

TEST_F(ReportTest, FolderGivenWithItsBackslashGetsNoSecondOne)
{
    files.addDrive('D', DriveType::fixed);
    backend.set("txtLogFile", "D:\\");
    EXPECT_EQ(ScanReportPath(context), "D:\\ScanReport.txt");
    MakeScanReport(context);
    EXPECT_TRUE(files.exists("D:\\ScanReport.txt"));
}

TEST_F(ReportTest, MissingOrUnwritableFolderGivesNoReportAndNoPartialOne)
{
    backend.set("txtLogFile", "C:\\no such folder");
    MakeScanReport(context);
    EXPECT_FALSE(files.exists("C:\\no such folder\\ScanReport.txt"));

    // A report large enough to be written in several pieces: when the first piece is refused,
    // no later piece may land beside an old report.
    files.addFile(kDefaultReport, "old");
    backend.set("txtLogFile", "C:\\Program Files\\Tessivar");
    files.makeWriteFail(kDefaultReport);
    for (int i = 0; i < 5000; ++i)
        addProblem("Help Files", "C:\\missing\\file" + std::to_string(i) + ".hlp", "SOFTWARE\\Help");
    MakeScanReport(context);
    files.clearFailures();
    EXPECT_EQ(report(), "old");
    EXPECT_FALSE(model.scanReportWritten);
}

TEST_F(ReportTest, LargeReportWrittenInPiecesIsComplete)
{
    addSection("Help Files", true);
    constexpr int kRows = 20000;
    for (int i = 0; i < kRows; ++i)
        addProblem("Help Files", "C:\\missing\\file" + std::to_string(i) + ".hlp", "SOFTWARE\\Help");
    MakeScanReport(context);
    const std::string text = report();
    EXPECT_NE(text.find("Total numbers of problems detected : 20000\r\n"), std::string::npos);
    EXPECT_NE(text.find(" File Name       : C:\\missing\\file0.hlp\r\n"), std::string::npos);
    EXPECT_NE(text.find(" File Name       : C:\\missing\\file19999.hlp\r\n"), std::string::npos);
    std::size_t blocks = 0;
    for (auto at = text.find(" Name of Section : "); at != std::string::npos;
         at = text.find(" Name of Section : ", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, static_cast<std::size_t>(kRows));
    EXPECT_TRUE(text.ends_with(" End of Report " + std::string(46, '>') +
                               "\r\nThis report was written by Tessivar v4.0; each scan replaces it.\r\n\r\n"));
    // One yield per section entry and per block.
    EXPECT_EQ(host.yields, static_cast<std::uint64_t>(kRows + 1));
}

TEST_F(ReportTest, ReturnToStartViewShowsTheStartViewAndLooksForTheReport)
{
    model.PicResultsVisible = model.PicScanningVisible = true;
    model.FrameRegistryProblemsDetailsVisible = model.FrameScanningVisible = true;
    model.FrameScanSettingShelidButtonVisible = false;
    backend.set("chkMakeLogFile", "0");

    ReturnToStartView(context);
    EXPECT_FALSE(model.PicResultsVisible || model.PicScanningVisible || model.FrameRegistryProblemsDetailsVisible ||
                 model.FrameScanningVisible);
    EXPECT_TRUE(model.FrameScanSettingShelidButtonVisible);
    EXPECT_FALSE(model.cmdShowLogEnabled);

    // Reports switched off, but an old one is still there.
    files.addFile(kDefaultReport, "old");
    ReturnToStartView(context);
    EXPECT_TRUE(model.cmdShowLogEnabled);
}

TEST(CodePage, Utf8BecomesWindows1252WithQuestionMarksForTheRest)
{
    struct Case {
        const char* utf8;
        const char* expected;
    };
    const Case cases[] = {
        {"plain ASCII \\ path", "plain ASCII \\ path"},
        {"Caf\xC3\xA9 \xC3\xBF", "Caf\xE9 \xFF"},                                 // Latin-1 range maps to itself
        {"\xE2\x82\xAC \xE2\x80\x9C\xE2\x80\x9D \xC5\xBD", "\x80 \x93\x94 \x8E"}, // the 0x80-0x9F block
        {"\xC2\x81", "?"},                                                        // U+0081: a hole of the code page
        {"\xE4\xB8\xAD\xF0\x9F\x98\x80", "??"},                                   // CJK, emoji
        {"\xFF\xC3", "??"},                                                       // malformed, truncated
        {"\xC0\xAF", "??"},                                                       // overlong "/" is not a slash
        {"\xED\xA0\x80", "?"},                                                    // a lone surrogate (WTF-8)
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.expected) << c.utf8;
}

} // namespace
} // namespace tessivar
