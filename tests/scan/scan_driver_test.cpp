#include "engine/catalogue.h"
#include "engine/scan_context.h"
#include "scan/scan_driver.h"
#include "settings/settings_store.h"
#include "support/fake_file_system.h"
#include "support/fake_host.h"
#include "support/fake_registry.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessivar {
namespace {

class CountingHost : public test::FakeHost {
  public:
    void RefreshThePicControls() override { ++refreshes; }
    int refreshes = 0;
};

struct DriverTest : ::testing::Test {
    test::FakeRegistry registry;
    test::FakeFileSystem files;
    test::FixedClock clock;
    CountingHost host;
    test::MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};

    // The section list as the window builds it: the catalogue for the fake's drives, with these
    // entries checked (1-based positions); every other entry unchecked.
    void sectionList(std::size_t entries, const std::vector<std::size_t>& checked)
    {
        model.lvwRegistryvaluesScan.clear();
        const auto catalogue = ScanCatalogue(files.drives());
        for (std::size_t i = 1; i <= entries; ++i) {
            SectionListEntry entry;
            entry.ListText =
                i <= catalogue.size() ? catalogue[i - 1].ListText : DriveEntryListText(static_cast<char>('C' + i - 12));
            entry.SmallIcon = i <= kFixedSectionCount ? static_cast<int>(i) : kDriveEntrySmallIcon;
            entry.checked = std::find(checked.begin(), checked.end(), i) != checked.end();
            model.lvwRegistryvaluesScan.append(entry);
        }
    }
    void addProblem(const std::string& scanner)
    {
        model.lvwErrors.append(
            ProblemEntry{"-2147483646", "v", "C:\\gone.dll", scanner, "k", "HKEY_LOCAL_MACHINE", ""});
    }
};

TEST(ProgressStep, IsTheTrackWidthOverNRoundedHalfToEven)
{
    struct Case {
        std::size_t entries;
        std::int32_t step;
    };
    for (const Case c : {Case{0, 0}, Case{1, 4275}, Case{2, 2138}, Case{6, 712}, Case{10, 428}, Case{11, 389},
                         Case{12, 356}, Case{50, 86}, Case{8550, 0}, Case{5700, 1}, Case{100000, 0}})
        EXPECT_EQ(ProgressStepFor(c.entries), c.step) << c.entries;
}

TEST(TimeOfDay, IsHoursMinutesSecondsWithTwoDigitsEach)
{
    EXPECT_EQ(TimeOfDayText({2024, 1, 2, 9, 5, 7}), "09:05:07");
    EXPECT_EQ(TimeOfDayText({2024, 1, 2, 23, 59, 59}), "23:59:59");
}

// With nothing checked the bar still moves once per entry, an addition that would pass the
// track is taken back, and the start action then shows it full.
TEST_F(DriverTest, ProgressBarForTenElevenAndTwelveEntries)
{
    struct Case {
        std::size_t entries;
        double lastWidth;
    };
    for (const Case c : {Case{10, 3852}, Case{11, 3890}, Case{12, 4272}}) {
        SCOPED_TRACE(c.entries);
        sectionList(c.entries, {});
        std::vector<double> widths;
        std::vector<std::string> counts;
        host.resetCounts();
        host.onEveryYield([&] {
            widths.push_back(model.PicProgressWidth);
            counts.push_back(model.lblProblemsFound);
        });
        ImgScanNowMouseMove_Click(context);
        ASSERT_EQ(widths.size(), c.entries);
        const double step = ProgressStepFor(c.entries);
        for (std::size_t i = 0; i + 1 < c.entries; ++i)
            EXPECT_EQ(widths[i], step * static_cast<double>(i + 1));
        EXPECT_EQ(widths.back(), c.lastWidth);
        EXPECT_EQ(counts, std::vector<std::string>(c.entries, "0"));
        EXPECT_EQ(model.PicProgressWidth, kPicMainProgressWidth);
        EXPECT_EQ(model.ProgressStep, 0);
        EXPECT_TRUE(model.lvwRegistryProblems.rows.empty());
        EXPECT_FALSE(model.PicResultsVisible);
        EXPECT_TRUE(model.ImgScanNowNormalEnabled);
    }
}

TEST_F(DriverTest, ScanStatesBeforeDuringAndAfter)
{
    sectionList(11, {2});
    model.lvwRegistryProblems.rows = {"old summary"};
    model.lvwRegistryErrorsDetail.rows = {"old detail"};
    model.lvwShortcut.append(ShortcutEntry{"C:\\old.lnk"});
    addProblem("Help Files");
    clock.moment = {2024, 3, 9, 8, 1, 2};
    bool checkedDuringScan = false;
    host.atYield(1, [&] {
        checkedDuringScan = true;
        EXPECT_FALSE(model.ImgScanNowNormalEnabled);
        EXPECT_TRUE(model.PicScanningVisible);
        EXPECT_TRUE(model.FrameScanningVisible);
        EXPECT_FALSE(model.FrameScanSettingShelidButtonVisible);
        EXPECT_FALSE(model.FrameRegistryProblemsDetailsVisible);
        EXPECT_TRUE(model.cmdCancelOrStopEnabled);
        EXPECT_EQ(model.mousePointer, PointerLook::hourglass);
        EXPECT_EQ(model.lvwErrors.count(), 0u);
        EXPECT_EQ(model.lvwShortcut.count(), 0u);
        EXPECT_TRUE(model.lvwRegistryProblems.rows.empty());
        EXPECT_TRUE(model.lvwRegistryErrorsDetail.rows.empty());
        EXPECT_EQ(model.ScanStartTime, "08:01:02");
        EXPECT_EQ(model.ScanEndTime, "");
        clock.moment = {2024, 3, 9, 8, 3, 4};
    });
    ImgScanNowMouseMove_Click(context);
    EXPECT_TRUE(checkedDuringScan);
    EXPECT_EQ(model.ScanEndTime, "08:03:04");
    EXPECT_TRUE(model.ImgScanNowNormalEnabled);
    EXPECT_FALSE(model.PicScanningVisible);
    EXPECT_TRUE(model.FrameRegistryProblemsDetailsVisible);
    EXPECT_FALSE(model.FrameScanningVisible);
    EXPECT_EQ(model.mousePointer, PointerLook::normal);
    EXPECT_FALSE(model.tmrPicVisibleOrNotEnabled);
    EXPECT_FALSE(model.PicResultsVisible); // nothing found
    for (const auto& entry : model.lvwRegistryvaluesScan)
        EXPECT_FALSE(entry.selected);
}

TEST_F(DriverTest, UnreadableRegistryIsReportedAndNotScanned)
{
    sectionList(11, {2});
    model.lvwRegistryProblems.rows = {"old summary"};
    registry.refuseReads("system.reg: not a Wine registry file");
    model.frontPanel = FrontPanel::results;
    bool busyWhileReading = false;
    registry.whileReading = [&] {
        busyWhileReading = !model.ImgScanNowNormalEnabled && model.frontPanel == FrontPanel::scanning;
    };
    ImgScanNowMouseMove_Click(context);
    EXPECT_TRUE(busyWhileReading) << "no second scan can start while the files are read";
    EXPECT_EQ(host.messageBoxKinds, std::vector<std::string>{"SCAN REFUSED"});
    EXPECT_EQ(host.outcomeTexts,
              std::vector<std::string>{"The registry cannot be scanned: system.reg: not a Wine registry file"});
    EXPECT_EQ(host.yields, 0u);
    EXPECT_EQ(model.lvwRegistryProblems.rows, std::vector<std::string>{"old summary"});
    EXPECT_TRUE(model.ImgScanNowNormalEnabled);
    EXPECT_EQ(model.frontPanel, FrontPanel::results);
    EXPECT_FALSE(model.PicScanningVisible);
}

TEST_F(DriverTest, SectionsRunInOrderWithTheirStatusTexts)
{
    sectionList(11, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    std::vector<std::string> statuses;
    host.onEveryYield([&] {
        if (statuses.empty() || statuses.back() != model.lblStatus)
            statuses.push_back(model.lblStatus);
    });
    ImgScanNowMouseMove_Click(context);
    std::vector<std::string> expected;
    for (const ScanSection& section : FixedScanSections())
        expected.push_back(section.StatusText);
    EXPECT_EQ(statuses, expected);
}

TEST_F(DriverTest, RunKeysOwnValuesAndTheFontsKeyOfThePlatformAreWalked)
{
    registry.setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Tool", "run value");
    registry.setString(HKEY_LOCAL_MACHINE, std::string(kFontsKeyPathNT), "F", "nt font");
    registry.setString(HKEY_LOCAL_MACHINE, std::string(kFontsKeyPathOther), "F", "other font");
    std::vector<std::string> shown;
    host.onEveryYield([&] { shown.push_back(model.lblRegistryFilesScan); });

    sectionList(11, {7, 10});
    ImgScanNowMouseMove_Click(context);
    EXPECT_NE(std::find(shown.begin(), shown.end(), "run value"), shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "nt font"), shown.end());
    EXPECT_EQ(std::find(shown.begin(), shown.end(), "other font"), shown.end());

    shown.clear();
    model.lblRegistryFilesScan.clear();
    registry.setPlatformId(1);
    ImgScanNowMouseMove_Click(context);
    EXPECT_NE(std::find(shown.begin(), shown.end(), "other font"), shown.end());
    EXPECT_EQ(std::find(shown.begin(), shown.end(), "nt font"), shown.end());
}

TEST_F(DriverTest, CountSectionProblemsCountsOneScannerNameExactly)
{
    for (const char* scanner : {"ActiveX \\ COM", "ActiveX \\ COM Subsections", "ActiveX \\ COM", "Help Files",
                                "ActiveX \\ COM", "activex \\ com"})
        addProblem(scanner);
    EXPECT_EQ(CountSectionProblems(context, "ActiveX \\ COM"), 3u);
    EXPECT_EQ(CountSectionProblems(context, "ActiveX \\ COM Subsections"), 1u);
    EXPECT_EQ(CountSectionProblems(context, "VxD Section"), 0u);
    // One yield per row examined.
    EXPECT_EQ(host.yields, 18u);
}

TEST_F(DriverTest, CountsAreNotLimitedToSixteenBits)
{
    for (int i = 0; i < 70000; ++i)
        addProblem("Help Files");
    EXPECT_EQ(CountSectionProblems(context, "Help Files"), 70000u);
}

// Broken shortcuts are counted in one summary row after the drive walks.
TEST_F(DriverTest, ShortcutSummaryRowComesAfterTheSections)
{
    files.addDrive('D', DriveType::fixed);
    sectionList(13, {12, 13});
    host.atYield(1, [&] {
        for (int i = 0; i < 5; ++i)
            model.lvwShortcut.append(ShortcutEntry{"C:\\broken" + std::to_string(i) + ".lnk"});
    });
    ImgScanNowMouseMove_Click(context);
    ASSERT_FALSE(model.lvwRegistryProblems.rows.empty());
    EXPECT_EQ(model.lvwRegistryProblems.rows.back(), "Invalid Windows Shortcut File (5 Problems)");
    EXPECT_EQ(model.lblProblemsFound, "5");
    EXPECT_TRUE(model.PicResultsVisible);
    EXPECT_EQ(model.frontPanel, FrontPanel::results);
}

TEST_F(DriverTest, DriveEntriesShowTheirRootAndOthersFromPositionTwelveArePassedOver)
{
    files.addDrive('D', DriveType::fixed);
    sectionList(11, {});
    model.lvwRegistryvaluesScan.append({"Window Shortcut D", 12, true, false});
    model.lvwRegistryvaluesScan.append({"Something else", 12, true, false});
    std::vector<std::string> statuses;
    host.onEveryYield([&] { statuses.push_back(model.lblStatus); });
    ImgScanNowMouseMove_Click(context);
    ASSERT_EQ(statuses.size(), 13u);
    EXPECT_EQ(statuses[11], " Shortcuts D:\\...");
    EXPECT_EQ(statuses[12], " Shortcuts D:\\...");
}

TEST_F(DriverTest, CancelWithNothingFoundStopsWithoutAQuestion)
{
    sectionList(11, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    host.atYield(3, [&] { ImgScanCancelMouseMove_Click(context); });
    ImgScanNowMouseMove_Click(context);
    EXPECT_TRUE(host.messageBoxKinds.empty());
    EXPECT_TRUE(model.ScanCancelled);
    EXPECT_FALSE(model.cmdCancelOrStopEnabled);
    EXPECT_EQ(host.yields, 3u);
    EXPECT_TRUE(std::none_of(model.lvwRegistryvaluesScan.begin(), model.lvwRegistryvaluesScan.end(),
                             [](const SectionListEntry& e) { return e.selected; }))
        << "the entry the scan stopped in is not left highlighted";
    EXPECT_FALSE(model.PicResultsVisible);
    EXPECT_EQ(model.PicProgressWidth, kPicMainProgressWidth);
    EXPECT_EQ(model.ScanEndTime, "14:05:07");
}

TEST_F(DriverTest, CancelAfterAProblemAsksAndOnlyYesStops)
{
    for (const MessageAnswer answer : {MessageAnswer::no, MessageAnswer::yes}) {
        SCOPED_TRACE(answer == MessageAnswer::yes ? "yes" : "no");
        sectionList(11, {2, 3, 4});
        host.resetCounts();
        host.refreshes = 0;
        model.PicResultsVisible = false;
        host.queueAnswer(answer);
        host.atYield(1, [&] { addProblem("Help Files"); });
        std::size_t entriesWhileAsking = 0;
        host.whileMessageBoxOpen = [&](const std::string&) {
            // The settings change while the question is open; the rebuilt list must show it.
            backend.set("Software Locations", "False");
            entriesWhileAsking = model.lvwRegistryvaluesScan.size();
        };
        std::uint64_t yieldsWhenAnswered = 0;
        host.atYield(2, [&] {
            ImgScanCancelMouseMove_Click(context);
            yieldsWhenAnswered = host.yields; // the rebuild of the list yields too
        });
        std::vector<std::string> statuses;
        host.onEveryYield([&] { statuses.push_back(model.lblStatus); });
        ImgScanNowMouseMove_Click(context);

        EXPECT_EQ(host.messageBoxKinds, std::vector<std::string>{"CANCEL SCANNING"});
        EXPECT_EQ(host.refreshes, 1);
        EXPECT_EQ(entriesWhileAsking, 11u);
        const bool stopped = answer == MessageAnswer::yes;
        EXPECT_EQ(model.ScanCancelled, stopped);
        if (stopped) {
            EXPECT_EQ(host.yields, yieldsWhenAnswered);
            EXPECT_FALSE(model.PicResultsVisible);
        } else {
            // Rebuilt from the settings: every fixed section checked but "Software Locations".
            EXPECT_EQ(model.lvwRegistryvaluesScan.size(), 11u + files.drives().size());
            EXPECT_FALSE(model.lvwRegistryvaluesScan[3].checked);
            EXPECT_NE(std::find(statuses.begin(), statuses.end(), " Configuration files..."), statuses.end());
            EXPECT_EQ(std::find(statuses.begin(), statuses.end(), " Software Locations...."), statuses.end());
            EXPECT_TRUE(model.PicResultsVisible);
        }
        backend = test::MemorySettings{};
    }
}

TEST_F(DriverTest, CancelledScanStillWritesTheReport)
{
    backend.set("chkMakeLogFile", "1");
    sectionList(11, {2});
    host.atYield(1, [&] {
        addProblem("ActiveX \\ COM");
        host.queueAnswer(MessageAnswer::yes);
        ImgScanCancelMouseMove_Click(context);
    });
    ImgScanNowMouseMove_Click(context);
    const auto report = files.content("C:\\Program Files\\Tessivar\\ScanReport.txt");
    ASSERT_TRUE(report.has_value());
    EXPECT_NE(report->find("Total numbers of problems detected : 1\r\n"), std::string::npos);
    EXPECT_NE(report->find("finished scanning at 14:05:07"), std::string::npos);
}

// The cancel question may rebuild a list that is now shorter (a drive went away); the loop keeps
// its count and passes over the positions that no longer exist.
TEST_F(DriverTest, SectionListShrinkingDuringTheScanIsSafe)
{
    files.addDrive('D', DriveType::fixed);
    files.addDrive('E', DriveType::fixed);
    sectionList(14, {1, 12, 13, 14});
    host.atYield(2, [&] {
        auto rows = model.lvwRegistryvaluesScan.get();
        rows.resize(11);
        model.lvwRegistryvaluesScan.assign(rows);
    });
    ImgScanNowMouseMove_Click(context);
    EXPECT_EQ(host.yields, 14u);
}

} // namespace
} // namespace tessivar
