#include "shell/tray_menu.h"
#include "support/fake_desktop.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

// The main window as the menu sees it: it records what it was asked, in order.
class FakeMainWindow : public TrayMenuOwner {
  public:
    bool visible = false;
    bool scanIdle = true;
    MessageAnswer answer = MessageAnswer::no;
    std::vector<std::string> calls;

    void showNormal() override
    {
        visible = true;
        calls.emplace_back("show");
    }
    bool isVisible() const override { return visible; }
    bool ImgScanNowNormalEnabled() const override { return scanIdle; }
    void RefreshThePicControls() override { calls.emplace_back("refresh"); }
    void LoadlvwRegistryvaluesScanValues() override { calls.emplace_back("sections"); }
    void ImgScanNowMouseMove_Click() override { calls.emplace_back("scan"); }
    void startTmrSettings() override { calls.emplace_back("tmrSettings"); }
    void HideToTray() override
    {
        visible = false;
        calls.emplace_back("hide");
    }
    void RemoveIcon() override { calls.emplace_back("removeIcon"); }
    void endProgram() override { calls.emplace_back("end"); }
    MessageAnswer showMessageBox(MessageKind kind) override
    {
        calls.push_back("box " + std::string(MessageRequestText(kind)));
        return answer;
    }
};

class FakePointer : public MousePointer {
  public:
    PointerShape shape = PointerShape::Hourglass;
    void setPointer(PointerShape s) override { shape = s; }
};

struct MenuFixture {
    FakeMainWindow main;
    test::FakeScreen screen;
    FakePointer pointer;
    frmMenuPopUp menu{main, screen, pointer};

    // Runs the rising timer until it stops; the number of ticks.
    int rise()
    {
        int ticks = 0;
        while (menu.tmrMenuPopup.Enabled) {
            menu.tmrMenuPopup_Timer();
            ++ticks;
        }
        return ticks;
    }
};

TEST(frmMenuPopUp, PlacesItselfOnTheTaskBarAtTheRightEdge)
{
    MenuFixture f;
    f.menu.showFromTray();
    EXPECT_EQ(f.menu.TaskbarHeight, 435);
    EXPECT_EQ(f.menu.ScreenHeight, 11136);
    EXPECT_FLOAT_EQ(f.menu.Top, 10701);
    EXPECT_FLOAT_EQ(f.menu.Left, 13038.9f);
    EXPECT_EQ(f.menu.TargetTop, 8996);
    EXPECT_TRUE(f.menu.Visible && f.menu.tmrMenuPopup.Enabled);
    EXPECT_EQ(f.menu.tmrMenuPopup.Interval, 1);

    // No task bar found: the menu starts at the screen's bottom.
    MenuFixture g;
    g.screen.metrics = {1024, 768, 0};
    g.menu.Form_Load();
    EXPECT_FLOAT_EQ(g.menu.Top, 11136);
}

TEST(frmMenuPopUp, RisesByEightyThenWaitsThenSinksByFortyUntilTheFixedLimit)
{
    MenuFixture f;
    f.menu.Form_Load();
    // 10701 - 21 * 80 = 9021 is still above 8996: the 22nd tick reaches 8941, the 23rd stops.
    EXPECT_EQ(f.rise(), 23);
    EXPECT_FLOAT_EQ(f.menu.Top, 8941);
    EXPECT_TRUE(f.menu.TmrEnablePopDown.Enabled);
    EXPECT_EQ(f.menu.TmrEnablePopDown.Interval, 10000);

    f.menu.TmrEnablePopDown_Timer();
    EXPECT_FALSE(f.menu.TmrEnablePopDown.Enabled);
    ASSERT_TRUE(f.menu.tmrPopDown.Enabled);
    int ticks = 0;
    while (f.menu.tmrPopDown.Enabled) {
        f.menu.tmrPopDown_Timer();
        ++ticks;
    }
    EXPECT_EQ(ticks, 56); // 8941 + 56 * 40 = 11181 is the first top beyond 11167
    EXPECT_FALSE(f.menu.Loaded || f.menu.Visible);
}

TEST(frmMenuPopUp, OnATallScreenTheFirstSinkingStepUnloads)
{
    MenuFixture f;
    f.screen.metrics = {1920, 1080, 40};
    f.menu.Form_Load();
    f.rise();
    f.menu.TmrEnablePopDown_Timer();
    f.menu.tmrPopDown_Timer();
    EXPECT_FALSE(f.menu.Loaded);
}

TEST(frmMenuPopUp, ATrayClickWhileLoadedOnlyShowsItAgain)
{
    MenuFixture f;
    f.menu.showFromTray();
    f.rise();
    const float top = f.menu.Top;
    f.menu.Visible = false;
    f.menu.showFromTray();
    EXPECT_TRUE(f.menu.Visible);
    EXPECT_FLOAT_EQ(f.menu.Top, top);
    EXPECT_FALSE(f.menu.tmrMenuPopup.Enabled);
}

TEST(frmMenuPopUp, EntriesFollowTheMainWindowAndTheScan)
{
    struct Case {
        bool mainVisible;
        bool scanIdle;
    };
    for (const Case c : {Case{false, true}, Case{true, true}, Case{false, false}}) {
        MenuFixture f;
        f.main.visible = c.mainVisible;
        f.main.scanIdle = c.scanIdle;
        f.menu.Form_Load();
        EXPECT_EQ(f.menu.MenuRestore.Enabled, !c.mainVisible);
        EXPECT_EQ(f.menu.MenuScan.Enabled, c.scanIdle);
        EXPECT_EQ(f.menu.MenuSettings.Enabled, c.scanIdle);
        EXPECT_TRUE(f.menu.MenuExit.Enabled);
        EXPECT_EQ(f.pointer.shape, PointerShape::Default);
    }
}

TEST(frmMenuPopUp, EmphasisClearsOthersOnlyForTheUpperTwoItems)
{
    MenuFixture f;
    f.menu.Form_Load();
    f.menu.MenuSettings_MouseMove();
    f.menu.MenuExit_MouseMove();
    EXPECT_TRUE(f.menu.MenuSettings.emphasised && f.menu.MenuExit.emphasised);
    f.menu.MenuScan_MouseMove();
    EXPECT_TRUE(f.menu.MenuScan.emphasised);
    EXPECT_FALSE(f.menu.MenuSettings.emphasised || f.menu.MenuExit.emphasised);
    f.menu.MenuExit_MouseMove();
    f.menu.MenuRestore_MouseMove();
    EXPECT_TRUE(f.menu.MenuRestore.emphasised);
    EXPECT_FALSE(f.menu.MenuScan.emphasised || f.menu.MenuExit.emphasised);
    f.menu.MenuSettings_MouseMove();
    f.menu.Picture1_MouseMove();
    for (const MenuLabel* label :
         {&f.menu.MenuRestore, &f.menu.MenuScan, &f.menu.MenuSettings, &f.menu.MenuExit, &f.menu.lblMenuClose})
        EXPECT_FALSE(label->emphasised) << label->Caption;
}

TEST(frmMenuPopUp, CloseLabelAndEntriesMakeTheMenuSinkAtOnce)
{
    struct Case {
        void (frmMenuPopUp::*click)();
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {&frmMenuPopUp::lblMenuClose_Click, {}},
        {&frmMenuPopUp::MenuRestore_Click, {"show", "refresh", "sections", "removeIcon"}},
        {&frmMenuPopUp::MenuScan_Click, {"show", "refresh", "sections", "removeIcon", "scan"}},
        {&frmMenuPopUp::MenuSettings_Click, {"show", "refresh", "sections", "removeIcon", "tmrSettings"}},
    };
    for (const auto& c : cases) {
        MenuFixture f;
        f.menu.Form_Load();
        (f.menu.*c.click)();
        EXPECT_EQ(f.main.calls, c.calls);
        EXPECT_TRUE(f.menu.tmrPopDown.Enabled);
        EXPECT_FALSE(f.menu.tmrMenuPopup.Enabled || f.menu.TmrEnablePopDown.Enabled);
    }
}

TEST(frmMenuPopUp, MaximizeDuringAScanLeavesTheHourglass)
{
    MenuFixture f;
    f.main.scanIdle = false;
    f.menu.Form_Load();
    f.menu.MenuRestore_Click();
    EXPECT_EQ(f.pointer.shape, PointerShape::Hourglass);
    f.main.calls.clear();
    f.menu.MenuScan_Click();
    f.menu.MenuSettings_Click();
    EXPECT_TRUE(f.main.calls.empty()) << "disabled entries do nothing";
}

TEST(frmMenuPopUp, ExitAsksAndEndsOnYesOrHidesAgainAndSinksOnNo)
{
    for (const MessageAnswer answer : {MessageAnswer::yes, MessageAnswer::no}) {
        MenuFixture f;
        f.main.answer = answer;
        f.menu.Form_Load();
        f.rise();
        bool timersStoppedWhileAsking = false;
        f.menu.setObserver([&] {
            if (!f.main.calls.empty() && f.main.calls.back() == "removeIcon")
                timersStoppedWhileAsking = !f.menu.tmrPopDown.Enabled && !f.menu.TmrEnablePopDown.Enabled;
        });
        f.menu.MenuExit_Click();
        const bool yes = answer == MessageAnswer::yes;
        EXPECT_TRUE(timersStoppedWhileAsking) << yes;
        const std::vector<std::string> asked = {"show", "refresh", "sections", "removeIcon", "box CLOSE CONFERMATION"};
        std::vector<std::string> expected = asked;
        if (!yes) {
            expected.push_back("hide");
            EXPECT_TRUE(f.menu.tmrPopDown.Enabled && f.menu.TmrEnablePopDown.Enabled);
            EXPECT_FALSE(f.main.visible);
        } else {
            expected.insert(expected.end(), {"removeIcon", "end"});
        }
        EXPECT_EQ(f.main.calls, expected) << yes;
    }
}

} // namespace
} // namespace tessivar
