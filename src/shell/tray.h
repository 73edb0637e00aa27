#pragma once

// `clsTray`: puts the program's icon into the notification area, changes its tip and removes it.
// While the icon stands for a window, its mouse messages reach that window's Form_MouseMove with
// the message number times 15 as x (515 × 15 for a left double-click, 517 × 15 for a right button
// released), as the main window decodes them.

#include "platform/tray_icon.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tessivar {

// What the tray needs of the window its icon stands for.
class TrayWindow {
  public:
    virtual ~TrayWindow() = default;
    virtual std::string Caption() const = 0;
    virtual void Form_MouseMove(int Button, int Shift, float X, float Y) = 0;
};

// The tip holds 64 characters with its closing zero.
inline constexpr std::size_t kTrayTipLength = 63;

class clsTray {
  public:
    explicit clsTray(TrayIconPlatform& platform);
    ~clsTray();
    clsTray(const clsTray&) = delete;
    clsTray& operator=(const clsTray&) = delete;

    // Follows the calls made, not whether the platform managed them.
    bool bRunningInTray = false;

    void ShowIcon(TrayWindow& window);
    // Only while the icon is shown.
    void ChangeToolTip(TrayWindow& window, std::string_view tip);
    void RemoveIcon(TrayWindow& window);

    // Whether there is a notification area to hide into; where there is none, hiding into it
    // would leave the program running with no way to reach it.
    bool notificationAreaAvailable() const { return m_platform.isAvailable(); }

    // The tip as last handed to the platform (empty after RemoveIcon).
    const std::string& tip() const { return m_tip; }

  private:
    TrayIconPlatform& m_platform;
    TrayWindow* m_window = nullptr;
    std::string m_tip;
};

// The text cut to the tip's length, never inside a UTF-8 character.
std::string TrayTip(std::string_view text);

} // namespace tessivar
