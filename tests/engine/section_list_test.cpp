#include "engine/section_list.h"
#include "settings/setting_keys.h"
#include "support/null_platform.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

using test::TestContext;

const std::vector<std::string> kFixedTexts{"Registry Integrity", "Custom Controls",    "Sub Section Controls",
                                           "Software Locations", "Help Files",         "Shared Files",
                                           "Windows Startup",    "Uninstall Section",  "Virtual Devices",
                                           "Windows Fonts",      "Configuration files"};

class SectionList : public ::testing::Test {
  protected:
    TestContext t;
    SectionList()
    {
        t.files.driveList = {
            {'A', DriveType::removable, true}, {'C', DriveType::fixed, true}, {'D', DriveType::cdrom, true}};
    }
    std::vector<bool> checks() const
    {
        std::vector<bool> result;
        for (const auto& entry : t.model.lvwRegistryvaluesScan)
            result.push_back(entry.checked);
        return result;
    }
    // What a start of the main window does: the box first, then the list.
    void startUp()
    {
        RestoreSelectAllBox(t.context);
        LoadlvwRegistryvaluesScanValues(t.context);
    }
    std::optional<std::string> stored(std::string_view key) const { return t.backend.get(key); }
};

TEST_F(SectionList, BuildsFixedSectionsThenOneEntryPerFixedDrive)
{
    t.files.driveList.push_back({'E', DriveType::fixed, false});
    LoadlvwRegistryvaluesScanValues(t.context);
    const auto& list = t.model.lvwRegistryvaluesScan;
    ASSERT_EQ(list.size(), 13u);
    for (std::size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(list[i].ListText, kFixedTexts[i]);
        EXPECT_EQ(list[i].SmallIcon, static_cast<int>(i + 1));
    }
    EXPECT_EQ(list[11].ListText, "Window Shortcut C");
    EXPECT_EQ(list[12].ListText, "Window Shortcut E");
    EXPECT_EQ(list[11].SmallIcon, 12);
    // One yield per drive listed, one per entry.
    EXPECT_EQ(t.host.yields, 4u + 13u);
}

TEST_F(SectionList, NoDriveListGivesTheElevenFixedEntries)
{
    t.files.driveList.clear();
    LoadlvwRegistryvaluesScanValues(t.context);
    EXPECT_EQ(t.model.lvwRegistryvaluesScan.size(), 11u);
}

TEST_F(SectionList, FirstStartChecksEverythingAndStoresTheBoxAtOnce)
{
    startUp();
    EXPECT_EQ(checks(), std::vector<bool>(12, true));
    EXPECT_EQ(t.model.chkSelectlistviewItems, CheckState::checked);
    EXPECT_EQ(stored(kChkSelectlistviewItems), "1");
    ASSERT_EQ(t.backend.writes.size(), 1u) << "no other key is written at start-up";
}

struct RestoreCase {
    const char* storedText;
    CheckState box;
    std::optional<std::string> writtenBack; // nullopt: nothing written
};

class SectionListRestore : public SectionList, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(SectionListRestore, BoxFollowsTheStoredNumber)
{
    t.backend.set(kChkSelectlistviewItems, GetParam().storedText);
    startUp();
    EXPECT_EQ(t.model.chkSelectlistviewItems, GetParam().box);
    if (GetParam().writtenBack)
        EXPECT_EQ(t.backend.writesOf(kChkSelectlistviewItems), std::vector<std::string>{*GetParam().writtenBack});
    else
        EXPECT_TRUE(t.backend.writes.empty());
    EXPECT_EQ(checks(), std::vector<bool>(12, true)) << "the box restored first finds no entries to change";
}

INSTANTIATE_TEST_SUITE_P(Stored, SectionListRestore,
                         ::testing::Values(RestoreCase{"2", CheckState::grayed, "1"},
                                           RestoreCase{"1", CheckState::checked, "1"},
                                           RestoreCase{"0", CheckState::unchecked, std::nullopt},
                                           RestoreCase{"3", CheckState::unchecked, std::nullopt},
                                           RestoreCase{"abc", CheckState::unchecked, std::nullopt}));

struct StoredEntryCase {
    const char* text;
    bool checked;
};

class SectionListStoredEntry : public SectionList, public ::testing::WithParamInterface<StoredEntryCase> {};

TEST_P(SectionListStoredEntry, EntryStateIsReadAsABoolean)
{
    t.backend.set("Help Files", GetParam().text);
    LoadlvwRegistryvaluesScanValues(t.context);
    EXPECT_EQ(t.model.lvwRegistryvaluesScan[4].checked, GetParam().checked) << "'" << GetParam().text << "'";
    EXPECT_TRUE(t.model.lvwRegistryvaluesScan[3].checked) << "a missing key means checked";
}

INSTANTIATE_TEST_SUITE_P(Texts, SectionListStoredEntry,
                         ::testing::Values(StoredEntryCase{"True", true}, StoredEntryCase{"False", false},
                                           StoredEntryCase{"true", true}, StoredEntryCase{"FALSE", false},
                                           StoredEntryCase{"1", true}, StoredEntryCase{"-1", true},
                                           StoredEntryCase{"0", false}, StoredEntryCase{"maybe", false},
                                           StoredEntryCase{"", false}));

// A drive whose folder lies outside the prefix is unchecked unless the user chose it.
TEST_F(SectionList, DriveOutsideThePrefixIsCheckedOnlyByAStoredChoice)
{
    t.files.driveList.push_back({'Z', DriveType::fixed, true, false});
    for (const auto& [storedText, checked] :
         {std::pair<const char*, bool>{nullptr, false}, {"True", true}, {"False", false}}) {
        if (storedText)
            t.backend.set("Window Shortcut Z", storedText);
        LoadlvwRegistryvaluesScanValues(t.context);
        ASSERT_EQ(t.model.lvwRegistryvaluesScan.size(), 13u);
        EXPECT_EQ(t.model.lvwRegistryvaluesScan[12].ListText, "Window Shortcut Z");
        EXPECT_EQ(t.model.lvwRegistryvaluesScan[12].checked, checked) << (storedText ? storedText : "nothing stored");
        EXPECT_TRUE(t.model.lvwRegistryvaluesScan[11].checked) << "C: is inside";
    }
}

// The select-all box checks what lies in the prefix; a drive outside it is the user's own choice.
TEST_F(SectionList, SelectAllLeavesADriveOutsideThePrefixAsItIs)
{
    t.files.driveList.push_back({'Z', DriveType::fixed, true, false});
    startUp();
    EXPECT_EQ(t.model.chkSelectlistviewItems, CheckState::checked) << "every entry it governs is checked";
    EXPECT_FALSE(t.model.lvwRegistryvaluesScan[12].checked);
    EXPECT_FALSE(stored("Window Shortcut Z")) << "nothing stored for it";
    lvwRegistryvaluesScan_ItemCheck(t.context, 12, true);
    EXPECT_EQ(stored("Window Shortcut Z"), "True");
    SetSelectAllBox(t.context, CheckState::unchecked);
    EXPECT_FALSE(t.model.lvwRegistryvaluesScan[12].checked) << "unchecking all unchecks it too";
}

TEST_F(SectionList, UncheckingOneOfTwelveGraysTheBoxAndSavesEveryEntry)
{
    startUp();
    t.backend.writes.clear();
    lvwRegistryvaluesScan_ItemCheck(t.context, 4, false);
    EXPECT_EQ(t.model.chkSelectlistviewItems, CheckState::grayed);
    EXPECT_EQ(t.backend.writesOf(kChkSelectlistviewItems), std::vector<std::string>{"1"});
    EXPECT_EQ(stored("Help Files"), "False");
    EXPECT_EQ(stored("Window Shortcut C"), "True");
    EXPECT_EQ(t.backend.writes.size(), 1u + 12u);
    EXPECT_TRUE(t.model.mainWindowEnabled);
    EXPECT_FALSE(t.model.UpdatingSelectAll);
    EXPECT_EQ(checks()[3], true) << "the other entries stay as they were";
}

TEST_F(SectionList, UncheckingTheLastCheckedEntryUnchecksTheBox)
{
    t.backend.set(kChkSelectlistviewItems, "2");
    for (const auto& text : kFixedTexts)
        t.backend.set(text, "False");
    startUp();
    ASSERT_EQ(t.model.chkSelectlistviewItems, CheckState::grayed);
    lvwRegistryvaluesScan_ItemClick(t.context, 11);
    EXPECT_EQ(t.model.chkSelectlistviewItems, CheckState::unchecked);
    EXPECT_EQ(stored(kChkSelectlistviewItems), "0");
    EXPECT_EQ(stored("Window Shortcut C"), "False");
    EXPECT_EQ(checks(), std::vector<bool>(12, false)) << "the box set by the program changes no entry";
}

TEST_F(SectionList, CheckingTheLastUncheckedEntryChecksTheBox)
{
    t.backend.set("Help Files", "False");
    t.backend.set(kChkSelectlistviewItems, "2");
    startUp();
    lvwRegistryvaluesScan_ItemClick(t.context, 4);
    EXPECT_EQ(t.model.chkSelectlistviewItems, CheckState::checked);
    EXPECT_EQ(stored("Help Files"), "True");
    EXPECT_EQ(stored(kChkSelectlistviewItems), "1");
}

TEST_F(SectionList, ItemClickTogglesExactlyOnce)
{
    startUp();
    lvwRegistryvaluesScan_ItemClick(t.context, 0);
    EXPECT_FALSE(t.model.lvwRegistryvaluesScan[0].checked);
    lvwRegistryvaluesScan_ItemClick(t.context, 0);
    EXPECT_TRUE(t.model.lvwRegistryvaluesScan[0].checked);
    EXPECT_EQ(stored("Registry Integrity"), "True");
    EXPECT_EQ(t.model.chkSelectlistviewItems, CheckState::checked);
}

TEST_F(SectionList, ClickOrCheckPastTheEndChangesNothing)
{
    startUp();
    t.backend.writes.clear();
    lvwRegistryvaluesScan_ItemClick(t.context, 12);
    lvwRegistryvaluesScan_ItemCheck(t.context, 99, false);
    EXPECT_TRUE(t.backend.writes.empty());
}

TEST_F(SectionList, SelectAllOffUnchecksAndStoresEveryEntryIncludingDrives)
{
    t.files.driveList.push_back({'F', DriveType::fixed, true});
    startUp();
    t.backend.writes.clear();
    t.host.resetCounts();
    SetSelectAllBox(t.context, CheckState::unchecked);
    EXPECT_EQ(checks(), std::vector<bool>(13, false));
    EXPECT_EQ(stored(kChkSelectlistviewItems), "0");
    EXPECT_EQ(stored("Window Shortcut C"), "False");
    EXPECT_EQ(stored("Window Shortcut F"), "False");
    EXPECT_EQ(stored("Configuration files"), "False");
    EXPECT_EQ(t.host.yields, 13u) << "the select-all action yields after each entry";

    SetSelectAllBox(t.context, CheckState::checked);
    EXPECT_EQ(checks(), std::vector<bool>(13, true));
    EXPECT_EQ(stored("Window Shortcut F"), "True");
    EXPECT_EQ(stored(kChkSelectlistviewItems), "1");
}

TEST_F(SectionList, GrayedByTheUserUnchecksEveryEntryButStoresOne)
{
    startUp();
    SetSelectAllBox(t.context, CheckState::grayed);
    EXPECT_EQ(checks(), std::vector<bool>(12, false));
    EXPECT_EQ(stored(kChkSelectlistviewItems), "1");
}

TEST_F(SectionList, SettingTheBoxToItsOwnStateRaisesNoClick)
{
    startUp();
    t.backend.writes.clear();
    SetSelectAllBox(t.context, CheckState::checked);
    EXPECT_TRUE(t.backend.writes.empty());
}

TEST_F(SectionList, EmptyListLeavesTheBoxUnchecked)
{
    t.model.chkSelectlistviewItems = CheckState::checked;
    UpdateSelectAllBox(t.context);
    EXPECT_EQ(t.model.chkSelectlistviewItems, CheckState::unchecked);
    EXPECT_EQ(stored(kChkSelectlistviewItems), "0");
}

TEST_F(SectionList, UpdateStopsLookingOnceBothStatesWereSeen)
{
    t.backend.set("Custom Controls", "False");
    LoadlvwRegistryvaluesScanValues(t.context);
    t.host.resetCounts();
    UpdateSelectAllBox(t.context);
    EXPECT_EQ(t.model.chkSelectlistviewItems, CheckState::grayed);
    EXPECT_EQ(t.host.yields, 2u);
}

TEST_F(SectionList, RebuildShowsTheSameChoicesAndLeavesStaleDriveKeysAlone)
{
    t.backend.set("Window Shortcut Q", "False");
    startUp();
    lvwRegistryvaluesScan_ItemClick(t.context, 6);
    const auto before = checks();
    LoadlvwRegistryvaluesScanValues(t.context);
    EXPECT_EQ(checks(), before);
    EXPECT_EQ(stored("Window Shortcut Q"), "False") << "a vanished drive's key stays in the store";
    for (const auto& entry : t.model.lvwRegistryvaluesScan)
        EXPECT_NE(entry.ListText, "Window Shortcut Q");
}

TEST_F(SectionList, RefreshTimerRebuildsOnlyWhenNoScanRuns)
{
    test::FakeHost& host = t.host;
    ScanContext& context = t.context;

    t.model.tmrRefreshlvwContentsEnabled = true;
    t.model.ImgScanNowNormalEnabled = false;
    tmrRefreshlvwContents_Timer(context);
    EXPECT_FALSE(t.model.tmrRefreshlvwContentsEnabled);
    EXPECT_EQ(host.picRefreshes, 1);
    EXPECT_TRUE(t.model.lvwRegistryvaluesScan.empty()) << "no rebuild during a scan";

    t.model.ImgScanNowNormalEnabled = true;
    t.model.tmrRefreshlvwContentsEnabled = true;
    tmrRefreshlvwContents_Timer(context);
    EXPECT_FALSE(t.model.tmrRefreshlvwContentsEnabled);
    EXPECT_EQ(host.picRefreshes, 2);
    EXPECT_EQ(t.model.lvwRegistryvaluesScan.size(), 12u);
    EXPECT_EQ(host.idleResets, 1) << "a rebuild puts the buttons back to their idle look";
}

TEST_F(SectionList, ListRebuiltOrEmptiedDuringAYieldIsNeverReadPastItsEnd)
{
    // A resize during a long loop rebuilds or clears the list under the loop's feet.
    startUp();
    t.host.resetCounts();
    t.host.atYield(3, [&] { t.model.lvwRegistryvaluesScan.clear(); });
    SetSelectAllBox(t.context, CheckState::unchecked);
    EXPECT_TRUE(t.model.lvwRegistryvaluesScan.empty());

    t.host.resetCounts();
    t.host.atYield(2, [&] {
        auto rows = t.model.lvwRegistryvaluesScan.get();
        rows.resize(1);
        t.model.lvwRegistryvaluesScan.assign(rows);
    });
    LoadlvwRegistryvaluesScanValues(t.context);
    EXPECT_EQ(t.model.lvwRegistryvaluesScan.size(), 1u);

    LoadlvwRegistryvaluesScanValues(t.context);
    t.host.resetCounts();
    t.host.atYield(1, [&] { t.model.lvwRegistryvaluesScan.clear(); });
    UpdateSelectAllBox(t.context);
    EXPECT_FALSE(t.model.UpdatingSelectAll);
}

} // namespace
} // namespace tessivar
