#pragma once

// What the tray menu asks of the main window, answered by FRMmAIN and the pieces beside it.

#include <string>

#include "engine/message_kind.h"
#include "engine/scan_context.h"
#include "engine/section_list.h"
#include "platform/text_utils.h"
#include "shell/main_window.h"
#include "shell/main_window_peers.h"
#include "shell/tray_menu.h"

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
    // The menu speaks the shared-text protocol; the host takes the kind and gives the answer back.
    void showMessageBox(std::string& MessageboxRequest) override
    {
        const std::string request = upper(trimmed(MessageboxRequest));
        for (const MessageKind kind : {MessageKind::FilesRepaired, MessageKind::CloseConfirmation,
                                       MessageKind::CancelScanning, MessageKind::DeleteBackupFile}) {
            if (request == MessageRequestText(kind)) {
                const MessageAnswer answer = m_context.host.showMessageBox(kind);
                if (kind != MessageKind::FilesRepaired) {
                    MessageboxRequest.clear();
                    MessageboxRequest = answer == MessageAnswer::yes ? "YES" : "NO";
                }
                return;
            }
        }
    }

  private:
    FRMmAIN& m_window;
    ScanContext& m_context;
    TrayIcon& m_tray;
};

} // namespace tessivar
