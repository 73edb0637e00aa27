#include <QApplication>

#include <filesystem>
#include <memory>

#include "engine/scan_context.h"
#include "platform/clock.h"
#include "platform/wine/on_demand_registry.h"
#include "platform/wine/prefix.h"
#include "platform/wine/settings_file.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "settings/settings_store.h"
#include "shell/main_window.h"
#include "shell/main_window_host.h"
#include "shell/main_window_tray.h"
#include "shell/splash.h"
#include "shell/tray.h"
#include "ui/desktop_peers.h"
#include "ui/main_window_widget.h"
#include "ui/message_box_window.h"
#include "ui/notification_window.h"
#include "ui/platform_choice.h"
#include "ui/qt_host.h"
#include "ui/qt_tray_icon.h"
#include "ui/session_end.h"
#include "ui/single_instance.h"
#include "ui/skin_resources.h"
#include "ui/splash_window.h"

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

    // The prefix of the command line; its registry is read for each scan or repair and let go
    // of afterwards, so that nothing parsed is held while the program waits in the tray.
    const std::filesystem::path prefix = wine::defaultPrefixPath();
    wine::OnDemandRegistry registry([prefix] { return std::make_unique<wine::WineRegistry>(prefix); });
    wine::WineFileSystemOptions options;
    options.driveTypes = wine::cachedDriveTypeReader(prefix);
    wine::WineFileSystem files(prefix, std::move(options));
    wine::SettingsFile settingsFile(wine::SettingsFile::defaultPath(), kProductName);
    SettingsStore settings(settingsFile);
    SystemClock clock;
    ui::QtHost qtHost;
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

    QObject::connect(&session, &ui::SessionEnd::sessionEnding, &window, [&] { window.sessionEnding(); });
    QObject::connect(&instance, &ui::SingleInstance::activationRequested, &window, [&] { unit.Restore(); });

    ui::QtMousePointer pointer;
    FrmSplash splash(pointer, [&] { unit.Show(); });
    ui::SplashWindow splashWindow(splash);
    splashWindow.load();
    return QApplication::exec();
}
