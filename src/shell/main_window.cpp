#include "shell/main_window.h"

#include "engine/host.h"
#include "engine/scan_context.h"
#include "engine/section_list.h"
#include "platform/text_utils.h"
#include "results/repair.h"
#include "results/scan_report.h"
#include "results/summary_views.h"
#include "scan/scan_driver.h"
#include "settings/setting_keys.h"
#include "settings/settings_store.h"
#include "shell/main_window_peers.h"

#include <cctype>

namespace tessivar {

namespace {

constexpr std::array<PairNames, kMainButtonCount> kPairNames = {{
    {"ImgScanNowNormal", "ImgScanNowMouseMove"},
    {"imgRestoreNormal", "imgRestoreMouseMove"},
    {"ImgSettingsNormal", "ImgSettingsMouseMove"},
    {"ImgHelpPicNormal", "ImgHelpPicmouseMove"},
    {"ImgHelpNormal", "ImgHelpMouseMove"},
    {"ImgSupportPicNormal", "ImgSupportPicMouseMove"},
    {"ImgSupportNormal", "ImgSupportMouseMove"},
    {"ImgScanCancelNormal", "ImgScanCancelMouseMove"},
    {"ImgRepairNormal", "ImgRepairMouseMove"},
    {"ImgReturnNormal", "ImgReturnMouseMove"},
}};

// The background picture Picture1 resets every pair of the start view.
constexpr MainButton kStartViewPairs[] = {MainButton::ScanNow, MainButton::Restore, MainButton::Settings,
                                          MainButton::HelpPic, MainButton::Help,    MainButton::SupportPic,
                                          MainButton::Support};

constexpr MainWindowControl kControls[] = {
    {"Picture1", true},
    {"ImgScanNowNormal", true},
    {"ImgScanNowMouseMove", true},
    {"lblScanText", true},
    {"imgRestoreNormal", true},
    {"imgRestoreMouseMove", true},
    {"lblBackUpText", true},
    {"ImgSettingsNormal", true},
    {"ImgSettingsMouseMove", true},
    {"lblSettingsText", true},
    {"ImgHelpPicNormal", true},
    {"ImgHelpPicmouseMove", true},
    {"ImgHelpNormal", true},
    {"ImgHelpMouseMove", true},
    {"ImgSupportPicNormal", true},
    {"ImgSupportPicMouseMove", true},
    {"ImgSupportNormal", true},
    {"ImgSupportMouseMove", true},
    {"lvwRegistryvaluesScan", true},
    {"chkSelectlistviewItems", true},
    {"Label2", true},
    {"Image1", true},
    {"ImgListOfListViewRegistrySections", false},
    {"PicScanning", true},
    {"PicMainProgress", true},
    {"PicProgress", true},
    {"PicBug", true},
    {"lblStatus", true},
    {"lblRegistryScan", true},
    {"lblRegistryFilesScan", true},
    {"Label3", true},
    {"lblProblemsFound", true},
    {"ImgScanCancelNormal", true},
    {"ImgScanCancelMouseMove", true},
    {"tmrPicVisibleOrNot", false},
    {"PicResults", true},
    {"lvwRegistryProblems", true},
    {"lvwRegistryErrorsDetail", true},
    {"ImgRepairNormal", true},
    {"ImgRepairMouseMove", true},
    {"ImgReturnNormal", true},
    {"ImgReturnMouseMove", true},
    {"lblDeletingCourrutpfils", true},
    {"ImgDeleteProgress", true},
    {"ImgDeleteProgressInside", true},
    {"FrameScanning", true},
    {"FrameRegistryProblemsDetails", true},
    {"FrameScanSettingShelidButton", true},
    {"cmdCancelOrStop", true},
    {"cmdShowLog", true},
    {"lvwErrors", true},
    {"lvwShortcut", true},
    {"tmrSettings", false},
    {"tmrRefreshlvwContents", false},
};

} // namespace

PairNames pairNames(MainButton button)
{
    return kPairNames[static_cast<std::size_t>(button)];
}

std::span<const MainWindowControl> mainWindowControls()
{
    return kControls;
}

FRMmAIN::Work::Work(FRMmAIN& window) : m_window(window)
{
    if (m_window.m_workDepth++ == 0)
        m_window.notifyChanged();
}

FRMmAIN::Work::~Work()
{
    if (--m_window.m_workDepth == 0) {
        m_window.m_peers.workDone();
        m_window.notifyChanged();
    }
}

FRMmAIN::FRMmAIN(ScanContext& context, MainWindowPeers& peers, TrayIcon& tray)
    : m_context(context), m_peers(peers), m_tray(tray)
{
    // As designed: the blink timer runs from the start, on the hidden scanning view.
    m_context.model.tmrPicVisibleOrNotEnabled = true;
}

std::uint32_t FRMmAIN::hintColour(HintLabel label) const
{
    MainButton button = MainButton::ScanNow;
    switch (label) {
    case HintLabel::lblScanText:
        button = MainButton::ScanNow;
        break;
    case HintLabel::lblBackUpText:
        button = MainButton::Restore;
        break;
    case HintLabel::lblSettingsText:
        button = MainButton::Settings;
        break;
    }
    return pair(button).lit ? kHintLitColour : kHintIdleColour;
}

bool FRMmAIN::reachable(MainButton button) const
{
    const ScanModel& model = m_context.model;
    switch (button) {
    case MainButton::ScanCancel:
        return model.PicScanningVisible && !(model.PicResultsVisible && model.frontPanel == FrontPanel::results);
    case MainButton::Repair:
    case MainButton::Return:
        return model.PicResultsVisible;
    default:
        // The start view's buttons lie under the two view pictures.
        return !model.PicScanningVisible && !model.PicResultsVisible;
    }
}

void FRMmAIN::syncPairsWithModel()
{
    const ScanModel& model = m_context.model;
    pairRef(MainButton::ScanNow).NormalEnabled = model.ImgScanNowNormalEnabled;
    pairRef(MainButton::Repair).NormalEnabled = model.ImgRepairNormalEnabled;
    pairRef(MainButton::Return).NormalEnabled = model.ImgReturnNormalEnabled;
}

void FRMmAIN::Show()
{
    if (!Loaded)
        Form_Load();
    const bool firstShow = !Visible;
    Visible = true;
    if (firstShow)
        Form_Resize();
    notifyChanged();
}

void FRMmAIN::Hide()
{
    Visible = false;
    notifyChanged();
}

void FRMmAIN::setWindowState(WindowState state)
{
    if (windowState == state)
        return;
    windowState = state;
    Form_Resize();
    notifyChanged();
}

void FRMmAIN::Form_Load()
{
    Loaded = true;
    ScanModel& model = m_context.model;
    tmrSettings.stop();
    model.PicScanningVisible = false;
    model.PicResultsVisible = false;
    model.frontPanel = FrontPanel::none;
    model.tmrRefreshlvwContentsEnabled = false;
    Caption = std::string(kProductName);
    RestoreSelectAllBox(m_context);
    LoadlvwRegistryvaluesScanValues(m_context);
    notifyChanged();
}

void FRMmAIN::Form_Resize()
{
    lvwRegistryvaluesScanVisible = false;
    Picture1_GotFocus();
    m_context.model.tmrRefreshlvwContentsEnabled = true;
    lvwRegistryvaluesScanVisible = true;
    m_peers.repaint("lvwRegistryvaluesScan");
    notifyChanged();
}

void FRMmAIN::Picture1_GotFocus()
{
    RefreshThePicControls();
    // A scan reads the section list by position while it runs: it is rebuilt only when idle.
    if (m_context.model.ImgScanNowNormalEnabled)
        LoadlvwRegistryvaluesScanValues(m_context);
}

void FRMmAIN::RefreshThePicControls()
{
    for (const MainWindowControl& control : kControls) {
        const std::string name = upper(control.name);
        const bool named = name.find("PIC") != std::string::npos || name.find("IMG") != std::string::npos ||
                           name.find("LVW") != std::string::npos;
        if (named && control.paintable)
            m_peers.repaint(control.name);
        m_context.host.yield();
    }
}

bool FRMmAIN::Form_Unload(CloseRequest request)
{
    if (request == CloseRequest::sessionEnding) {
        endProgram();
        return false;
    }
    if (!m_tray.isSystemTrayAvailable()) {
        // Hidden with no notification area, the program could never be reached or ended again.
        if (askCloseConfirmation()) {
            endProgram();
            return false;
        }
        return true;
    }
    if (ReadNumberSetting(m_context.settings, kChkDoNotShowInFuture, kDoNotShowInFutureDefault) == 0) {
        if (windowState == WindowState::minimised)
            setWindowState(WindowState::normal);
        Picture1_GotFocus();
        notifyChanged();
        m_peers.showNotification(kProductName);
    }
    HideToTray();
    return true;
}

bool FRMmAIN::askCloseConfirmation()
{
    return m_context.host.showMessageBox(MessageKind::CloseConfirmation) == MessageAnswer::yes;
}

void FRMmAIN::endProgram()
{
    m_ending = true;
    m_context.model.ScanCancelled = true;
    if (m_tray.bRunningInTray())
        m_tray.RemoveIcon();
    m_peers.endProgram();
}

void FRMmAIN::Form_MouseMove(int /*button*/, int /*shift*/, double x, double /*y*/)
{
    if (!m_tray.bRunningInTray())
        return;
    if (x == kTrayDoubleClickX || x == kTrayRightUpX)
        m_peers.showTrayMenu();
}

void FRMmAIN::HideToTray()
{
    Visible = false;
    notifyChanged();
    m_tray.ShowIcon(Caption);
    m_tray.ChangeToolTip(kProductName);
}

void FRMmAIN::Restore()
{
    setWindowState(WindowState::normal);
    Show();
    RefreshThePicControls();
    if (m_context.model.ImgScanNowNormalEnabled)
        LoadlvwRegistryvaluesScanValues(m_context);
    if (m_tray.bRunningInTray())
        m_tray.RemoveIcon();
    notifyChanged();
}

void FRMmAIN::Picture1_MouseMove()
{
    bool changed = false;
    for (MainButton button : kStartViewPairs)
        changed = pairRef(button).reset() || changed;
    if (changed)
        notifyChanged();
}

void FRMmAIN::PicScanning_MouseMove()
{
    if (pairRef(MainButton::ScanCancel).reset())
        notifyChanged();
}

void FRMmAIN::PicResults_MouseMove()
{
    const bool repair = pairRef(MainButton::Repair).reset();
    if (pairRef(MainButton::Return).reset() || repair)
        notifyChanged();
}

void FRMmAIN::Normal_MouseMove(MainButton button)
{
    syncPairsWithModel();
    if (!reachable(button) || !pairRef(button).hover())
        return;
    // The icon and the caption picture of help (and of support) light together.
    MainButton partner = button;
    switch (button) {
    case MainButton::HelpPic:
        partner = MainButton::Help;
        break;
    case MainButton::Help:
        partner = MainButton::HelpPic;
        break;
    case MainButton::SupportPic:
        partner = MainButton::Support;
        break;
    case MainButton::Support:
        partner = MainButton::SupportPic;
        break;
    default:
        break;
    }
    if (partner != button)
        pairRef(partner).hover();
    notifyChanged();
}

bool FRMmAIN::MouseMove_Click(MainButton button)
{
    syncPairsWithModel();
    if (!reachable(button) || !pair(button).takesClick())
        return false;
    switch (button) {
    case MainButton::ScanNow:
        ImgScanNowMouseMove_Click();
        break;
    case MainButton::Restore:
        imgRestoreMouseMove_Click();
        break;
    case MainButton::Settings:
        ImgSettingsMouseMove_Click();
        break;
    case MainButton::HelpPic:
    case MainButton::Help:
        ImgHelpMouseMove_Click();
        break;
    case MainButton::SupportPic:
    case MainButton::Support:
        ImgSupportMouseMove_Click();
        break;
    case MainButton::ScanCancel:
        ImgScanCancelMouseMove_Click();
        break;
    case MainButton::Repair:
        ImgRepairMouseMove_Click();
        break;
    case MainButton::Return:
        ImgReturnMouseMove_Click();
        break;
    }
    return true;
}

void FRMmAIN::ImgScanNowMouseMove_Click()
{
    const Work work(*this);
    // Only one scan at a time: a second one started from a yield of the first would empty the
    // lists the first is filling.
    if (!m_context.model.ImgScanNowNormalEnabled || m_ending)
        return;
    tessivar::ImgScanNowMouseMove_Click(m_context);
    notifyChanged();
}

void FRMmAIN::ImgScanCancelMouseMove_Click()
{
    tessivar::ImgScanCancelMouseMove_Click(m_context);
    notifyChanged();
}

void FRMmAIN::imgRestoreMouseMove_Click()
{
    const Work work(*this);
    m_peers.showBackupManager();
    RefreshThePicControls();
    LoadlvwRegistryvaluesScanValues(m_context);
    notifyChanged();
}

void FRMmAIN::ImgSettingsMouseMove_Click()
{
    const Work work(*this);
    SkinnedPair& settings = pairRef(MainButton::Settings);
    settings.NormalEnabled = false;
    notifyChanged();
    m_peers.showSettingsDialog();
    RefreshThePicControls();
    LoadlvwRegistryvaluesScanValues(m_context);
    settings.NormalEnabled = true;
    notifyChanged();
}

void FRMmAIN::ImgHelpMouseMove_Click()
{
    m_peers.OpenWebPage(std::string(kMakerWebSite) + std::string(kHelpPage), kWebPageExtension);
}

void FRMmAIN::ImgSupportMouseMove_Click()
{
    m_peers.OpenWebPage(std::string(kMakerWebSite) + std::string(kSupportPage), kWebPageExtension);
}

void FRMmAIN::ImgRepairMouseMove_Click()
{
    const Work work(*this);
    if (m_ending)
        return;
    tessivar::ImgRepairMouseMove_Click(m_context);
    notifyChanged();
}

void FRMmAIN::ImgReturnMouseMove_Click()
{
    ReturnToStartView(m_context);
    notifyChanged();
}

void FRMmAIN::Label2_Click()
{
    const CheckState next =
        m_context.model.chkSelectlistviewItems == CheckState::checked ? CheckState::unchecked : CheckState::checked;
    SetSelectAllBox(m_context, next);
    tessivar::chkSelectlistviewItems_Click(m_context);
    notifyChanged();
}

void FRMmAIN::chkSelectlistviewItems_UserClick()
{
    const CheckState next =
        m_context.model.chkSelectlistviewItems == CheckState::checked ? CheckState::unchecked : CheckState::checked;
    SetSelectAllBox(m_context, next);
    notifyChanged();
}

void FRMmAIN::lvwRegistryvaluesScan_ItemClick(std::size_t index)
{
    tessivar::lvwRegistryvaluesScan_ItemClick(m_context, index);
    notifyChanged();
}

void FRMmAIN::lvwRegistryProblems_ItemClick(std::size_t row)
{
    ScanModel& model = m_context.model;
    if (row < model.lvwRegistryProblems.rows.size())
        model.lvwRegistryProblems.selectedRow = static_cast<int>(row);
    ShowGroupDetails(m_context, row);
    notifyChanged();
}

void FRMmAIN::lvwRegistryProblems_ColumnClick(int column)
{
    tessivar::lvwRegistryProblems_ColumnClick(m_context.model, column);
    notifyChanged();
}

void FRMmAIN::lvwRegistryErrorsDetail_ColumnClick(int column)
{
    tessivar::lvwRegistryErrorsDetail_ColumnClick(m_context.model, column);
    notifyChanged();
}

void FRMmAIN::tmrPicVisibleOrNot_Timer()
{
    ScanModel& model = m_context.model;
    model.PicBugVisible = !model.PicBugVisible;
    notifyChanged();
}

void FRMmAIN::startTmrSettings()
{
    tmrSettings.start();
    notifyChanged();
}

void FRMmAIN::tmrSettings_Timer()
{
    const Work work(*this);
    tmrSettings.stop();
    m_peers.showSettingsDialog();
    RefreshThePicControls();
    LoadlvwRegistryvaluesScanValues(m_context);
    tmrSettings.stop();
    notifyChanged();
}

void FRMmAIN::tmrRefreshlvwContents_Timer()
{
    tessivar::tmrRefreshlvwContents_Timer(m_context);
    notifyChanged();
}

} // namespace tessivar
