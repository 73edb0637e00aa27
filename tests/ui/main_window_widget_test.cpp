#include "engine/scan_context.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "settings/settings_store.h"
#include "shell/main_window_host.h"
#include "shell/main_window_peers.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/temp_prefix.h"
#include "ui/main_window_widget.h"
#include "ui/pointer.h"
#include "ui/svg_picture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace tessivar::ui {
namespace {

// Yields through the event loop at every step and answers the message box as the test says.
struct EventLoopHost : Host {
    std::function<MessageAnswer(MessageKind)> messageBox;
    std::function<void()> onYield;
    void yield() override
    {
        if (onYield)
            onYield();
        QCoreApplication::processEvents();
    }
    MessageAnswer showMessageBox(MessageKind kind, std::string_view) override { return messageBox(kind); }
    bool playSoundAsync(const std::string&) override { return false; }
};

struct RecordingPeers : MainWindowPeers, TrayIcon {
    std::vector<std::string> calls;
    bool trayAvailable = true;
    bool iconUp = false;

    void showNotification(std::string_view) override { calls.emplace_back("notification"); }
    void showSettingsDialog() override { calls.emplace_back("settings"); }
    void showBackupManager() override { calls.emplace_back("backups"); }
    void showTrayMenu() override { calls.emplace_back("menu"); }
    void OpenWebPage(std::string_view address, std::string_view) override { calls.emplace_back(address); }
    void repaint(std::string_view) override {}
    void endProgram() override { calls.emplace_back("end"); }
    bool isSystemTrayAvailable() const override { return trayAvailable; }
    void ShowIcon(std::string_view) override { iconUp = true; }
    void ChangeToolTip(std::string_view) override {}
    void RemoveIcon() override { iconUp = false; }
    bool bRunningInTray() const override { return iconUp; }
};

constexpr const char* kMachineHead = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n"
                                     "#arch=win64\n\n";

// The main window over a small prefix with one program registration whose file is gone.
struct MainWindowWidgetTest : ::testing::Test {
    test::TempPrefix prefix;
    wine::WineRegistry registry{writePrefix(prefix)};
    wine::WineFileSystem files{prefix.path()};
    test::FixedClock clock;
    EventLoopHost loopHost;
    MainWindowHost host{loopHost};
    test::MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    RecordingPeers peers;
    FRMmAIN unit{context, peers, peers};
    std::vector<std::string> boxes;
    std::string answer = "NO";

    static std::filesystem::path writePrefix(const test::TempPrefix& p)
    {
        p.write("system.reg", std::string(kMachineHead) +
                                  "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\gone.exe] "
                                  "1700000000\n@=\"C:\\\\Gone\\\\gone.exe\"\n");
        p.makeFolder("drive_c/backups");
        return p.path();
    }

    MainWindowWidgetTest()
    {
        host.attach(&unit);
        backend.set("Window Shortcut Z", "False"); // z: is the whole Unix tree
        backend.set("txtBackup", "C:\\backups");
        backend.set("txtLogFile", "C:\\backups");
        loopHost.messageBox = [this](MessageKind kind) {
            boxes.emplace_back(MessageRequestText(kind));
            return answer == "YES" ? MessageAnswer::yes : MessageAnswer::no;
        };
    }

    template <typename T = QWidget> T* control(MainWindowWidget& window, const char* name)
    {
        return window.findChild<T*>(QLatin1String(name));
    }
};

TEST_F(MainWindowWidgetTest, EveryControlIsThereUnderItsName)
{
    MainWindowWidget window(unit, model);
    unit.Show();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tessivar v4.0"));
    EXPECT_EQ(window.size(), QSize(650, 347));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    for (const MainWindowControl& c : mainWindowControls())
        EXPECT_TRUE(window.findChild<QObject*>(QString::fromUtf8(c.name.data(), static_cast<qsizetype>(c.name.size()))))
            << c.name;
    for (const char* name : {"PicScanning", "PicResults"})
        EXPECT_EQ(control(window, name)->size(), QSize(403, 277)) << name;
    EXPECT_EQ(control(window, "PicMainProgress")->size(), QSize(285, 20));
    EXPECT_EQ(control<QTreeView>(window, "lvwRegistryvaluesScan")->model()->rowCount(), 13) << "11 and drives C, Z";
}

// The settings timer runs in the window's design and Form_Load stops it: before the window is
// loaded (the splash's two seconds) it must not open the settings dialog.
TEST_F(MainWindowWidgetTest, TheDesignsSettingsTimerDoesNotRunBeforeTheWindowLoads)
{
    MainWindowWidget window(unit, model);
    QTest::qWait(3 * kTmrSettingsInterval);
    unit.Show();
    QTest::qWait(3 * kTmrSettingsInterval);
    EXPECT_TRUE(peers.calls.empty());
}

TEST_F(MainWindowWidgetTest, OnlyALitPictureActs)
{
    MainWindowWidget window(unit, model);
    unit.Show();
    auto* normal = control<SvgPicture>(window, "ImgHelpNormal");
    auto* lit = control<SvgPicture>(window, "ImgHelpMouseMove");
    QTest::mouseClick(lit, Qt::LeftButton);
    EXPECT_TRUE(peers.calls.empty()) << "idle: the lit picture is not there to take the click";
    test::hover(normal, QPoint(5, 5));
    EXPECT_TRUE(lit->isVisible());
    EXPECT_TRUE(control(window, "ImgHelpPicmouseMove")->isVisible()) << "icon and caption light together";
    QTest::mouseClick(lit, Qt::LeftButton);
    EXPECT_EQ(peers.calls, std::vector<std::string>{"https://tessivar.example/tessivarhelp.html"});

    test::hover(control(window, "Picture1"), QPoint(5, 5));
    EXPECT_FALSE(lit->isVisible());
    EXPECT_TRUE(normal->isVisible());
}

TEST_F(MainWindowWidgetTest, AScanSwitchesToTheScanningViewThenToTheResultsAndARepairBack)
{
    MainWindowWidget window(unit, model);
    unit.Show();
    // The scan of so small a prefix is over in a moment: at its first step, wait for the window to
    // show the scanning view.
    bool scanningShown = false;
    bool first = true;
    loopHost.onYield = [&] {
        if (std::exchange(first, false))
            scanningShown = QTest::qWaitFor([&] { return control(window, "PicScanning")->isVisible(); });
    };
    test::hover(control(window, "ImgScanNowNormal"), QPoint(5, 5));
    QTest::mouseClick(control(window, "ImgScanNowMouseMove"), Qt::LeftButton);
    EXPECT_TRUE(scanningShown);
    EXPECT_FALSE(control(window, "PicScanning")->isVisible());
    ASSERT_TRUE(control(window, "PicResults")->isVisible()) << "found the registration of gone.exe";
    auto* summary = control<QTreeView>(window, "lvwRegistryProblems");
    ASSERT_EQ(summary->model()->rowCount(), 1);
    EXPECT_EQ(summary->model()->index(0, 0).data().toString(),
              QStringLiteral("Invalid Software Locations ( 1 Problem(s) )"));
    EXPECT_EQ(summary->model()->index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));

    QTest::mouseClick(summary->viewport(), Qt::LeftButton, {},
                      summary->visualRect(summary->model()->index(0, 0)).center());
    auto* details = control<QTreeView>(window, "lvwRegistryErrorsDetail");
    ASSERT_EQ(details->model()->rowCount(), 1);
    EXPECT_EQ(details->model()->index(0, 0).data().toString(),
              QStringLiteral("This file could not be found on your hard drive:C:\\Gone\\gone.exe"));
    EXPECT_EQ(details->model()->index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(192, 0, 0));

    test::hover(control(window, "ImgRepairNormal"), QPoint(5, 5));
    QTest::mouseClick(control(window, "ImgRepairMouseMove"), Qt::LeftButton);
    EXPECT_EQ(boxes, std::vector<std::string>{"FILES REPAIRED"});
    EXPECT_FALSE(control(window, "PicResults")->isVisible());
    EXPECT_EQ(summary->model()->rowCount(), 0);
}

TEST_F(MainWindowWidgetTest, WithoutATrayACloseAsksAndNoKeepsTheWindow)
{
    peers.trayAvailable = false;
    MainWindowWidget window(unit, model);
    unit.Show();
    answer = "NO";
    EXPECT_FALSE(window.close());
    EXPECT_EQ(boxes, std::vector<std::string>{"CLOSE CONFERMATION"});
    EXPECT_TRUE(window.isVisible());

    peers.trayAvailable = true;
    EXPECT_FALSE(window.close());
    EXPECT_EQ(peers.calls, std::vector<std::string>{"notification"});
    EXPECT_FALSE(window.isVisible()) << "hidden into the tray";
    EXPECT_TRUE(peers.iconUp);
}

} // namespace
} // namespace tessivar::ui
