#pragma once

// The main window FRMmAIN without its pixels: which view is in front, the skinned buttons and
// their hint labels, the window's own timers, its states (shown, minimised, hidden in the tray),
// the hand-over to the tray, and the buttons that start the scan, the repair, the return, the
// settings dialog, the backup manager and the help and support pages. The scan's own state lives
// in ScanModel; this unit holds what only the window has. The Qt window renders both and turns
// mouse events and timer ticks into the handlers below.

#include "shell/observable.h"
#include "shell/skin.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tessivar {

struct ScanContext;
class MainWindowPeers;
class TrayIcon;

inline constexpr std::string_view kMainWindowCaption = "Tessivar v4.0";

// Client area, twips.
inline constexpr int kMainWindowWidth = 9750;
inline constexpr int kMainWindowHeight = 5205;

inline constexpr int kTmrSettingsInterval = 10;         // milliseconds
inline constexpr int kTmrPicVisibleOrNotInterval = 600; // milliseconds

// The tray icon's mouse messages as they arrive in Form_MouseMove's x: the message number times
// 15 twips per pixel.
inline constexpr double kTrayDoubleClickX = 515.0 * kTwipsPerPixel; // left button double-click
inline constexpr double kTrayRightUpX = 517.0 * kTwipsPerPixel;     // right button released

inline constexpr std::string_view kMakerWebSite = "https://tessivar.example/";
inline constexpr std::string_view kHelpPage = "tessivarhelp.html";
inline constexpr std::string_view kSupportPage = "support.html";
inline constexpr std::string_view kWebPageExtension = "htm";

inline constexpr std::string_view kLblScanText =
    "Click on the Scan button to start scanning your registry for problems.";
inline constexpr std::string_view kLblSettingsText = "Click on the Settings button for configuration options.";
inline constexpr std::string_view kLblBackUpText = "Click the Backup button to restore any previous registry backups.";
inline constexpr std::string_view kLblDeletingCourrutpfils = "Deleteing the corrupt files";

enum class WindowState { normal = 0, minimised = 1 };

// Who asks the window to close. Every request hides it into the tray, except the end of the
// desktop session, which must never be held up.
enum class CloseRequest { user, sessionEnding };

// The window's skinned buttons (pairs of an idle and a lit picture).
enum class MainButton {
    ScanNow,
    Restore,
    Settings,
    HelpPic,
    Help,
    SupportPic,
    Support,
    ScanCancel,
    Repair,
    Return,
};
inline constexpr std::size_t kMainButtonCount = 10;

struct PairNames {
    std::string_view Normal;
    std::string_view MouseMove;
};
// The control names of a pair's two pictures.
PairNames pairNames(MainButton button);

// The three hint labels beside the big buttons.
enum class HintLabel { lblScanText, lblBackUpText, lblSettingsText };

class FRMmAIN : public Observable {
  public:
    FRMmAIN(ScanContext& context, MainWindowPeers& peers, TrayIcon& tray);

    // --- state the Qt window renders ---
    std::string Caption;
    std::string Label2ToolTipText; // which prefix the program works on
    bool Loaded = false;
    bool Visible = false;
    WindowState windowState = WindowState::normal;
    bool lvwRegistryvaluesScanVisible = true;
    TimerState tmrSettings{true, kTmrSettingsInterval}; // running in the design, stopped by Form_Load

    const SkinnedPair& pair(MainButton button) const { return m_pairs[static_cast<std::size_t>(button)]; }
    // Takes into the pairs what the model says about them (Scan Now, repair and return are
    // disabled while a scan or a repair runs); the window calls it before it draws them.
    void syncPairsWithModel();
    // True while a handler that works on the registry or the files runs (the window then keeps
    // its pictures up to date on a timer, since the work changes the model between notifications).
    bool working() const { return m_workDepth > 0; }
    // Light grey idle, white while its button is lit.
    std::uint32_t hintColour(HintLabel label) const;

    // --- the platform's events ---
    // Shows the window (loading it first, the first time); the first show sizes it.
    void Show();
    void Hide();
    // The window's state changed (the title bar's buttons, the task bar) or is to change. Runs
    // Form_Resize when it really changes.
    void setWindowState(WindowState state);

    void Form_Load();
    void Form_Resize();
    // A request to close the window. True when the close is cancelled and the window stays
    // loaded: always, except when the program ends instead (session end, or no notification area
    // and the user confirmed).
    bool Form_Unload(CloseRequest request);
    // The tray icon's callback arrives as a mouse move whose x carries the mouse message.
    void Form_MouseMove(int button, int shift, double x, double y);
    void HideToTray();
    // Brings the window back as the tray menu's "Maximize" does (also when a second start of the
    // program asks for it): normal state, shown, pictures and section list fresh, icon gone.
    void Restore();
    void RefreshThePicControls();
    void Picture1_GotFocus();

    // Mouse over a background: the pairs and labels it resets go back to their idle look.
    void Picture1_MouseMove();
    void PicScanning_MouseMove();
    void PicResults_MouseMove();
    // Mouse over a pair's idle picture. Does nothing for a pair that is disabled or that a view
    // covers.
    void Normal_MouseMove(MainButton button);
    // A click at a pair's place: runs the button's action only while its lit picture shows.
    // True when it acted.
    bool MouseMove_Click(MainButton button);

    // The buttons' actions, as their lit pictures' click handlers.
    void ImgScanNowMouseMove_Click();
    void ImgScanCancelMouseMove_Click();
    void imgRestoreMouseMove_Click();
    void ImgSettingsMouseMove_Click();
    void ImgHelpMouseMove_Click();
    void ImgSupportMouseMove_Click();
    void ImgRepairMouseMove_Click();
    void ImgReturnMouseMove_Click();

    // "My Computer": flips the select-all box (grayed counts as unchecked) and applies it.
    void Label2_Click();
    void Image1_Click() { Label2_Click(); }
    // The user clicked the select-all box: checked becomes unchecked, anything else checked.
    void chkSelectlistviewItems_UserClick();
    // The user clicked a section entry (its check box or its text): it changes once.
    void lvwRegistryvaluesScan_ItemClick(std::size_t index);
    void lvwRegistryProblems_ItemClick(std::size_t row);
    void lvwRegistryProblems_ColumnClick(int column);
    void lvwRegistryErrorsDetail_ColumnClick(int column);

    void tmrPicVisibleOrNot_Timer();
    // The tray menu's Settings: the dialog opens from tmrSettings, after the menu's click is over.
    void startTmrSettings();
    void tmrSettings_Timer();
    void tmrRefreshlvwContents_Timer();

    // Ends the program: a running scan stops at its next check, the icon goes, and the desktop
    // program ends once the current handler has returned.
    void endProgram();
    bool ending() const { return m_ending; }

  private:
    SkinnedPair& pairRef(MainButton button) { return m_pairs[static_cast<std::size_t>(button)]; }
    bool reachable(MainButton button) const;
    bool askCloseConfirmation();

    // Held by every handler that works on the registry or the files; the last one out says so.
    class Work {
      public:
        explicit Work(FRMmAIN& window);
        ~Work();
        Work(const Work&) = delete;
        Work& operator=(const Work&) = delete;

      private:
        FRMmAIN& m_window;
    };

    ScanContext& m_context;
    MainWindowPeers& m_peers;
    TrayIcon& m_tray;
    std::array<SkinnedPair, kMainButtonCount> m_pairs{};
    bool m_ending = false;
    int m_workDepth = 0;
};

// A control of the main window as the refresh sees it: its name, and whether it can be
// repainted at all (a timer or an image list cannot).
struct MainWindowControl {
    std::string_view name;
    bool paintable;
};
// Every control of the window, in the window's control order.
std::span<const MainWindowControl> mainWindowControls();

} // namespace tessivar
