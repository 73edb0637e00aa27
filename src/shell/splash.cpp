#include "shell/splash.h"

#include <utility>

namespace tessivar {

FrmSplash::FrmSplash(MousePointer& pointer, std::function<void()> showMainWindow)
    : m_pointer(pointer), m_showMainWindow(std::move(showMainWindow))
{
}

void FrmSplash::Form_Load()
{
    if (!loaded)
        return;
    m_pointer.setPointer(PointerShape::Hourglass);
    visible = true;
    tmrUnload.start();
    notifyChanged();
}

void FrmSplash::tmrUnload_Timer()
{
    // A tick that was already queued when the timer stopped must not show the main window twice.
    if (!loaded)
        return;
    tmrUnload.stop();
    m_pointer.setPointer(PointerShape::Default);
    if (m_showMainWindow)
        m_showMainWindow();
    visible = false;
    loaded = false;
    notifyChanged();
}

} // namespace tessivar
