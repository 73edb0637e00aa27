#include "ui/platform_choice.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace tessivar::ui {

std::string chooseQtPlatform(const EnvironmentReader& environment)
{
    if (!environment("QT_QPA_PLATFORM").empty())
        return {};
    const bool wayland = !environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland";
    if (wayland && !environment("DISPLAY").empty())
        return "xcb";
    return {};
}

void applyQtPlatformChoice()
{
    const std::string platform =
        chooseQtPlatform([](const char* name) { return qEnvironmentVariable(name).toStdString(); });
    if (!platform.empty())
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
}

} // namespace tessivar::ui
