#include "shell/settings_dialog.h"
#include "support/fake_desktop.h"
#include "support/null_platform.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

using test::MemorySettings;

struct DialogFixture {
    test::TestContext t;
    test::FakeFolderPicker picker;
    test::FakeHostPaths paths;
    test::FakeStartupEntry startup;
    frmSetings dialog{t.context, {picker, paths, startup}};

    std::vector<std::string> writes() const
    {
        std::vector<std::string> out;
        for (const auto& write : t.backend.acceptedWrites())
            out.push_back(write.key + "=" + write.value);
        return out;
    }
};

TEST(frmSetings, OpeningOnAnEmptyStoreStoresTheDefaultsAndWritesTheStartupEntry)
{
    DialogFixture f;
    f.dialog.Form_Load();

    EXPECT_EQ(f.dialog.chkMakeBackUp, CheckState::checked);
    EXPECT_EQ(f.dialog.chkMakeLogFile, CheckState::checked);
    EXPECT_EQ(f.dialog.chkRunAtStartup, CheckState::checked);
    EXPECT_EQ(f.dialog.chkPlaySound, CheckState::unchecked);
    EXPECT_EQ(f.dialog.txtBackup.Text, "C:\\Program Files\\Tessivar");
    EXPECT_EQ(f.dialog.txtLogFile.Text, "C:\\Program Files\\Tessivar");
    EXPECT_EQ(f.dialog.txtWaveFilesPath.Text, "");
    EXPECT_FALSE(f.dialog.txtBackup.Locked);
    EXPECT_TRUE(f.dialog.txtWaveFilesPath.Locked);
    EXPECT_TRUE(f.dialog.cmdBrowse.NormalEnabled);
    EXPECT_FALSE(f.dialog.cmdWaveFileBrowse.NormalEnabled);
    // A box that changes runs its action, and the opening runs it once more: both are stored.
    EXPECT_EQ(f.writes(), (std::vector<std::string>{"chkPlaySound=0", "chkMakeLogFile=1", "chkMakeLogFile=1",
                                                    "chkMakeBackUp=1", "chkMakeBackUp=1", "chkRunAtStartup=1"}));
    EXPECT_EQ(f.startup.calls, std::vector<std::string>{"write"});
}

TEST(frmSetings, OpeningRestoresStoredStates)
{
    struct Case {
        const char* stored;
        CheckState shown;
        bool locked;
    };
    const Case cases[] = {{"0", CheckState::unchecked, true},
                          {"1", CheckState::checked, false},
                          {"2", CheckState::grayed, true},
                          {"7", CheckState::unchecked, true},
                          {"yes", CheckState::checked, false}}; // not a number: the default
    for (const auto& c : cases) {
        DialogFixture f;
        f.t.backend.set("chkMakeBackUp", c.stored);
        f.t.backend.set("chkRunAtStartup", "0");
        f.dialog.Form_Load();
        EXPECT_EQ(f.dialog.chkMakeBackUp, c.shown) << c.stored;
        EXPECT_EQ(f.dialog.txtBackup.Locked, c.locked) << c.stored;
        EXPECT_EQ(f.t.backend.get("chkMakeBackUp"), std::to_string(static_cast<int>(c.shown))) << c.stored;
        EXPECT_TRUE(f.startup.calls.empty()) << "a stored 0 changes nothing on opening";
        EXPECT_TRUE(f.t.backend.writesOf("chkRunAtStartup").empty());
    }
}

TEST(frmSetings, ALabelClickTogglesItsBoxAndRunsTheChangeActionTwice)
{
    struct Case {
        void (frmSetings::*click)();
        const char* key;
    };
    const Case cases[] = {{&frmSetings::lblBackupchk_Click, "chkMakeBackUp"},
                          {&frmSetings::lblReport_Click, "chkMakeLogFile"},
                          {&frmSetings::lblPlaySoundOnDetection_Click, "chkPlaySound"},
                          {&frmSetings::lblRunonStartup_Click, "chkRunAtStartup"}};
    for (const auto& c : cases) {
        DialogFixture f;
        f.dialog.Form_Load();
        const std::string before = *f.t.backend.get(c.key);
        const std::string after = before == "1" ? "0" : "1";
        f.t.backend.writes.clear();
        f.startup.calls.clear();
        (f.dialog.*c.click)();
        EXPECT_EQ(f.t.backend.writesOf(c.key), (std::vector<std::string>{after, after})) << c.key;
    }

    DialogFixture f;
    f.dialog.Form_Load();
    f.startup.calls.clear();
    f.dialog.lblRunonStartup_Click();
    EXPECT_EQ(f.dialog.chkRunAtStartup, CheckState::unchecked);
    EXPECT_EQ(f.startup.calls, (std::vector<std::string>{"remove", "remove"}));
}

TEST(frmSetings, OkStoresCheckedNonBlankPathsAndUnchecksTheOthers)
{
    DialogFixture f;
    f.t.backend.set("txtWaveFilesPath", "C:\\old.wav");
    f.dialog.Form_Load();
    f.dialog.txtBackup.Text = " D:\\Backups ";
    f.dialog.txtLogFile.Text = "   ";
    f.dialog.txtWaveFilesPath.Text = "C:\\new.wav"; // the sound box is unchecked
    f.t.backend.writes.clear();
    f.dialog.cmdOKNormal_MouseMove();
    f.dialog.cmdokMousemove_Click();

    EXPECT_TRUE(f.dialog.Unloaded);
    EXPECT_EQ(f.t.backend.get("txtBackup"), " D:\\Backups ") << "stored untrimmed";
    EXPECT_FALSE(f.t.backend.contains("txtLogFile")) << "a blank path is not stored";
    EXPECT_EQ(f.dialog.chkMakeLogFile, CheckState::unchecked);
    EXPECT_EQ(f.t.backend.get("chkMakeLogFile"), "0");
    EXPECT_EQ(f.t.backend.get("txtWaveFilesPath"), "C:\\old.wav");
    EXPECT_TRUE(f.dialog.txtLogFile.Locked);
    EXPECT_FALSE(f.dialog.cmdBrowse.NormalEnabled);
}

TEST(frmSetings, CloseKeepsStoredStatesAndLosesPathEdits)
{
    DialogFixture f;
    f.dialog.Form_Load();
    f.dialog.txtBackup.Text = "D:\\elsewhere";
    f.dialog.ImgCloseMouseMove_Click();
    EXPECT_FALSE(f.dialog.Unloaded) << "only the lit picture takes the click";
    f.dialog.imgCloseNormal_MouseMove();
    f.dialog.ImgCloseMouseMove_Click();
    EXPECT_TRUE(f.dialog.Unloaded);
    EXPECT_FALSE(f.t.backend.contains("txtBackup"));
    EXPECT_EQ(f.t.backend.get("chkMakeBackUp"), "1");
}

TEST(frmSetings, FolderButtonsFillTheirFieldUnlessCancelled)
{
    DialogFixture f;
    f.dialog.Form_Load();
    f.picker.answers = {std::filesystem::path("/home/u/backups"), std::nullopt};
    f.dialog.cmdBackUpBrowseNormal_MouseMove();
    f.dialog.cmdBackUpBrowseMouseMove_Click();
    EXPECT_EQ(f.dialog.txtBackup.Text, "Z:\\home\\u\\backups");
    f.dialog.cmdBrowseNormal_MouseMove();
    f.dialog.cmdBrowseMouseMove_Click();
    EXPECT_EQ(f.dialog.txtLogFile.Text, "C:\\Program Files\\Tessivar") << "cancelled: unchanged";
    EXPECT_EQ(f.picker.titles, (std::vector<std::string>{"Choose directory...", "Choose directory..."}));
    EXPECT_FALSE(f.t.backend.contains("txtBackup")) << "nothing stored before OK";

    f.dialog.lblBackupchk_Click(); // unchecks: the button is disabled and never lights
    f.dialog.cmdBackUpBrowseNormal_MouseMove();
    f.dialog.cmdBackUpBrowseMouseMove_Click();
    EXPECT_EQ(f.picker.titles.size(), 2u);
}

TEST(frmSetings, SoundFileButtonFillsTheMediaFolderAndPreviewsWithoutCounting)
{
    DialogFixture f;
    f.t.backend.set("chkPlaySound", "1");
    f.dialog.Form_Load();
    f.t.model.lblProblemsFound = "4";
    f.dialog.cmdWaveFileBrowseNormal_MouseMove();
    f.dialog.cmdWaveFileBrowseMouseMove_Click();
    EXPECT_EQ(f.dialog.txtWaveFilesPath.Text, "C:\\windows\\media");
    EXPECT_EQ(f.t.backend.get("txtWaveFilesPath"), "C:\\windows\\media");
    ASSERT_FALSE(f.t.files.searches.empty()) << "the preview looked for the file";
    EXPECT_EQ(f.t.files.searches.back().path, "C:\\windows\\media");
    EXPECT_TRUE(f.t.host.soundsPlayed.empty()) << "a folder plays nothing";
    EXPECT_EQ(f.t.model.lblProblemsFound, "4");
}

TEST(frmSetings, HoverLightsLabelsAndPairsAndTheBackgroundPutsThemBack)
{
    DialogFixture f;
    f.dialog.Form_Load();
    f.dialog.lblReport_MouseMove();
    f.dialog.lblRunonStartup_MouseMove();
    f.dialog.cmdOKNormal_MouseMove();
    f.dialog.imgCloseNormal_MouseMove();
    EXPECT_TRUE(f.dialog.lblReport.FontBold && f.dialog.lblRunonStartup.FontBold);
    EXPECT_TRUE(f.dialog.cmdOK.lit && f.dialog.imgClose.lit) << "one button does not reset another";
    f.dialog.ImgFormMove_MouseMove(10, 10);
    EXPECT_FALSE(f.dialog.lblReport.FontBold || f.dialog.lblRunonStartup.FontBold);
    EXPECT_FALSE(f.dialog.cmdOK.lit || f.dialog.imgClose.lit);
}

TEST(frmSetings, DragAreasMoveTheWindowByThePointersTravel)
{
    DialogFixture f;
    f.dialog.position = {3000, 2000};
    f.dialog.ImgToolBarOrlenda_MouseDown(100, 50);
    f.dialog.ImgToolBarOrlenda_MouseMove(400, -100);
    f.dialog.ImgToolBarOrlenda_MouseUp();
    f.dialog.ImgFormMove_MouseMove(900, 900);
    EXPECT_FLOAT_EQ(f.dialog.position.x, 3300);
    EXPECT_FLOAT_EQ(f.dialog.position.y, 1850);
}

} // namespace
} // namespace tessivar
