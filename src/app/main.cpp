#include "engine/scan_context.h"
#include "platform/clock.h"
#include "platform/linux/help_site.h"
#include "platform/linux/xdg_autostart.h"
#include "platform/linux/xdg_document_programs.h"
#include "platform/linux/xdg_environment.h"
#include "platform/wine/host_paths.h"
#include "platform/wine/on_demand_registry.h"
#include "platform/wine/prefix.h"
#include "platform/wine/settings_file.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "settings/settings_store.h"
#include "shell/backup_window.h"
#include "shell/main_window.h"
#include "shell/main_window_host.h"
#include "shell/main_window_menu_owner.h"
#include "shell/main_window_tray.h"
#include "shell/settings_dialog.h"
#include "shell/splash.h"
#include "shell/tray.h"
#include "shell/tray_menu.h"
#include "shell/web_page_opener.h"
#include "ui/backup_window.h"
#include "ui/desktop_peers.h"
#include "ui/desktop_services_qt.h"
#include "ui/main_window_widget.h"
#include "ui/message_box_window.h"
#include "ui/notification_window.h"
#include "ui/platform_choice.h"
#include "ui/qt_host.h"
#include "ui/qt_tray_icon.h"
#include "ui/session_end.h"
#include "ui/settings_dialog_window.h"
#include "ui/single_instance.h"
#include "ui/skin_resources.h"
#include "ui/splash_window.h"
#include "ui/tray_menu_window.h"

#include <QApplication>
#include <filesystem>
#include <functional>
#include <memory>

int main(int argc, char** argv)
{
    using namespace tessivar;
    ui::applyQtPlatformChoice();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessivar"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tessivar v4.0"));
    QApplication::setDesktopFileName(QStringLiteral("tessivar"));
    QApplication::setWindowIcon(ui::applicationIcon());
    // The program lives on in the tray with no window shown; only its own exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    ui::SingleInstance instance;
    if (!instance.claim())
        return instance.activateRunning() ? 0 : 1;
    ui::SessionEnd session(app);

    // The splash first, drawn before the rest is built behind it; it shows the main window when
    // its time is up.
    std::function<void()> showMainWindow;
    ui::QtMousePointer pointer;
    FrmSplash splash(pointer, [&] {
        if (showMainWindow)
            showMainWindow();
    });
    ui::SplashWindow splashWindow(splash);
    splashWindow.load();
    QCoreApplication::processEvents();

    // The prefix of the command line; its registry is read for each scan or repair and let go
    // of afterwards, so that nothing parsed is held while the program waits in the tray.
    const std::filesystem::path prefix = wine::defaultPrefixPath();
    wine::OnDemandRegistry registry([prefix] { return std::make_unique<wine::WineRegistry>(prefix); });
    registry.setWhileReading([] { QCoreApplication::processEvents(); });
    wine::WineFileSystemOptions options;
    options.driveTypes = wine::cachedDriveTypeReader(prefix);
    wine::WineFileSystem files(prefix, std::move(options));
    wine::SettingsFile settingsFile(wine::SettingsFile::defaultPath(), kProductName);
    SettingsStore settings(settingsFile);
    SystemClock clock;
    ui::QtHost qtHost;
    // The sound file's path is a path of the prefix, like every path the settings hold.
    qtHost.setSoundFiles([&files](std::string_view path) { return files.unixPathOf(path); });
    MainWindowHost host(qtHost);
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};

    ui::QtTrayIcon trayIcon;
    clsTray tray(trayIcon);
    MainWindowTray mainTray(tray);
    ui::DesktopPeers peers;
    FRMmAIN unit(context, peers, mainTray);
    unit.Label2ToolTipText = prefix.string();
    host.attach(&unit);
    mainTray.attach(&unit);
    ui::MainWindowWidget window(unit, model);
    peers.setWindow(&window);
    peers.notification = [&](const std::string& title) {
        ui::NotificationWindow::showNotification(settings, title, &window);
    };
    peers.onWorkDone = [&] { registry.release(); };
    qtHost.setMessageBox([&window](MessageKind kind, std::string_view outcomeText) {
        return ui::MessageBoxWindow::ask(kind, outcomeText, &window);
    });

    // The other windows the main window opens, each a fresh unit for each showing.
    const xdg::Environment environment = xdg::Environment::fromProcess();
    ui::QtFolderPicker folderPicker(&window);
    wine::PrefixHostPaths hostPaths(prefix);
    xdg::XdgAutostart autostart(environment.configHome, xdg::ownProgramPath());
    xdg::XdgDocumentPrograms documentPrograms(environment);
    const std::string helpSite = xdg::helpSiteAddress(xdg::ownProgramPath());
    peers.settingsDialog = [&] {
        frmSetings dialog(context, SettingsDialogServices{folderPicker, hostPaths, autostart});
        ui::SettingsDialogWindow dialogWindow(dialog, &window);
        dialog.Form_Load();
        dialogWindow.render();
        if (!dialog.Unloaded)
            dialogWindow.exec();
    };
    peers.backupManager = [&] {
        frmBackUpRestore backups(context);
        ui::BackupWindow backupWindow(backups, &window);
        backups.Form_Load();
        backupWindow.render();
        if (!backups.Unloaded)
            backupWindow.exec();
    };
    peers.webPage = [&](const std::string& address, const std::string& extension) {
        // The pages ship with the program: the maker's site stands for the folder they are in.
        std::string page = address;
        if (page.rfind(kMakerWebSite, 0) == 0)
            page = helpSite.empty() ? std::string() : helpSite + page.substr(kMakerWebSite.size());
        if (!page.empty())
            OpenWebPage(files, documentPrograms, page, extension);
    };
    ui::QtScreenInfo screen;
    ui::QtMousePointer menuPointer;
    MainWindowMenuOwner menuOwner(unit, context, mainTray);
    frmMenuPopUp menu(menuOwner, screen, menuPointer);
    ui::TrayMenuWindow menuWindow(menu);
    peers.trayMenu = [&] { menu.showFromTray(); };

    QObject::connect(&session, &ui::SessionEnd::sessionEnding, &window, [&] { window.sessionEnding(); });
    QObject::connect(&instance, &ui::SingleInstance::activationRequested, &window, [&] { unit.Restore(); });

    showMainWindow = [&] { unit.Show(); };
    return QApplication::exec();
}
