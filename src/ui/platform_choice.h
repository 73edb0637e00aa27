#pragma once

// Which window-system platform Qt should use. On a Wayland session with XWayland the program asks
// for xcb: there a window without a title bar can place itself and follow a drag, which Wayland
// leaves to the compositor. A choice the user made in QT_QPA_PLATFORM is never overridden.

#include <functional>
#include <string>

namespace tessivar::ui {

using EnvironmentReader = std::function<std::string(const char* name)>;

// The platform to ask for, or the empty text to leave the choice to Qt.
std::string chooseQtPlatform(const EnvironmentReader& environment);

// Applies chooseQtPlatform to this process's environment; call before QApplication exists.
void applyQtPlatformChoice();

} // namespace tessivar::ui
