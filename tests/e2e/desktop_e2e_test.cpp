// The desktop program for real: `tessivar` on a private X server, driven the way a user drives it.

#include "e2e/desktop_user.h"
#include "e2e/x_session.h"
#include "support/temp_prefix.h"
#include "ui/backup_window.h"
#include "ui/settings_dialog_window.h"
#include "ui/skin_layout.h"
#include "ui/tray_menu_window.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <thread>

namespace tessivar::test {
namespace {

namespace fs = std::filesystem;
namespace layout = ui::layout;
using namespace std::chrono_literals;

const std::string kTitle = "Tessivar v4.0";

bool onPath(const char* program)
{
    const std::string probe = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(probe.c_str()) == 0;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The report without the lines that hold the date and the times of the scan.
std::string withoutTimes(const std::string& report)
{
    std::istringstream in(report);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        if (line.find("Created on : ") == std::string::npos && line.find(" started scanning ") == std::string::npos)
            out += line + "\n";
    }
    return out;
}

template <typename Condition> bool waitFor(Condition condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (condition())
            return true;
        std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

bool waitForGone(const fs::path& path, std::chrono::milliseconds timeout)
{
    return waitFor([&] { return !fs::exists(path); }, timeout);
}

bool waitForFile(const fs::path& path, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        std::error_code error;
        if (fs::exists(path, error)) {
            // Written completely once its size stops changing.
            const auto size = fs::file_size(path, error);
            std::this_thread::sleep_for(300ms);
            if (!error && fs::file_size(path, error) == size && size > 0)
                return true;
        }
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

// One user's world, with backups on and the start-up entry off.
struct DesktopWorld : DesktopUser {
    fs::path backups = prefix / "drive_c" / "backups";
    fs::path autostart = config / "autostart" / "tessivar.desktop";

    DesktopWorld(const fs::path& testPrefix, const std::string& display) : DesktopUser(testPrefix, display)
    {
        fs::create_directories(backups);
        setting("chkMakeBackUp", "1");
        setting("txtBackUp", "C:\\backups");
        setting("chkRunAtStartup", "0");
    }

    // The report the command line writes for this prefix as it is now, times aside.
    std::string commandLineReport()
    {
        std::error_code ignored;
        fs::remove(report, ignored);
        const pid_t cli = spawnProcess({TESSIVAR_CLI, "scan"}, environment, log.string());
        const auto code = waitForExit(cli, 120s);
        std::string text = withoutTimes(readFile(report));
        fs::remove(report, ignored);
        return code ? text : std::string();
    }

    std::vector<fs::path> backupFiles() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(backups))
            if (entry.path().filename().string().rfind("BackUp", 0) == 0)
                found.push_back(entry.path());
        return found;
    }
};

// Centre of a control given in a window's client coordinates.
QPoint centre(const XWindowInfo& window, const QRect& control)
{
    return {window.x + control.center().x(), window.y + control.center().y()};
}

// One X server with a tray host for every test here; the last test takes the tray host away.
class DesktopEndToEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { s_x = new XSession(true); }
    static void TearDownTestSuite()
    {
        delete s_x;
        s_x = nullptr;
    }

    void SetUp() override
    {
        for (const char* program : {"Xvfb", "trayer", "xdotool"})
            if (!onPath(program))
                GTEST_SKIP() << program << " is not installed";
        m_testPrefix = testWinePrefix();
        if (!m_testPrefix)
            GTEST_SKIP() << "TESSIVAR_TEST_WINEPREFIX names no prefix";
        if (!s_x->ready())
            GTEST_SKIP() << "no X server with a tray: " << s_x->problem();
    }
    void TearDown() override
    {
        if (HasFailure() && s_x && s_x->ready()) {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            const fs::path shot = fs::temp_directory_path() / (std::string("tessivar-e2e-") + test->name() + ".png");
            s_x->screenshot(shot.string());
            std::cerr << "the screen at the failure: " << shot.string() << '\n';
        }
        stopProcess(m_app);
    }

    XSession& x() { return *s_x; }
    void click(const QPoint& point) { x().clickAt(point.x(), point.y()); }

    // Starts the program and waits for its main window after the splash.
    XWindowInfo start(DesktopWorld& world)
    {
        m_app = spawnProcess({TESSIVAR_APP}, world.environment, world.log.string());
        EXPECT_GT(m_app, 0);
        const auto main = x().waitForWindow(kTitle, 650, 347, 30s);
        EXPECT_TRUE(main) << readFile(world.log);
        return main.value_or(XWindowInfo{});
    }

    // Scan Now, then wait for the report of that scan.
    void scan(DesktopWorld& world, const XWindowInfo& main)
    {
        std::error_code ignored;
        fs::remove(world.report, ignored);
        click(centre(main, layout::main::kScanNow));
        ASSERT_TRUE(waitForFile(world.report, 120s)) << readFile(world.log);
    }

    // Repair from the results view and answer its report box.
    void repair(const XWindowInfo& main)
    {
        click(centre(main, layout::results::kRepair.translated(layout::main::kViews.topLeft())));
        const auto box = x().waitForWindow(kTitle, 448, 119, 60s);
        ASSERT_TRUE(box) << "FILES REPAIRED";
        click(centre(*box, QRect(layout::messagebox::kOkAloneX, layout::messagebox::kOk.y(),
                                 layout::messagebox::kOk.width(), layout::messagebox::kOk.height())));
        ASSERT_TRUE(x().windowGone(kTitle, 448, 119, 10s));
    }

    // Close request, the notification's OK: the window goes into the tray.
    // The main window as it is now: each showing after a stay in the tray is a new X window.
    void closeIntoTheTray()
    {
        const auto main = x().waitForWindow(kTitle, 650, 347, 10s);
        ASSERT_TRUE(main) << "the main window";
        x().requestClose(main->id);
        const auto notification = x().waitForWindow(kTitle, 447, 164, 10s);
        ASSERT_TRUE(notification) << "the notification";
        click(centre(*notification, layout::notification::kOk));
        EXPECT_TRUE(x().windowGone(kTitle, 650, 347, 10s)) << "hidden";
        ASSERT_TRUE(x().waitForTrayIcon(10s)) << "the icon is in the tray";
    }

    // A right click on the tray icon; the menu once it has finished sliding up.
    std::optional<XWindowInfo> openTrayMenu()
    {
        const QSize size = ui::TrayMenuWindow::kClient;
        const auto icon = x().trayIcon();
        if (!icon)
            return std::nullopt;
        x().clickAt(icon->x + icon->width / 2, icon->y + icon->height / 2, 3);
        auto menu = x().waitForWindow(kTitle, size.width(), size.height(), 10s);
        for (int settled = 0; menu && settled < 3;) {
            std::this_thread::sleep_for(100ms);
            const auto now = x().findWindow(kTitle, size.width(), size.height());
            settled = now && now->y == menu->y ? settled + 1 : 0;
            menu = now;
        }
        return menu;
    }

    // The n-th entry of the tray menu (0: Maximize ... 3: Exit).
    static QPoint menuEntry(const XWindowInfo& menu, int n) { return {menu.x + 68, menu.y + 30 + 26 * n + 12}; }

    std::optional<fs::path> m_testPrefix;
    pid_t m_app = -1;
    static XSession* s_x;
};

XSession* DesktopEndToEnd::s_x = nullptr;

TEST_F(DesktopEndToEnd, SplashThenMainWindowScanReportCloseIntoTheTrayAndASecondStartShowsIt)
{
    DesktopWorld world(*m_testPrefix, x().displayName());
    const std::string cliReport = world.commandLineReport();
    ASSERT_FALSE(cliReport.empty()) << readFile(world.log);

    m_app = spawnProcess({TESSIVAR_APP}, world.environment, world.log.string());
    ASSERT_GT(m_app, 0);
    EXPECT_TRUE(x().waitForWindow(kTitle, 451, 345, 20s)) << "the splash";
    const auto main = x().waitForWindow(kTitle, 650, 347, 20s);
    ASSERT_TRUE(main) << readFile(world.log);
    EXPECT_TRUE(x().windowGone(kTitle, 451, 345, 5s)) << "the splash went";

    scan(world, *main);
    EXPECT_EQ(withoutTimes(readFile(world.report)), cliReport);

    closeIntoTheTray();
    EXPECT_FALSE(waitForExit(m_app, 500ms)) << "still running in the tray";

    // A second start shows the running program's window where it was, and ends.
    const pid_t second = spawnProcess({TESSIVAR_APP}, world.environment, world.log.string());
    EXPECT_EQ(waitForExit(second, 10s), std::optional<int>(0));
    const auto shown = x().waitForWindow(kTitle, 650, 347, 10s);
    ASSERT_TRUE(shown) << "shown again";
    EXPECT_EQ(QPoint(shown->x, shown->y), QPoint(main->x, main->y));
}

TEST_F(DesktopEndToEnd, TrayMenuOpensSettingsWhoseStartUpBoxWritesAndRemovesTheEntryAndExitEnds)
{
    DesktopWorld world(*m_testPrefix, x().displayName());
    start(world);
    ASSERT_NO_FATAL_FAILURE(closeIntoTheTray());

    auto menu = openTrayMenu();
    ASSERT_TRUE(menu) << "the menu";
    EXPECT_GT(menu->x + menu->width, 1280 - 40) << "at the right edge";
    EXPECT_GT(menu->y + menu->height, 800 - 60) << "just above the panel";

    click(menuEntry(*menu, 2)); // Settings
    const QSize dialogSize = ui::SettingsDialogWindow::kClient;
    const auto dialog = x().waitForWindow("Settings — Tessivar v4.0", dialogSize.width(), dialogSize.height(), 10s);
    ASSERT_TRUE(dialog) << "the settings dialog";
    const QPoint startUpBox{dialog->x + 29, dialog->y + 277};
    click(startUpBox);
    EXPECT_TRUE(waitForFile(world.autostart, 5s)) << "the start-up entry";
    const std::string entry = readFile(world.autostart);
    EXPECT_NE(entry.find(fs::canonical(TESSIVAR_APP).string()), std::string::npos) << entry;
    click(startUpBox);
    EXPECT_TRUE(waitForGone(world.autostart, 5s)) << "removed again";
    click({dialog->x + 186 + 20, dialog->y + 326 + 15}); // OK
    EXPECT_TRUE(x().windowGone("Settings — Tessivar v4.0", dialogSize.width(), dialogSize.height(), 10s));

    ASSERT_NO_FATAL_FAILURE(closeIntoTheTray());
    menu = openTrayMenu();
    ASSERT_TRUE(menu) << "the menu again";
    click(menuEntry(*menu, 3)); // Exit
    const auto box = x().waitForWindow(kTitle, 448, 119, 10s);
    ASSERT_TRUE(box) << "CLOSE CONFERMATION";
    click(centre(*box, layout::messagebox::kOk));
    EXPECT_EQ(waitForExit(m_app, 10s), std::optional<int>(0)) << "YES ends the program";
    m_app = -1;
    EXPECT_EQ(x().trayIcons(), 0) << "the icon went with it";
}

TEST_F(DesktopEndToEnd, BackupManagerRestoresARepairAndDeletesAnotherBackup)
{
    DesktopWorld world(*m_testPrefix, x().displayName());
    const std::string before = world.commandLineReport();
    const XWindowInfo main = start(world);
    ASSERT_NO_FATAL_FAILURE(scan(world, main));
    ASSERT_NO_FATAL_FAILURE(repair(main));
    ASSERT_EQ(world.backupFiles().size(), 1u);
    ASSERT_NE(world.commandLineReport(), before) << "the repair changed the prefix";

    const QSize managerSize = ui::BackupWindow::kClient;
    auto openManager = [&] {
        click(centre(main, layout::main::kRestore));
        return x().waitForWindow("Backups — Tessivar v4.0", managerSize.width(), managerSize.height(), 10s);
    };
    auto checkFirstRow = [&](const XWindowInfo& manager) {
        click({manager.x + 120, manager.y + 56 + 36}); // the first row, under the header
        x().key("space");
    };
    auto manager = openManager();
    ASSERT_TRUE(manager) << "the backup manager";
    checkFirstRow(*manager);
    click({manager->x + 16 + 20, manager->y + 296 + 15}); // Restore
    EXPECT_TRUE(waitFor([&] { return world.backupFiles().empty(); }, 30s)) << "a complete restore removes it";
    click({manager->x + 282 + 20, manager->y + 296 + 15}); // OK
    ASSERT_TRUE(x().windowGone("Backups — Tessivar v4.0", managerSize.width(), managerSize.height(), 10s));
    EXPECT_EQ(world.commandLineReport(), before) << "the registry and shortcuts are as before the repair";

    ASSERT_NO_FATAL_FAILURE(scan(world, main));
    ASSERT_NO_FATAL_FAILURE(repair(main));
    ASSERT_EQ(world.backupFiles().size(), 1u);
    manager = openManager();
    ASSERT_TRUE(manager) << "the backup manager again";
    checkFirstRow(*manager);
    click({manager->x + 132 + 20, manager->y + 296 + 15}); // Delete
    const auto box = x().waitForWindow(kTitle, 448, 119, 10s);
    ASSERT_TRUE(box) << "DELETE BACKUP FILE";
    click(centre(*box, layout::messagebox::kOk));
    EXPECT_TRUE(waitFor([&] { return world.backupFiles().empty(); }, 10s)) << "YES deletes it";
}

// Last: it takes the tray host away.
TEST_F(DesktopEndToEnd, WithoutATrayACloseAsksFirst)
{
    x().stopTray();
    DesktopWorld world(*m_testPrefix, x().displayName());
    const XWindowInfo main = start(world);

    x().requestClose(main.id);
    auto box = x().waitForWindow(kTitle, 448, 119, 10s);
    ASSERT_TRUE(box) << "CLOSE CONFERMATION";
    click(centre(*box, layout::messagebox::kCancel));
    EXPECT_TRUE(x().windowGone(kTitle, 448, 119, 5s));
    EXPECT_TRUE(x().findWindow(kTitle, 650, 347)) << "NO keeps the window";
    EXPECT_FALSE(waitForExit(m_app, 300ms));

    x().requestClose(main.id);
    box = x().waitForWindow(kTitle, 448, 119, 10s);
    ASSERT_TRUE(box);
    click(centre(*box, layout::messagebox::kOk));
    EXPECT_EQ(waitForExit(m_app, 10s), std::optional<int>(0)) << "YES ends the program";
    m_app = -1;
}

} // namespace
} // namespace tessivar::test
