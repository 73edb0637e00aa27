#pragma once

// frmMenuPopUp, the tray icon's menu, without its window: it rises out of the task bar at the
// bottom right of the screen, waits ten seconds and sinks back by itself. Positions are twips;
// the Qt window places itself at (Left, Top), shows while Visible, runs the three timers while
// they are enabled (calling the handler named after each) and goes away when Loaded turns false.

#include "engine/message_kind.h"
#include "platform/desktop_services.h"
#include "shell/mouse_pointer.h"
#include "shell/observable.h"
#include "shell/skin.h"

#include <cstdint>
#include <string>

namespace tessivar {

// What the menu asks of the main window (FRMmAIN); the main window implements it.
class TrayMenuOwner {
  public:
    virtual ~TrayMenuOwner() = default;
    // Window state normal, then shown without waiting.
    virtual void showNormal() = 0;
    virtual bool isVisible() const = 0;
    // False exactly while a scan runs.
    virtual bool ImgScanNowNormalEnabled() const = 0;
    virtual void RefreshThePicControls() = 0;
    virtual void LoadlvwRegistryvaluesScanValues() = 0;
    // Runs a whole scan before it returns, yielding to the event loop throughout.
    virtual void ImgScanNowMouseMove_Click() = 0;
    // Starts tmrSettings, which opens the settings dialog 10 ms later.
    virtual void startTmrSettings() = 0;
    virtual void HideToTray() = 0;
    // Takes the main window's icon out of the notification area.
    virtual void RemoveIcon() = 0;
    // Ends the program at once; nothing of the caller runs afterwards that touches the program.
    virtual void endProgram() = 0;
    // Shows the message box modally and gives its answer.
    virtual MessageAnswer showMessageBox(MessageKind kind) = 0;
};

struct MenuLabel {
    std::string Caption;
    bool Enabled = true;
    // Bold and underlined while emphasised; always centred.
    bool emphasised = false;
};

class frmMenuPopUp : public Observable {
  public:
    static constexpr int kWidth = 2055;  // twips
    static constexpr int kHeight = 2040; // twips
    static constexpr int kInnerWidthPixels = 137;
    static constexpr double kHeightTwipsPerPixel = 14.5;
    static constexpr double kWidthTwipsPerPixel = 14.7;
    static constexpr int kRiseStep = 80;     // twips per tmrMenuPopup tick
    static constexpr int kSinkStep = 40;     // twips per tmrPopDown tick
    static constexpr int kSinkLimit = 11167; // twips, whatever the screen

    frmMenuPopUp(TrayMenuOwner& owner, ScreenInfo& screen, MousePointer& pointer)
        : m_owner(owner), m_screen(screen), m_pointer(pointer)
    {
    }

    // --- State the window renders ----------------------------------------------------------
    bool Loaded = false;
    bool Visible = false;
    float Left = 0;
    float Top = 0;
    std::int32_t TargetTop = 0;
    std::int64_t TaskbarHeight = 0;
    std::int64_t ScreenHeight = 0;
    MenuLabel MenuRestore{"Maximize"};
    MenuLabel MenuScan{"Scan Now"};
    MenuLabel MenuSettings{"Settings"};
    MenuLabel MenuExit{"Exit"};
    MenuLabel lblMenuClose{"X"};
    TimerState tmrMenuPopup{false, 1};
    TimerState TmrEnablePopDown{false, 10000};
    TimerState tmrPopDown{false, 10};

    // --- Handlers ------------------------------------------------------------------------------
    // A tray click: loads the menu and lets it rise, or, while it is loaded, only shows it again.
    void showFromTray();
    void Form_Load();
    void tmrMenuPopup_Timer();
    void TmrEnablePopDown_Timer();
    void tmrPopDown_Timer();
    void lblMenuClose_Click();
    void MenuRestore_Click();
    void MenuScan_Click();
    void MenuSettings_Click();
    void MenuExit_Click();

    void MenuRestore_MouseMove() { emphasise(MenuRestore, Clear::others); }
    void MenuScan_MouseMove() { emphasise(MenuScan, Clear::others); }
    void MenuSettings_MouseMove() { emphasise(MenuSettings, Clear::none); }
    void MenuExit_MouseMove() { emphasise(MenuExit, Clear::none); }
    void Picture1_MouseMove();

  private:
    enum class Clear { others, none };
    void emphasise(MenuLabel& item, Clear clear);
    void clearEmphasis();
    // Steps 1 and 2 of every entry: the main window shown, its pictures and section list fresh.
    void showMainWindow();
    void unload();

    TrayMenuOwner& m_owner;
    ScreenInfo& m_screen;
    MousePointer& m_pointer;
};

} // namespace tessivar
