#include "shell/tray.h"

namespace tessivar {

clsTray::clsTray(TrayIconPlatform& platform) : m_platform(platform)
{
    m_platform.setMouseHandler([this](int message) {
        // The icon reports to the window while it stands for one; after RemoveIcon its callback
        // message is no longer the mouse move, so nothing reaches the window.
        if (m_window)
            m_window->Form_MouseMove(0, 0, static_cast<float>(message) * 15.0f, 0.0f);
    });
}

clsTray::~clsTray()
{
    m_platform.setMouseHandler({});
}

void clsTray::ShowIcon(TrayWindow& window)
{
    m_window = &window;
    m_tip = TrayTip(window.Caption());
    m_platform.add(m_tip);
    bRunningInTray = true;
}

void clsTray::ChangeToolTip(TrayWindow&, std::string_view tip)
{
    if (!bRunningInTray)
        return;
    m_tip = TrayTip(tip);
    m_platform.modify(m_tip);
}

void clsTray::RemoveIcon(TrayWindow&)
{
    m_window = nullptr;
    m_tip.clear();
    m_platform.remove();
    bRunningInTray = false;
}

std::string TrayTip(std::string_view text)
{
    if (text.size() <= kTrayTipLength)
        return std::string(text);
    std::size_t length = kTrayTipLength;
    // Back off over continuation bytes so that the cut lands before a character's first byte.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return std::string(text.substr(0, length));
}

} // namespace tessivar
