#pragma once

// What the tray menu asks of the main window, answered by FRMmAIN and the pieces beside it.

#include "engine/message_kind.h"
#include "engine/scan_context.h"
#include "engine/section_list.h"
#include "shell/main_window.h"
#include "shell/main_window_peers.h"
#include "shell/tray_menu.h"

#include <string>

namespace tessivar {

class MainWindowMenuOwner final : public TrayMenuOwner {
  public:
    MainWindowMenuOwner(FRMmAIN& window, ScanContext& context, TrayIcon& tray)
        : m_window(window), m_context(context), m_tray(tray)
    {
    }

    void showNormal() override
    {
        m_window.setWindowState(WindowState::normal);
        m_window.Show();
    }
    bool isVisible() const override { return m_window.Visible; }
    bool ImgScanNowNormalEnabled() const override { return m_context.model.ImgScanNowNormalEnabled; }
    void RefreshThePicControls() override { m_window.RefreshThePicControls(); }
    void LoadlvwRegistryvaluesScanValues() override { tessivar::LoadlvwRegistryvaluesScanValues(m_context); }
    void ImgScanNowMouseMove_Click() override { m_window.ImgScanNowMouseMove_Click(); }
    void startTmrSettings() override { m_window.startTmrSettings(); }
    void HideToTray() override { m_window.HideToTray(); }
    void RemoveIcon() override { m_tray.RemoveIcon(); }
    void endProgram() override { m_window.endProgram(); }
    MessageAnswer showMessageBox(MessageKind kind) override { return m_context.host.showMessageBox(kind); }

  private:
    FRMmAIN& m_window;
    ScanContext& m_context;
    TrayIcon& m_tray;
};

} // namespace tessivar
