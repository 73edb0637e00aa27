#include "shell/tray_menu.h"

namespace tessivar {

void frmMenuPopUp::showFromTray()
{
    if (Loaded) {
        Visible = true;
        notifyChanged();
        return;
    }
    Form_Load();
}

void frmMenuPopUp::Form_Load()
{
    Loaded = true;
    MenuRestore.Enabled = !m_owner.isVisible();
    const bool idle = m_owner.ImgScanNowNormalEnabled();
    MenuScan.Enabled = idle;
    MenuSettings.Enabled = idle;
    m_pointer.setPointer(PointerShape::Default);
    tmrPopDown.stop();
    TmrEnablePopDown.stop();

    const ScreenMetrics screen = m_screen.primaryScreen();
    TaskbarHeight = RoundHalfEven(screen.taskbarHeight * kHeightTwipsPerPixel);
    ScreenHeight = RoundHalfEven(screen.height * kHeightTwipsPerPixel);
    // The menu starts on the task bar's top edge, its right edge on the screen's.
    Top = static_cast<float>(ScreenHeight - TaskbarHeight);
    Left = static_cast<float>((screen.width - kInnerWidthPixels) * kWidthTwipsPerPixel);
    TargetTop = static_cast<std::int32_t>(RoundHalfEven(static_cast<double>(ScreenHeight - (kHeight + 100))));

    Visible = true;
    tmrMenuPopup.start();
    notifyChanged();
}

void frmMenuPopUp::tmrMenuPopup_Timer()
{
    if (!Loaded)
        return;
    Visible = true;
    if (Top > static_cast<float>(TargetTop)) {
        Top -= kRiseStep;
    } else {
        tmrMenuPopup.stop();
        TmrEnablePopDown.start();
    }
    notifyChanged();
}

void frmMenuPopUp::TmrEnablePopDown_Timer()
{
    if (!Loaded)
        return;
    TmrEnablePopDown.stop();
    tmrPopDown.start();
    notifyChanged();
}

void frmMenuPopUp::tmrPopDown_Timer()
{
    if (!Loaded)
        return;
    Visible = true;
    Top += kSinkStep;
    if (Top > static_cast<float>(kSinkLimit)) {
        unload();
        return;
    }
    notifyChanged();
}

void frmMenuPopUp::unload()
{
    tmrPopDown.stop();
    tmrMenuPopup.stop();
    TmrEnablePopDown.stop();
    Loaded = false;
    Visible = false;
    clearEmphasis();
    notifyChanged();
}

void frmMenuPopUp::lblMenuClose_Click()
{
    TmrEnablePopDown.stop();
    tmrMenuPopup.stop();
    tmrPopDown.start();
    notifyChanged();
}

void frmMenuPopUp::showMainWindow()
{
    m_owner.showNormal();
    m_owner.RefreshThePicControls();
    m_owner.LoadlvwRegistryvaluesScanValues();
}

void frmMenuPopUp::MenuRestore_Click()
{
    if (!MenuRestore.Enabled)
        return;
    showMainWindow();
    m_pointer.setPointer(MenuScan.Enabled ? PointerShape::Default : PointerShape::Hourglass);
    lblMenuClose_Click();
    m_owner.RemoveIcon();
}

void frmMenuPopUp::MenuScan_Click()
{
    if (!MenuScan.Enabled)
        return;
    showMainWindow();
    lblMenuClose_Click();
    m_owner.RemoveIcon();
    // The scan yields to the event loop, where the menu's timers go on and may unload it: the
    // window must hold the state above before the scan starts, and nothing runs here after it.
    m_owner.ImgScanNowMouseMove_Click();
}

void frmMenuPopUp::MenuSettings_Click()
{
    if (!MenuSettings.Enabled)
        return;
    showMainWindow();
    lblMenuClose_Click();
    m_owner.RemoveIcon();
    m_owner.startTmrSettings();
}

void frmMenuPopUp::MenuExit_Click()
{
    if (!MenuExit.Enabled)
        return;
    // Everything "Maximize" does, whether or not that entry is enabled.
    showMainWindow();
    m_pointer.setPointer(MenuScan.Enabled ? PointerShape::Default : PointerShape::Hourglass);
    lblMenuClose_Click();
    m_owner.RemoveIcon();

    // The menu stays where it is while the question is open.
    TmrEnablePopDown.stop();
    tmrPopDown.stop();
    notifyChanged();
    if (m_owner.showMessageBox(MessageKind::CloseConfirmation) == MessageAnswer::yes) {
        m_owner.RemoveIcon();
        m_owner.endProgram();
        return;
    }
    m_owner.HideToTray();
    TmrEnablePopDown.start();
    tmrPopDown.start();
    notifyChanged();
}

void frmMenuPopUp::emphasise(MenuLabel& item, Clear clear)
{
    // A disabled label takes no mouse events.
    if (!item.Enabled)
        return;
    if (clear == Clear::others)
        clearEmphasis();
    item.emphasised = true;
    notifyChanged();
}

void frmMenuPopUp::clearEmphasis()
{
    for (MenuLabel* label : {&MenuRestore, &MenuScan, &MenuSettings, &MenuExit, &lblMenuClose})
        label->emphasised = false;
}

void frmMenuPopUp::Picture1_MouseMove()
{
    clearEmphasis();
    notifyChanged();
}

} // namespace tessivar
