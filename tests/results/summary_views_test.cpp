#include <gtest/gtest.h>

#include "results/summary_views.h"
#include "support/fake_host.h"

namespace tessivar {
namespace {

using test::FakeHost;

ProblemEntry problem(std::string scanner, std::string path)
{
    ProblemEntry entry;
    entry.MainKey = "-2147483646";
    entry.KeyName = "(Default)";
    entry.KeyValue = std::move(path);
    entry.RegistryScanners = std::move(scanner);
    entry.FullKeyPath = "SOFTWARE\\x";
    entry.mainkeyname = "HKEY_LOCAL_MACHINE";
    return entry;
}

struct RowCase {
    const char* scanner;
    std::size_t count;
    const char* row;
};

class SummaryRow : public ::testing::TestWithParam<RowCase> {};

TEST_P(SummaryRow, TextIsExactToTheBlank)
{
    ScanModel model;
    AddSectionSummary(model, GetParam().count, GetParam().scanner);
    ASSERT_EQ(model.lvwRegistryProblems.rows.size(), 1u);
    EXPECT_EQ(model.lvwRegistryProblems.rows[0], GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, SummaryRow,
    ::testing::Values(RowCase{"ActiveX \\ COM", 1, "Invalid Custom Controls ( 1 Problem(s) )"},
                      RowCase{"ActiveX \\ COM Subsections", 12, "Invalid Sub Section Controls ( 12 Problem(s) )"},
                      RowCase{"Application Paths", 7, "Invalid Software Locations ( 7 Problem(s) )"},
                      RowCase{"Help Files", 2, "Invalid Help Files ( 2 Problem(s) )"},
                      RowCase{"Microsoft Shared", 4, "Invalid Shared Files ( 4 Problem(s) )"},
                      RowCase{"Windows Startup", 3, "Invalid Windows Startup Files  ( 3 Problem(s) )"},
                      RowCase{"Uninstall Section", 5, "Invalid Uninstall Section File  ( 5 Problem(s) )"},
                      RowCase{"VxD Section", 6, "Invalid Virtual Devices ( 6 Problem(s) )"},
                      RowCase{"Windows Fonts", 9, "Invalid Windows Fonts (  9 Problem(s) )"},
                      // Counts are not limited to 16 bits.
                      RowCase{"Application Paths", 70000, "Invalid Software Locations ( 70000 Problem(s) )"}));

TEST(SummaryRows, ZeroCountOrUnknownScannerAddsNothing)
{
    ScanModel model;
    AddSectionSummary(model, 0, "Help Files");
    AddSectionSummary(model, 3, "help files");
    AddSectionSummary(model, 3, "ActiveX \\COM");
    AddSectionSummary(model, 3, "");
    EXPECT_TRUE(model.lvwRegistryProblems.rows.empty());
}

TEST(SummaryRows, ShortcutAndDetailTexts)
{
    EXPECT_EQ(ShortcutSummaryRow(2), "Invalid Windows Shortcut File (2 Problems)");
    EXPECT_EQ(ProblemDetailRow("C:\\x.dll"), "This file could not be found on your hard drive:C:\\x.dll");
    EXPECT_EQ(ShortcutDetailRow("C:\\a.lnk"), "The path of this file is incorrect : C:\\a.lnk");
}

TEST(SummaryRows, EveryPhraseStandsInExactlyOneRow)
{
    std::vector<std::string> rows;
    for (const auto& group : kSummaryPhrases)
        rows.push_back(*SectionSummaryRow(group.scannerName, 1));
    rows.push_back(ShortcutSummaryRow(1));
    std::vector<std::string_view> phrases;
    for (const auto& group : kSummaryPhrases)
        phrases.push_back(group.phrase);
    phrases.push_back(kShortcutSummaryPhrase);
    for (std::size_t p = 0; p < phrases.size(); ++p) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            std::string upperRow = rows[r], upperPhrase(phrases[p]);
            for (auto* s : {&upperRow, &upperPhrase})
                for (auto& c : *s)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_EQ(upperRow.find(upperPhrase) != std::string::npos, p == r)
                << "phrase '" << phrases[p] << "' in row '" << rows[r] << "'";
        }
    }
}

class GroupDetails : public ::testing::Test {
protected:
    ScanModel model;
    FakeHost host;

    GroupDetails()
    {
        // The same class found under both CLSID roots, plus other groups in between.
        model.lvwErrors.append(problem("ActiveX \\ COM", "C:\\a.dll"));
        model.lvwErrors.append(problem("Application Paths", "C:\\app.exe"));
        model.lvwErrors.append(problem("ActiveX \\ COM Subsections", "C:\\a.dll"));
        model.lvwErrors.append(problem("ActiveX \\ COM", "C:\\b.ocx"));
        model.lvwErrors.append(problem("Windows Startup", "C:\\run.exe"));
        model.lvwShortcut.append(ShortcutEntry{"C:\\Users\\x\\Desktop\\one.lnk"});
        model.lvwShortcut.append(ShortcutEntry{"C:\\Users\\x\\Desktop\\two.lnk"});
        AddSectionSummary(model, model.lvwErrors.countScanner("ActiveX \\ COM"), "ActiveX \\ COM");
        AddSectionSummary(model, model.lvwErrors.countScanner("ActiveX \\ COM Subsections"),
                          "ActiveX \\ COM Subsections");
        AddSectionSummary(model, model.lvwErrors.countScanner("Application Paths"), "Application Paths");
        AddSectionSummary(model, model.lvwErrors.countScanner("Windows Startup"), "Windows Startup");
        model.lvwRegistryProblems.rows.append(ShortcutSummaryRow(model.lvwShortcut.count()));
    }
    void click(std::size_t row)
    {
        model.lvwRegistryProblems.selectedRow = static_cast<int>(row);
        ShowGroupDetails(model, host, row);
    }
    const std::vector<std::string>& details() const { return model.lvwRegistryErrorsDetail.rows; }
};

TEST_F(GroupDetails, SummaryCountsEachRootSeparately)
{
    EXPECT_EQ(model.lvwRegistryProblems.rows,
              (std::vector<std::string>{"Invalid Custom Controls ( 2 Problem(s) )",
                                        "Invalid Sub Section Controls ( 1 Problem(s) )",
                                        "Invalid Software Locations ( 1 Problem(s) )",
                                        "Invalid Windows Startup Files  ( 1 Problem(s) )",
                                        "Invalid Windows Shortcut File (2 Problems)"}));
}

TEST_F(GroupDetails, ClickListsOnlyTheGroupsOwnScannerInListOrder)
{
    click(0);
    EXPECT_EQ(details(), (std::vector<std::string>{"This file could not be found on your hard drive:C:\\a.dll",
                                                   "This file could not be found on your hard drive:C:\\b.ocx"}));
    click(1);
    EXPECT_EQ(details(), (std::vector<std::string>{"This file could not be found on your hard drive:C:\\a.dll"}));
    click(3);
    EXPECT_EQ(details(), (std::vector<std::string>{"This file could not be found on your hard drive:C:\\run.exe"}));
}

TEST_F(GroupDetails, ShortcutRowListsEveryBrokenShortcutInOrder)
{
    click(4);
    EXPECT_EQ(details(), (std::vector<std::string>{
                             "The path of this file is incorrect : C:\\Users\\x\\Desktop\\one.lnk",
                             "The path of this file is incorrect : C:\\Users\\x\\Desktop\\two.lnk"}));
}

TEST_F(GroupDetails, SameRowTwiceShowsTheRowsOnce)
{
    click(0);
    click(0);
    EXPECT_EQ(details().size(), 2u);
}

TEST_F(GroupDetails, NothingHappensWithoutASelectedRow)
{
    model.lvwRegistryErrorsDetail.rows = {"old"};
    model.lvwRegistryProblems.selectedRow = -1;
    ShowGroupDetails(model, host, 0);
    EXPECT_EQ(details(), std::vector<std::string>{"old"});
    model.lvwRegistryProblems.selectedRow = 99;
    ShowGroupDetails(model, host, 0);
    EXPECT_EQ(details(), std::vector<std::string>{"old"});
    model.lvwRegistryProblems.selectedRow = 0;
    ShowGroupDetails(model, host, 99);
    EXPECT_EQ(details(), std::vector<std::string>{"old"});
}

TEST_F(GroupDetails, RowWithoutAPhraseLeavesTheDetailsEmpty)
{
    model.lvwRegistryErrorsDetail.rows = {"old"};
    model.lvwRegistryProblems.rows.append("Something else ( 3 Problem(s) )");
    click(5);
    EXPECT_TRUE(details().empty());
}

TEST_F(GroupDetails, EveryPhraseIsTestedAndCaseAndBlanksDoNotMatter)
{
    // A hand-made row naming two groups lists both, in phrase order.
    model.lvwRegistryProblems.rows.append("  windows startup and software locations  ");
    click(5);
    EXPECT_EQ(details(), (std::vector<std::string>{"This file could not be found on your hard drive:C:\\app.exe",
                                                   "This file could not be found on your hard drive:C:\\run.exe"}));
}

TEST_F(GroupDetails, FillYieldsAfterEveryEntryExamined)
{
    click(1);
    EXPECT_EQ(host.yields, model.lvwErrors.count());
    host.resetCounts();
    click(4);
    EXPECT_EQ(host.yields, model.lvwShortcut.count());
}

TEST_F(GroupDetails, ListsEmptiedDuringAYieldAreNotReadPastTheirEnd)
{
    host.atYield(2, [&] {
        model.lvwErrors.clear();
        model.lvwShortcut.clear();
    });
    click(0);
    EXPECT_EQ(details().size(), 1u);
    host.resetCounts();
    model.lvwShortcut.append(ShortcutEntry{"C:\\x.lnk"});
    model.lvwShortcut.append(ShortcutEntry{"C:\\y.lnk"});
    host.atYield(1, [&] { model.lvwShortcut.clear(); });
    click(4);
    EXPECT_EQ(details().size(), 1u);
}

TEST_F(GroupDetails, ANewerClickDuringAFillStopsTheOlderOne)
{
    // Without this, the first group's remaining rows would be appended after the second's.
    host.atYield(1, [&] { click(3); });
    click(0);
    EXPECT_EQ(details(), (std::vector<std::string>{"This file could not be found on your hard drive:C:\\run.exe"}));
}

TEST(HeaderSorting, TwoClicksSortOneWayThenTheOther)
{
    TextList list;
    list.rows = {"b", "C", "a", "B"};
    list.selectedRow = 1; // "C"
    SortByColumnHeader(list, 0);
    EXPECT_TRUE(list.sorted);
    EXPECT_EQ(list.sortKey, 0);
    EXPECT_EQ(list.sortOrder, SortOrder::ascending);
    EXPECT_EQ(list.rows, (std::vector<std::string>{"a", "B", "b", "C"}));
    EXPECT_EQ(list.rows[static_cast<std::size_t>(list.selectedRow)], "C");
    SortByColumnHeader(list, 0);
    EXPECT_EQ(list.sortOrder, SortOrder::descending);
    EXPECT_EQ(list.rows, (std::vector<std::string>{"C", "b", "B", "a"}));
    EXPECT_EQ(list.rows[static_cast<std::size_t>(list.selectedRow)], "C");
    SortByColumnHeader(list, 0);
    EXPECT_EQ(list.sortOrder, SortOrder::ascending);
}

TEST(HeaderSorting, RowsAddedToASortedListTakeTheirPlace)
{
    ScanModel model;
    lvwRegistryProblems_ColumnClick(model, 0);
    lvwRegistryProblems_ColumnClick(model, 0);
    ASSERT_EQ(model.lvwRegistryProblems.sortOrder, SortOrder::descending);
    AddSectionSummary(model, 1, "Help Files");
    AddSectionSummary(model, 1, "Windows Fonts");
    AddSectionSummary(model, 1, "ActiveX \\ COM");
    EXPECT_EQ(model.lvwRegistryProblems.rows,
              (std::vector<std::string>{"Invalid Windows Fonts (  1 Problem(s) )", "Invalid Help Files ( 1 Problem(s) )",
                                        "Invalid Custom Controls ( 1 Problem(s) )"}));

    lvwRegistryErrorsDetail_ColumnClick(model, 0);
    AddListRow(model.lvwRegistryErrorsDetail, "z");
    AddListRow(model.lvwRegistryErrorsDetail, "m");
    EXPECT_EQ(model.lvwRegistryErrorsDetail.rows, (std::vector<std::string>{"m", "z"}));
}

} // namespace
} // namespace tessivar
