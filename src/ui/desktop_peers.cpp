#include "ui/desktop_peers.h"

#include <QCoreApplication>

namespace tessivar::ui {

void DesktopPeers::showNotification(std::string_view title)
{
    if (notification)
        notification(std::string(title));
}

void DesktopPeers::showSettingsDialog()
{
    if (settingsDialog)
        settingsDialog();
}

void DesktopPeers::showBackupManager()
{
    if (backupManager)
        backupManager();
}

void DesktopPeers::showTrayMenu()
{
    if (trayMenu)
        trayMenu();
}

void DesktopPeers::OpenWebPage(std::string_view address, std::string_view extension)
{
    if (webPage)
        webPage(std::string(address), std::string(extension));
}

void DesktopPeers::repaint(std::string_view controlName)
{
    if (!m_window)
        return;
    const QString name = QString::fromUtf8(controlName.data(), static_cast<qsizetype>(controlName.size()));
    if (auto* control = m_window->findChild<QWidget*>(name))
        control->update();
}

void DesktopPeers::endProgram()
{
    QCoreApplication::exit(0);
}

void DesktopPeers::workDone()
{
    if (onWorkDone)
        onWorkDone();
}

} // namespace tessivar::ui
