#include "engine/scan_context.h"
#include "settings/settings_store.h"
#include "shell/main_window.h"
#include "shell/main_window_host.h"
#include "shell/main_window_peers.h"
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

struct FakeTray : TrayIcon {
    bool available = true;
    bool running = false;
    std::string tip;
    std::vector<std::string>* log = nullptr;

    bool isSystemTrayAvailable() const override { return available; }
    void ShowIcon(std::string_view t) override
    {
        running = true;
        tip = t;
        log->push_back("ShowIcon " + tip);
    }
    void ChangeToolTip(std::string_view t) override
    {
        if (running)
            tip = t;
    }
    void RemoveIcon() override
    {
        running = false;
        log->push_back("RemoveIcon");
    }
    bool bRunningInTray() const override { return running; }
};

// Records every call in order, with the window's state at the moment it happens where it matters.
struct FakePeers : MainWindowPeers {
    std::vector<std::string> log;
    std::vector<std::string> repainted;
    const FRMmAIN* window = nullptr;

    void showNotification(std::string_view title) override
    {
        log.push_back("notification " + std::string(title) +
                      (window->windowState == WindowState::minimised ? " minimised" : " normal"));
    }
    void showSettingsDialog() override
    {
        log.push_back(std::string("settings, ImgSettingsNormal ") +
                      (window->pair(MainButton::Settings).NormalEnabled ? "enabled" : "disabled"));
    }
    void showBackupManager() override { log.push_back("backup manager"); }
    void showTrayMenu() override { log.push_back("tray menu"); }
    void OpenWebPage(std::string_view address, std::string_view extension) override
    {
        log.push_back("open " + std::string(address) + " ." + std::string(extension));
    }
    void repaint(std::string_view name) override { repainted.emplace_back(name); }
    void endProgram() override { log.push_back("end"); }
    void workDone() override { ++workDoneCount; }
    int workDoneCount = 0;
};

struct MainWindowTest : ::testing::Test {
    test::FakeRegistry registry;
    test::FakeFileSystem files;
    test::FixedClock clock;
    test::FakeHost fakeHost;
    MainWindowHost host{fakeHost};
    test::MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    FakePeers peers;
    FakeTray tray;
    FRMmAIN window{context, peers, tray};

    MainWindowTest()
    {
        tray.log = &peers.log;
        peers.window = &window;
        host.attach(&window);
    }
    // The window as the splash hands it over, with the calls of the start-up forgotten.
    void shown()
    {
        window.Show();
        peers.log.clear();
        peers.repainted.clear();
        backend.writes.clear();
    }
};

TEST_F(MainWindowTest, LoadShowsTheStartViewWithTheTitleAndTheSectionsAsStored)
{
    backend.set("Help Files", "False");
    window.Show();
    EXPECT_TRUE(window.Loaded && window.Visible);
    EXPECT_EQ(window.Caption, "Tessivar v4.0");
    EXPECT_FALSE(window.tmrSettings.Enabled) << "running in the design; Form_Load stops it";
    EXPECT_FALSE(model.PicScanningVisible || model.PicResultsVisible);
    ASSERT_EQ(model.lvwRegistryvaluesScan.size(), 12u) << "eleven sections and drive C";
    for (const SectionListEntry& entry : model.lvwRegistryvaluesScan)
        EXPECT_EQ(entry.checked, entry.ListText != "Help Files") << entry.ListText;
    EXPECT_EQ(model.chkSelectlistviewItems, CheckState::checked) << "absent setting means checked";
    EXPECT_TRUE(model.tmrRefreshlvwContentsEnabled) << "the first show sizes the window";

    model.lvwRegistryvaluesScan.clear();
    window.Show();
    EXPECT_TRUE(model.lvwRegistryvaluesScan.empty()) << "a second show does not load again";
}

TEST_F(MainWindowTest, SelectAllBoxRestoredFromItsSetting)
{
    const std::pair<const char*, CheckState> cases[] = {{"2", CheckState::grayed},
                                                        {"1", CheckState::checked},
                                                        {"0", CheckState::unchecked},
                                                        {"7", CheckState::unchecked}};
    for (const auto& [stored, state] : cases) {
        model.chkSelectlistviewItems = CheckState::unchecked;
        backend.set("chkSelectlistviewItems", stored);
        window.Form_Load();
        EXPECT_EQ(model.chkSelectlistviewItems, state) << stored;
    }
}

TEST_F(MainWindowTest, CloseShowsTheNotificationThenHidesIntoTheTrayUnlessTurnedOff)
{
    struct Case {
        const char* doNotShow; // nullptr: an empty store
        WindowState before;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {nullptr, WindowState::normal, {"notification Tessivar v4.0 normal", "ShowIcon Tessivar v4.0"}},
        {nullptr, WindowState::minimised, {"notification Tessivar v4.0 normal", "ShowIcon Tessivar v4.0"}},
        {"1", WindowState::normal, {"ShowIcon Tessivar v4.0"}},
        {"1", WindowState::minimised, {"ShowIcon Tessivar v4.0"}},
    };
    for (const Case& c : cases) {
        if (c.doNotShow)
            backend.set("chkDoNotShowInFuture", c.doNotShow);
        tray.running = false;
        shown();
        window.setWindowState(c.before);
        peers.log.clear();
        EXPECT_TRUE(window.Form_Unload(CloseRequest::user)) << "the close is always cancelled";
        EXPECT_EQ(peers.log, c.calls);
        EXPECT_FALSE(window.Visible);
        EXPECT_TRUE(window.Loaded);
        EXPECT_EQ(tray.tip, "Tessivar v4.0");
        EXPECT_TRUE(fakeHost.messageBoxKinds.empty());
    }
}

TEST_F(MainWindowTest, RestoreBringsTheWindowBackFromTheTrayAndTakesTheIconAway)
{
    shown();
    window.setWindowState(WindowState::minimised);
    window.Form_Unload(CloseRequest::user);
    ASSERT_TRUE(tray.running);
    window.Restore();
    EXPECT_TRUE(window.Visible);
    EXPECT_EQ(window.windowState, WindowState::normal);
    EXPECT_FALSE(tray.running);
}

TEST_F(MainWindowTest, TrayEventsOpenTheMenuOnlyWhileTheIconIsUp)
{
    struct Case {
        bool iconUp;
        double x;
        bool menu;
    };
    for (const Case c :
         {Case{false, 7725, false}, Case{false, 7755, false}, Case{true, 7725, true}, Case{true, 7755, true},
          Case{true, 7740, false}, Case{true, 515, false}, Case{true, 7725.5, false}}) {
        tray.running = c.iconUp;
        peers.log.clear();
        window.Form_MouseMove(0, 0, c.x, 0);
        EXPECT_EQ(peers.log.size(), c.menu ? 1u : 0u) << c.x << (c.iconUp ? " icon up" : " no icon");
    }
}

TEST_F(MainWindowTest, ResizeRebuildsTheSectionListOnlyWhileNoScanRuns)
{
    shown();
    for (const bool scanning : {true, false}) {
        model.ImgScanNowNormalEnabled = !scanning;
        model.lvwRegistryvaluesScan = std::vector<SectionListEntry>{{"marker", 1, true, false}};
        peers.repainted.clear();
        window.Form_Resize();
        EXPECT_TRUE(window.lvwRegistryvaluesScanVisible);
        EXPECT_TRUE(model.tmrRefreshlvwContentsEnabled);
        EXPECT_FALSE(peers.repainted.empty());
        EXPECT_EQ(model.lvwRegistryvaluesScan.size(), scanning ? 1u : 12u);

        model.lvwRegistryvaluesScan = std::vector<SectionListEntry>{{"marker", 1, true, false}};
        window.tmrRefreshlvwContents_Timer();
        EXPECT_FALSE(model.tmrRefreshlvwContentsEnabled) << "one-shot";
        EXPECT_EQ(model.lvwRegistryvaluesScan.size(), scanning ? 1u : 12u);
    }
}

TEST_F(MainWindowTest, MinimiseAndRestoreResizeWithoutATrayIcon)
{
    shown();
    window.setWindowState(WindowState::minimised);
    EXPECT_FALSE(peers.repainted.empty());
    EXPECT_FALSE(tray.running);
    peers.repainted.clear();
    window.setWindowState(WindowState::minimised);
    EXPECT_TRUE(peers.repainted.empty()) << "no change, no resize";
}

TEST_F(MainWindowTest, MyComputerFlipsTheSelectAllBoxAndAppliesIt)
{
    struct Case {
        CheckState before;
        bool allChecked;
    };
    for (const Case c :
         {Case{CheckState::grayed, true}, Case{CheckState::unchecked, true}, Case{CheckState::checked, false}}) {
        shown();
        model.lvwRegistryvaluesScan.update(0, [](SectionListEntry& entry) { entry.checked = false; });
        model.chkSelectlistviewItems = c.before;
        window.Label2_Click();
        for (const SectionListEntry& entry : model.lvwRegistryvaluesScan)
            EXPECT_EQ(entry.checked, c.allChecked) << entry.ListText;
        EXPECT_EQ(backend.get("Window Shortcut C"), c.allChecked ? "True" : "False");
    }
}

TEST_F(MainWindowTest, SettingsFromTheTrayOpenOnTheTimerTickNotAtOnce)
{
    shown();
    window.startTmrSettings();
    EXPECT_TRUE(window.tmrSettings.Enabled);
    EXPECT_EQ(window.tmrSettings.Interval, 10);
    EXPECT_TRUE(peers.log.empty());
    model.lvwRegistryvaluesScan.clear();
    window.tmrSettings_Timer();
    EXPECT_EQ(peers.log, std::vector<std::string>{"settings, ImgSettingsNormal enabled"});
    EXPECT_FALSE(window.tmrSettings.Enabled);
    EXPECT_EQ(model.lvwRegistryvaluesScan.size(), 12u) << "rebuilt after the dialog";
}

TEST_F(MainWindowTest, TheSettingsButtonIsDisabledForTheDialogsLength)
{
    shown();
    window.Normal_MouseMove(MainButton::Settings);
    model.lvwRegistryvaluesScan.clear();
    EXPECT_TRUE(window.MouseMove_Click(MainButton::Settings));
    EXPECT_EQ(peers.log, std::vector<std::string>{"settings, ImgSettingsNormal disabled"});
    EXPECT_TRUE(window.pair(MainButton::Settings).NormalEnabled);
    EXPECT_EQ(model.lvwRegistryvaluesScan.size(), 12u);
}

TEST_F(MainWindowTest, HoverLightsItsPairAndHintWhileTheBackgroundsResetTheirOwn)
{
    using B = MainButton;
    struct Case {
        B hovered;
        std::vector<B> lit;
    };
    const Case cases[] = {{B::ScanNow, {B::ScanNow}},
                          {B::Restore, {B::Restore}},
                          {B::Settings, {B::Settings}},
                          {B::HelpPic, {B::HelpPic, B::Help}},
                          {B::Help, {B::HelpPic, B::Help}},
                          {B::SupportPic, {B::SupportPic, B::Support}},
                          {B::Support, {B::SupportPic, B::Support}}};
    shown();
    for (const Case& c : cases) {
        window.Normal_MouseMove(c.hovered);
        for (std::size_t i = 0; i < kMainButtonCount; ++i) {
            const bool expected = std::find(c.lit.begin(), c.lit.end(), static_cast<B>(i)) != c.lit.end();
            EXPECT_EQ(window.pair(static_cast<B>(i)).lit, expected) << pairNames(static_cast<B>(i)).Normal;
        }
        EXPECT_EQ(window.hintColour(HintLabel::lblScanText), c.hovered == B::ScanNow ? 0xFFFFFFu : 0xE0E0E0u);
        EXPECT_EQ(window.hintColour(HintLabel::lblBackUpText), c.hovered == B::Restore ? 0xFFFFFFu : 0xE0E0E0u);
        EXPECT_EQ(window.hintColour(HintLabel::lblSettingsText), c.hovered == B::Settings ? 0xFFFFFFu : 0xE0E0E0u);
        window.Picture1_MouseMove();
    }

    // The views' own pairs: lit only while their view is up, reset only by their own background.
    window.Normal_MouseMove(B::ScanCancel);
    EXPECT_FALSE(window.pair(B::ScanCancel).lit) << "the scanning view is not up";
    model.PicScanningVisible = true;
    window.Normal_MouseMove(B::ScanNow);
    EXPECT_FALSE(window.pair(B::ScanNow).lit) << "covered by the scanning view";
    window.Normal_MouseMove(B::ScanCancel);
    window.Picture1_MouseMove();
    EXPECT_TRUE(window.pair(B::ScanCancel).lit);
    window.PicScanning_MouseMove();
    EXPECT_FALSE(window.pair(B::ScanCancel).lit);

    model.PicScanningVisible = false;
    model.PicResultsVisible = true;
    window.Normal_MouseMove(B::Repair);
    window.Normal_MouseMove(B::Return);
    window.Picture1_MouseMove();
    EXPECT_TRUE(window.pair(B::Repair).lit && window.pair(B::Return).lit);
    window.PicResults_MouseMove();
    EXPECT_FALSE(window.pair(B::Repair).lit || window.pair(B::Return).lit);
}

TEST_F(MainWindowTest, OnlyALitPictureTakesTheClick)
{
    const std::pair<MainButton, const char*> cases[] = {
        {MainButton::HelpPic, "open https://tessivar.example/tessivarhelp.html .htm"},
        {MainButton::Help, "open https://tessivar.example/tessivarhelp.html .htm"},
        {MainButton::SupportPic, "open https://tessivar.example/support.html .htm"},
        {MainButton::Support, "open https://tessivar.example/support.html .htm"},
        {MainButton::Restore, "backup manager"},
    };
    shown();
    for (const auto& [button, call] : cases) {
        peers.log.clear();
        EXPECT_FALSE(window.MouseMove_Click(button)) << "idle";
        EXPECT_TRUE(peers.log.empty());
        window.Normal_MouseMove(button);
        EXPECT_TRUE(window.MouseMove_Click(button));
        EXPECT_EQ(peers.log, std::vector<std::string>{call});
        window.Picture1_MouseMove();
    }
}

TEST_F(MainWindowTest, ScanNowRunsOneScanAtATimeAndReturnsToTheStartViewWhenNothingIsFound)
{
    shown();
    fakeHost.resetCounts();
    int enabledDuringTheScan = 0;
    fakeHost.atYield(1, [&] { window.ImgScanNowMouseMove_Click(); });
    fakeHost.onEveryYield([&] { enabledDuringTheScan += model.ImgScanNowNormalEnabled ? 1 : 0; });
    window.Normal_MouseMove(MainButton::ScanNow);
    EXPECT_TRUE(window.MouseMove_Click(MainButton::ScanNow));
    EXPECT_GT(fakeHost.yields, 12u);
    EXPECT_EQ(enabledDuringTheScan, 0) << "the nested click started no second scan";
    EXPECT_EQ(peers.workDoneCount, 1) << "only when the outer scan is over";
    EXPECT_EQ(model.ScanStartTime, "14:05:07");
    EXPECT_TRUE(model.ImgScanNowNormalEnabled);
    EXPECT_FALSE(model.PicScanningVisible || model.PicResultsVisible);
}

TEST_F(MainWindowTest, RepairAndReturnActOnlyFromTheResultsView)
{
    shown();
    model.PicResultsVisible = true;
    model.frontPanel = FrontPanel::results;
    window.Normal_MouseMove(MainButton::Return);
    EXPECT_TRUE(window.MouseMove_Click(MainButton::Return));
    EXPECT_FALSE(model.PicResultsVisible);
    EXPECT_FALSE(window.MouseMove_Click(MainButton::Repair));

    model.PicResultsVisible = true;
    window.Normal_MouseMove(MainButton::Repair);
    EXPECT_TRUE(window.MouseMove_Click(MainButton::Repair));
    EXPECT_EQ(fakeHost.messageBoxKinds, std::vector<std::string>{"FILES REPAIRED"});
    EXPECT_FALSE(model.PicResultsVisible);
}

TEST_F(MainWindowTest, WithoutANotificationAreaACloseAsksAndYesEndsTheProgram)
{
    tray.available = false;
    for (const MessageAnswer answer : {MessageAnswer::no, MessageAnswer::yes}) {
        shown();
        fakeHost.queueAnswer(answer);
        const bool cancelled = window.Form_Unload(CloseRequest::user);
        EXPECT_EQ(fakeHost.messageBoxKinds.back(), "CLOSE CONFERMATION");
        const bool yes = answer == MessageAnswer::yes;
        EXPECT_EQ(cancelled, !yes);
        EXPECT_TRUE(window.Visible) << "never hidden where nothing could bring it back";
        EXPECT_EQ(peers.log, yes ? std::vector<std::string>{"end"} : std::vector<std::string>{})
            << "never a notification, never an icon";
    }
}

TEST_F(MainWindowTest, TheSessionEndEndsTheProgramWithoutAsking)
{
    for (const bool inTray : {false, true}) {
        shown();
        tray.running = inTray;
        model.ScanCancelled = false;
        EXPECT_FALSE(window.Form_Unload(CloseRequest::sessionEnding));
        const std::vector<std::string> expected =
            inTray ? std::vector<std::string>{"RemoveIcon", "end"} : std::vector<std::string>{"end"};
        EXPECT_EQ(peers.log, expected);
        EXPECT_TRUE(fakeHost.messageBoxKinds.empty());
        EXPECT_TRUE(model.ScanCancelled) << "a running scan stops at its next check";
    }
}

TEST_F(MainWindowTest, RefreshRepaintsPicturesImagesAndListsAndYieldsAfterEveryControl)
{
    fakeHost.resetCounts();
    window.RefreshThePicControls();
    EXPECT_EQ(fakeHost.yields, mainWindowControls().size());
    const auto has = [&](std::string_view name) {
        return std::find(peers.repainted.begin(), peers.repainted.end(), name) != peers.repainted.end();
    };
    for (const char* name :
         {"Picture1", "PicScanning", "imgRestoreNormal", "ImgHelpPicmouseMove", "lvwRegistryvaluesScan", "lvwErrors"})
        EXPECT_TRUE(has(name)) << name;
    for (const char* name :
         {"tmrPicVisibleOrNot", "ImgListOfListViewRegistrySections", "Image1", "Label2", "lblStatus", "cmdShowLog"})
        EXPECT_FALSE(has(name)) << name;
}

TEST_F(MainWindowTest, TheBlinkTimerRunsFromTheStartAndTogglesTheIndicator)
{
    EXPECT_TRUE(model.tmrPicVisibleOrNotEnabled);
    window.tmrPicVisibleOrNot_Timer();
    EXPECT_TRUE(model.PicBugVisible);
    window.tmrPicVisibleOrNot_Timer();
    EXPECT_FALSE(model.PicBugVisible);
}

} // namespace
} // namespace tessivar
