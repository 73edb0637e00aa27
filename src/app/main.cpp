#include "ui/platform_choice.h"
#include "ui/skin_resources.h"

#include <QApplication>

int main(int argc, char** argv)
{
    tessivar::ui::applyQtPlatformChoice();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessivar"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tessivar v4.0"));
    QApplication::setDesktopFileName(QStringLiteral("tessivar"));
    QApplication::setWindowIcon(tessivar::ui::applicationIcon());
    return 0;
}
