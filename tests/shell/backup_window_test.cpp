#include "results/backup_encoding.h"
#include "results/repair_fixture.h"
#include "shell/backup_window.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

using test::kBackupFolder;

// A key a repair walks: restore only puts values back where a repair could have removed them.
constexpr const char* kK = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\K";

std::string pathOf(const std::string& name)
{
    return std::string(kBackupFolder) + "\\" + name;
}

struct WindowFixture {
    test::RepairFixture f;
    frmBackUpRestore window{f.context};

    explicit WindowFixture(const std::vector<std::string>& names)
    {
        for (const auto& name : names)
            f.files.addFile(pathOf(name),
                            EncodeBackupLine("R^HKEY_LOCAL_MACHINE^" + std::string(kK) + "^C:\\x.exe^" + name + "^") +
                                "\r\n");
        window.imgRestoreNormal_MouseMove();
        window.Form_Load();
    }
    std::vector<std::string> listed() const
    {
        std::vector<std::string> names;
        for (const auto& entry : window.backups.lvwBackUp)
            names.push_back(entry.Name);
        return names;
    }
};

const std::vector<std::string> kThree = {"BackUp 01-01-26 00-00-01", "BackUp 01-01-26 00-00-02",
                                         "BackUp 01-01-26 00-00-03"};

TEST(frmBackUpRestore, OpensWithIdleButtonsAndTheFolderListed)
{
    WindowFixture w(kThree);
    EXPECT_FALSE(w.window.imgRestore.lit);
    EXPECT_EQ(w.listed(), kThree);
    EXPECT_EQ(w.window.backups.lvwBackUp[0].Date, "01/01/26");
    EXPECT_EQ(w.window.backups.lvwBackUp[0].Time, "00:00:01");
    EXPECT_EQ(std::size(kBackupListHeaders), 4u);
}

TEST(frmBackUpRestore, RestoresAdjacentCheckedEntriesOnlyWhileTheButtonIsLit)
{
    WindowFixture w(kThree);
    w.window.lvwBackUp_ItemCheck(0, true);
    w.window.lvwBackUp_ItemCheck(1, true);
    w.window.lvwBackUp_ItemCheck(9, true);
    w.window.imgRestoreMouseMove_Click();
    EXPECT_EQ(w.listed().size(), 3u) << "idle: the click does not reach the button";

    w.window.imgRestoreNormal_MouseMove();
    w.window.imgRestoreMouseMove_Click();
    EXPECT_EQ(w.listed(), std::vector<std::string>{kThree[2]});
    EXPECT_TRUE(w.f.registry.valueExists(HKEY_LOCAL_MACHINE, kK, kThree[0]));
    EXPECT_TRUE(w.f.registry.valueExists(HKEY_LOCAL_MACHINE, kK, kThree[1]));
    EXPECT_FALSE(w.f.files.exists(pathOf(kThree[0])) || w.f.files.exists(pathOf(kThree[1])));
}

TEST(frmBackUpRestore, DeleteAsksOncePerCheckedEntryAndDeletesOnYes)
{
    WindowFixture w(kThree);
    for (std::size_t i = 0; i < 3; ++i)
        w.window.lvwBackUp_ItemCheck(i, true);
    w.f.host.queueAnswer(MessageAnswer::yes);
    w.f.host.queueAnswer(MessageAnswer::no);
    w.f.host.queueAnswer(MessageAnswer::yes);
    w.window.ImgDeleteNormal_MouseMove();
    w.window.ImgDeleteMouseMove_Click();
    EXPECT_EQ(w.f.host.messageBoxKinds, std::vector<std::string>(3, "DELETE BACKUP FILE"));
    EXPECT_EQ(w.listed(), std::vector<std::string>{kThree[1]});
    EXPECT_TRUE(w.f.files.exists(pathOf(kThree[1])));
    EXPECT_FALSE(w.f.files.exists(pathOf(kThree[2])));
}

TEST(frmBackUpRestore, SaysWhyNothingHappenedWhenAnotherProgramWritesToThePrefix)
{
    WindowFixture w(kThree);
    w.window.lvwBackUp_ItemCheck(0, true);
    w.f.registry.lock.heldElsewhere = "Wine is running in this prefix";
    w.f.host.queueAnswer(MessageAnswer::yes);
    for (auto [light, click] :
         {std::pair{&frmBackUpRestore::imgRestoreNormal_MouseMove, &frmBackUpRestore::imgRestoreMouseMove_Click},
          std::pair{&frmBackUpRestore::ImgDeleteNormal_MouseMove, &frmBackUpRestore::ImgDeleteMouseMove_Click}}) {
        w.window.lblStatus.clear();
        (w.window.*light)();
        (w.window.*click)();
        EXPECT_EQ(w.window.lblStatus, "Wine is running in this prefix");
        EXPECT_EQ(w.listed(), kThree);
    }
    w.f.registry.lock.heldElsewhere.clear();
    w.window.imgRestoreMouseMove_Click();
    EXPECT_EQ(w.window.lblStatus, "");
}

TEST(frmBackUpRestore, OkAndCloseUnloadAndDiscardTheList)
{
    for (auto [light, click] :
         {std::pair{&frmBackUpRestore::ImgOKNormal_MouseMove, &frmBackUpRestore::ImgOkMouseMove_Click},
          std::pair{&frmBackUpRestore::imgCloseNormal_MouseMove, &frmBackUpRestore::ImgCloseMouseMove_Click}}) {
        WindowFixture w(kThree);
        (w.window.*light)();
        w.window.Picture1_MouseMove();
        (w.window.*click)();
        EXPECT_FALSE(w.window.Unloaded) << "the background put the button back to idle";
        (w.window.*light)();
        (w.window.*click)();
        EXPECT_TRUE(w.window.Unloaded);
        EXPECT_TRUE(w.window.backups.lvwBackUp.empty());
        EXPECT_EQ(w.f.files.entries(kBackupFolder).size(), 3u) << "closing deletes nothing";
    }
}

TEST(frmBackUpRestore, DragAreasMoveTheWindow)
{
    WindowFixture w({});
    w.window.position = {500, 500};
    w.window.ImgFormMove_MouseDown(30, 40);
    w.window.ImgToolBarOrlenda_MouseMove(330, -110);
    EXPECT_FLOAT_EQ(w.window.position.x, 800);
    EXPECT_FLOAT_EQ(w.window.position.y, 350);
}

} // namespace
} // namespace tessivar
