// The settings dialog and the backup manager on screen. They live apart from the tray menu's
// test: the scan model and the mouse pointer interface cannot share one file yet.

#include "results/backup_encoding.h"
#include "results/repair_fixture.h"
#include "support/fake_desktop.h"
#include "support/null_platform.h"
#include "ui/backup_window.h"
#include "ui/click_label.h"
#include "ui/pointer.h"
#include "ui/settings_dialog_window.h"
#include "ui/svg_picture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace tessivar::ui {
namespace {

template <typename T> T* child(QWidget& window, const char* name)
{
    return window.findChild<T*>(QLatin1String(name));
}

void lightAndClick(QWidget& window, const char* normal, const char* lit)
{
    auto* idle = child<SvgPicture>(window, normal);
    ASSERT_TRUE(idle) << normal;
    test::hover(idle, QPoint(5, 5));
    auto* hover = child<SvgPicture>(window, lit);
    ASSERT_TRUE(hover && hover->isVisible()) << lit;
    QTest::mouseClick(hover, Qt::LeftButton);
}

TEST(SettingsDialogWindow, RendersTheRowsAndForwardsLabelsBoxesAndOk)
{
    test::TestContext t;
    test::FakeFolderPicker picker;
    test::FakeHostPaths paths;
    test::FakeStartupEntry startup;
    frmSetings unit(t.context, {picker, paths, startup});
    unit.Form_Load();
    SettingsDialogWindow window(unit);
    window.show();
    EXPECT_EQ(window.size(), QSize(416, 370));

    auto* backup = child<QCheckBox>(window, "chkMakeBackUp");
    auto* sound = child<QCheckBox>(window, "chkPlaySound");
    auto* soundPath = child<QLineEdit>(window, "txtWaveFilesPath");
    ASSERT_TRUE(backup && sound && soundPath);
    EXPECT_TRUE(backup->isChecked());
    EXPECT_TRUE(soundPath->isReadOnly());
    QTest::mouseClick(sound, Qt::LeftButton);
    EXPECT_EQ(unit.chkPlaySound, CheckState::checked);
    EXPECT_FALSE(soundPath->isReadOnly());

    startup.calls.clear();
    QTest::mouseClick(child<ClickLabel>(window, "lblRunonStartup"), Qt::LeftButton);
    EXPECT_EQ(startup.calls, (std::vector<std::string>{"remove", "remove"}));
    EXPECT_FALSE(child<QCheckBox>(window, "chkRunAtStartup")->isChecked());

    auto* logFolder = child<QLineEdit>(window, "txtLogFile");
    logFolder->clear();
    QTest::keyClicks(logFolder, "D:\\Reports");
    lightAndClick(window, "cmdOKNormal", "cmdokMousemove");
    EXPECT_TRUE(unit.Unloaded);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(t.backend.get("txtLogFile"), "D:\\Reports");
}

TEST(BackupWindow, ListsBackupsWhiteOnBlueAndDeletesTheCheckedOneAfterYes)
{
    test::RepairFixture f;
    for (const char* name : {"BackUp 08-12-25 14-03-59", "BackUp 09-12-25 10-00-00"})
        f.files.addFile(std::string(test::kBackupFolder) + "\\" + name,
                        EncodeBackupLine("R^HKEY_LOCAL_MACHINE^K^x^v^"));
    frmBackUpRestore unit(f.context);
    unit.Form_Load();
    BackupWindow window(unit);
    window.show();

    QTreeWidget* list = window.list();
    ASSERT_EQ(list->objectName(), QStringLiteral("lvwBackUp"));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->headerItem()->text(3), QStringLiteral("Size ( Bytes )"));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("08/12/25"));
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("14:03:59"));
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(68, 118, 191));

    list->topLevelItem(0)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(unit.backups.lvwBackUp[0].checked);
    f.host.queueAnswer(MessageAnswer::yes);
    lightAndClick(window, "ImgDeleteNormal", "ImgDeleteMouseMove");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("BackUp 09-12-25 10-00-00"));

    lightAndClick(window, "imgCloseNormal", "ImgCloseMouseMove");
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace tessivar::ui
