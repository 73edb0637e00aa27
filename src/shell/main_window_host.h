#pragma once

// The host the main window's core work runs with: the desktop's host for yielding, the message box
// and sounds, and the main window itself for the two things the core asks of the window (repaint
// its pictures, put its buttons back to idle). The window needs the context that holds this host,
// so the window is attached after both exist.

#include "engine/host.h"
#include "shell/main_window.h"

#include <string>

namespace tessivar {

class MainWindowHost final : public Host {
  public:
    explicit MainWindowHost(Host& inner) : m_inner(inner) {}

    void attach(FRMmAIN* window) { m_window = window; }
    void yield() override { m_inner.yield(); }
    MessageAnswer showMessageBox(MessageKind kind, std::string_view outcomeText) override
    {
        return m_inner.showMessageBox(kind, outcomeText);
    }
    bool playSoundAsync(const std::string& path) override { return m_inner.playSoundAsync(path); }
    void RefreshThePicControls() override
    {
        if (m_window)
            m_window->RefreshThePicControls();
    }
    void Picture1_MouseMove() override
    {
        if (m_window)
            m_window->Picture1_MouseMove();
    }

  private:
    Host& m_inner;
    FRMmAIN* m_window = nullptr;
};

} // namespace tessivar
