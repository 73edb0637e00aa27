#pragma once

// The icon in the notification area of the task bar. One icon for the program, drawn with the
// main window's icon; the back-end reports the mouse on it as the window messages a Windows
// notification icon sends (kTrayLeftDoubleClick, kTrayRightButtonUp, ...).

#include <functional>
#include <string_view>

namespace tessivar {

inline constexpr int kTrayMouseMove = 512;
inline constexpr int kTrayLeftButtonUp = 514;
inline constexpr int kTrayLeftDoubleClick = 515;
inline constexpr int kTrayRightButtonUp = 517;
inline constexpr int kTrayMiddleButtonUp = 520;

class TrayIconPlatform {
  public:
    using MouseHandler = std::function<void(int message)>;

    virtual ~TrayIconPlatform() = default;

    // Whether the desktop has a notification area at all (many Wayland and GNOME sessions don't).
    virtual bool isAvailable() const = 0;
    // Shows the icon with this tip; showing it again only replaces the tip. A failure is silent.
    virtual void add(std::string_view tip) = 0;
    virtual void modify(std::string_view tip) = 0;
    virtual void remove() = 0;
    // Where the icon's mouse messages go; nothing is reported while no handler is set.
    virtual void setMouseHandler(MouseHandler handler) = 0;
};

} // namespace tessivar
