#pragma once

// The main window's peers in the desktop program: each of the other windows is reached through a
// slot that the program's entry point fills with the window it has, so that this class holds no
// window of its own and the main window never waits on one that is missing (an empty slot shows
// nothing and says nothing).

#include "shell/main_window_peers.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

namespace tessivar::ui {

class DesktopPeers final : public MainWindowPeers {
  public:
    std::function<void(const std::string& title)> notification;
    std::function<void()> settingsDialog;
    std::function<void()> backupManager;
    std::function<void()> trayMenu;
    std::function<void(const std::string& address, const std::string& extension)> webPage;
    std::function<void()> onWorkDone;

    // The window whose controls repaint() finds by name.
    void setWindow(QWidget* window) { m_window = window; }

    void showNotification(std::string_view title) override;
    void showSettingsDialog() override;
    void showBackupManager() override;
    void showTrayMenu() override;
    void OpenWebPage(std::string_view address, std::string_view extension) override;
    void repaint(std::string_view controlName) override;
    // The event loop ends once the handler running now has returned to it.
    void endProgram() override;
    void workDone() override;

  private:
    QPointer<QWidget> m_window;
};

} // namespace tessivar::ui
