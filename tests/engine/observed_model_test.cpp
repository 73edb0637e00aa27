#include "engine/scan_model.h"
#include "results/summary_views.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace tessivar {
namespace {

// Records every announcement as text, in order.
struct RecordingObserver : ModelObserver {
    std::vector<std::string> seen;
    void partChanged(ModelPart part) override { seen.push_back("part " + std::to_string(static_cast<int>(part))); }
    void rowsChanged(ModelPart list, RowChange change, std::size_t first, std::size_t count) override
    {
        seen.push_back("rows " + std::to_string(static_cast<int>(list)) + " " +
                       std::to_string(static_cast<int>(change)) + " " + std::to_string(first) + " " +
                       std::to_string(count));
    }
};

std::string part(ModelPart p)
{
    return "part " + std::to_string(static_cast<int>(p));
}

std::string rows(ModelPart list, RowChange change, std::size_t first, std::size_t count)
{
    return "rows " + std::to_string(static_cast<int>(list)) + " " + std::to_string(static_cast<int>(change)) + " " +
           std::to_string(first) + " " + std::to_string(count);
}

struct ObservedModel : ::testing::Test {
    ScanModel model;
    RecordingObserver observer;
    void SetUp() override { model.setObserver(&observer); }
};

TEST_F(ObservedModel, AScalarAnnouncesAChangeOnceAndAnEqualValueNotAtAll)
{
    model.lblStatus = "Scanning";
    model.lblStatus = std::string("Scanning");
    model.PicBugVisible = true;
    model.PicBugVisible = true;
    model.lblRegistryScan.assign(std::string_view("Key"));
    model.lblRegistryScan.assign(std::string_view("Key"));
    model.lblProblemsFound = "0"; // its starting value
    EXPECT_EQ(observer.seen, (std::vector<std::string>{part(ModelPart::lblStatus), part(ModelPart::PicBugVisible),
                                                       part(ModelPart::lblRegistryScan)}));
    EXPECT_EQ(model.lblStatus, "Scanning");
}

TEST_F(ObservedModel, EachListChangeIsAnnouncedWithItsRows)
{
    model.lvwErrors.append(ProblemEntry{});
    model.lvwErrors.append(ProblemEntry{});
    model.lvwErrors.removeFirst();
    model.lvwErrors.clear();
    model.lvwErrors.clear(); // already empty
    model.lvwShortcut.append(ShortcutEntry{"C:\\a.lnk"});
    model.lvwRegistryvaluesScan.append(SectionListEntry{"ActiveX", 1});
    model.lvwRegistryvaluesScan.update(0, [](SectionListEntry& entry) { entry.checked = true; });
    EXPECT_EQ(observer.seen, (std::vector<std::string>{
                                 rows(ModelPart::lvwErrors, RowChange::appended, 0, 1),
                                 rows(ModelPart::lvwErrors, RowChange::appended, 1, 1),
                                 rows(ModelPart::lvwErrors, RowChange::removed, 0, 1),
                                 rows(ModelPart::lvwErrors, RowChange::reset, 0, 0),
                                 rows(ModelPart::lvwShortcut, RowChange::appended, 0, 1),
                                 rows(ModelPart::lvwRegistryvaluesScan, RowChange::appended, 0, 1),
                                 rows(ModelPart::lvwRegistryvaluesScan, RowChange::changed, 0, 1),
                             }));
}

TEST_F(ObservedModel, ASortedListAnnouncesWhereARowWentAndASortAsAReset)
{
    TextList& summary = model.lvwRegistryProblems;
    AddListRow(summary, "b");
    AddListRow(summary, "d");
    summary.selectedRow = 1;
    lvwRegistryProblems_ColumnClick(model, 0); // ascending
    observer.seen.clear();
    AddListRow(summary, "c");
    EXPECT_EQ(observer.seen, (std::vector<std::string>{rows(ModelPart::lvwRegistryProblems, RowChange::inserted, 1, 1),
                                                       part(ModelPart::lvwRegistryProblemsSelectedRow)}));
    EXPECT_EQ(summary.rows, (std::vector<std::string>{"b", "c", "d"}));
    observer.seen.clear();
    lvwRegistryProblems_ColumnClick(model, 0); // descending
    EXPECT_EQ(observer.seen, (std::vector<std::string>{rows(ModelPart::lvwRegistryProblems, RowChange::reset, 0, 0),
                                                       part(ModelPart::lvwRegistryProblemsSelectedRow)}));
}

TEST(ObservedModelWithoutObserver, ChangesAreKeptAndNothingIsCalled)
{
    ScanModel model;
    model.lblStatus = "x";
    model.lvwErrors.append(ProblemEntry{});
    EXPECT_EQ(model.lblStatus, "x");
    EXPECT_EQ(model.lvwErrors.count(), 1u);
    EXPECT_EQ(model.observer(), nullptr);
}

} // namespace
} // namespace tessivar
