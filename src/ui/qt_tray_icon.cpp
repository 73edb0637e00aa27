#include "ui/qt_tray_icon.h"

#include "ui/skin_resources.h"

namespace tessivar::ui {

int trayMessageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return kTrayLeftDoubleClick;
    case QSystemTrayIcon::Context:
        return kTrayRightButtonUp;
    case QSystemTrayIcon::Trigger:
        return kTrayLeftButtonUp;
    case QSystemTrayIcon::MiddleClick:
        return kTrayMiddleButtonUp;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

QtTrayIcon::QtTrayIcon(QObject* parent) : QObject(parent), m_icon(applicationIcon())
{
    m_icon.setObjectName(QStringLiteral("clsTray"));
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        const int message = trayMessageFor(reason);
        if (message != 0 && m_handler)
            m_handler(message);
    });
}

bool QtTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::add(std::string_view tip)
{
    m_icon.setToolTip(QString::fromUtf8(tip.data(), static_cast<qsizetype>(tip.size())));
    m_icon.show();
}

void QtTrayIcon::modify(std::string_view tip)
{
    m_icon.setToolTip(QString::fromUtf8(tip.data(), static_cast<qsizetype>(tip.size())));
}

void QtTrayIcon::remove()
{
    m_icon.hide();
}

} // namespace tessivar::ui
