#pragma once

// What the main window reaches beyond its own state: the windows it opens, the tray icon, the
// program's end. The desktop program implements these with its Qt windows; tests fake them.

#include <string_view>

namespace tessivar {

// The tray icon as the main window uses it (clsTray).
class TrayIcon {
  public:
    virtual ~TrayIcon() = default;

    // Whether the desktop has a notification area at all. Without one, an icon there could never
    // be seen or clicked.
    virtual bool isSystemTrayAvailable() const = 0;
    // Puts the icon up with `tip`; bRunningInTray() is true afterwards, whether or not the
    // desktop showed it.
    virtual void ShowIcon(std::string_view tip) = 0;
    // Replaces the tip; nothing while the icon is not up.
    virtual void ChangeToolTip(std::string_view tip) = 0;
    // Takes the icon down; bRunningInTray() is false afterwards.
    virtual void RemoveIcon() = 0;
    virtual bool bRunningInTray() const = 0;
};

// The other windows of the program and the few things only the desktop program can do.
class MainWindowPeers {
  public:
    virtual ~MainWindowPeers() = default;

    // frmNotification with `title`, modal: returns when it has closed.
    virtual void showNotification(std::string_view title) = 0;
    // frmSetings, modal.
    virtual void showSettingsDialog() = 0;
    // frmBackUpRestore, modal.
    virtual void showBackupManager() = 0;
    // frmMenuPopUp, without waiting for it.
    virtual void showTrayMenu() = 0;
    // Opens `address` in the program the desktop uses for documents with `extension`; a page
    // that cannot be opened opens nothing and says nothing.
    virtual void OpenWebPage(std::string_view address, std::string_view extension) = 0;
    // Repaints the named control of the main window.
    virtual void repaint(std::string_view controlName) = 0;
    // Ends the program once the handler running now has returned; never asks anything.
    virtual void endProgram() = 0;
    // The last of the window's handlers that work on the registry or the files (scan, repair,
    // settings, backups) has returned, and none runs any more: nothing needs the parsed registry
    // until the next one starts.
    virtual void workDone() {}
};

} // namespace tessivar
