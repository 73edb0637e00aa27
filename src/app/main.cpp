#include "shell/splash.h"
#include "ui/platform_choice.h"
#include "ui/qt_host.h"
#include "ui/session_end.h"
#include "ui/single_instance.h"
#include "ui/skin_resources.h"
#include "ui/splash_window.h"

#include <QApplication>

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

    ui::QtMousePointer pointer;
    // Until the main window is wired here, the hand-over ends the program.
    FrmSplash splash(pointer, [] { QCoreApplication::exit(0); });
    ui::SplashWindow splashWindow(splash);
    splashWindow.load();
    return QApplication::exec();
}
