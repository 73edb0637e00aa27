#pragma once

// The main window's tray icon: clsTray standing for FRMmAIN. The icon's mouse messages reach the
// window's Form_MouseMove; its tip starts as the window's title.

#include "shell/main_window.h"
#include "shell/main_window_peers.h"
#include "shell/tray.h"

#include <string>
#include <string_view>

namespace tessivar {

class MainWindowTray final : public TrayIcon, public TrayWindow {
  public:
    explicit MainWindowTray(clsTray& tray) : m_tray(tray) {}

    void attach(FRMmAIN* window) { m_window = window; }

    bool isSystemTrayAvailable() const override { return m_tray.notificationAreaAvailable(); }
    void ShowIcon(std::string_view) override { m_tray.ShowIcon(*this); }
    void ChangeToolTip(std::string_view tip) override { m_tray.ChangeToolTip(*this, tip); }
    void RemoveIcon() override { m_tray.RemoveIcon(*this); }
    bool bRunningInTray() const override { return m_tray.bRunningInTray; }

    std::string Caption() const override { return m_window ? m_window->Caption : std::string(); }
    void Form_MouseMove(int Button, int Shift, float X, float Y) override
    {
        if (m_window)
            m_window->Form_MouseMove(Button, Shift, X, Y);
    }

  private:
    clsTray& m_tray;
    FRMmAIN* m_window = nullptr;
};

} // namespace tessivar
