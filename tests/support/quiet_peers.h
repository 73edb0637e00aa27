#pragma once

// The main window's peers and tray for a window shown alone (benches, screenshots): no other
// window opens, and the tray only remembers whether the icon is up.

#include "shell/main_window_peers.h"

#include <string_view>

namespace tessivar::test {

struct QuietPeers final : MainWindowPeers, TrayIcon {
    bool iconUp = false;
    void showNotification(std::string_view) override {}
    void showSettingsDialog() override {}
    void showBackupManager() override {}
    void showTrayMenu() override {}
    void OpenWebPage(std::string_view, std::string_view) override {}
    void repaint(std::string_view) override {}
    void endProgram() override {}
    bool isSystemTrayAvailable() const override { return true; }
    void ShowIcon(std::string_view) override { iconUp = true; }
    void ChangeToolTip(std::string_view) override {}
    void RemoveIcon() override { iconUp = false; }
    bool bRunningInTray() const override { return iconUp; }
};

} // namespace tessivar::test
