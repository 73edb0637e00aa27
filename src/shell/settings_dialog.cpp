#include "shell/settings_dialog.h"

#include "engine/detection_signal.h"
#include "engine/scan_context.h"
#include "settings/setting_keys.h"
#include "settings/settings_store.h"

namespace tessivar {

namespace {

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string stateText(CheckState state)
{
    return std::to_string(static_cast<int>(state));
}

// A stored number as a box state; a number a check box cannot take leaves the box as it is.
CheckState boxStateOf(long long number, CheckState current)
{
    if (number >= 0 && number <= 2)
        return static_cast<CheckState>(number);
    return current;
}

} // namespace

frmSetings::frmSetings(ScanContext& context, SettingsDialogServices services) : m_context(context), m_services(services)
{
}

void frmSetings::Form_Load()
{
    const SettingsStore& settings = m_context.settings;
    // The order matters: the sound row's change action runs with the stored path already in place,
    // and every change action stores its state again.
    setCheckBox(chkPlaySound, boxStateOf(ReadNumberSetting(settings, kChkPlaySound, kPlaySoundDefault), chkPlaySound));
    txtWaveFilesPath.Text = settings.ReadSetting(kTxtWaveFilesPath, kWaveFilesPathDefault);
    chkPlaySound_Click();
    setCheckBox(chkMakeLogFile,
                boxStateOf(ReadNumberSetting(settings, kChkMakeLogFile, kMakeLogFileDefaultForDialog), chkMakeLogFile));
    chkMakeLogFile_Click();
    setCheckBox(chkMakeBackUp,
                boxStateOf(ReadNumberSetting(settings, kChkMakeBackUp, kMakeBackUpDefault), chkMakeBackUp));
    chkMakeBackUp_Click();
    const std::string programFolder = m_context.files.programFolder();
    txtLogFile.Text = settings.ReadSetting(kTxtLogFile, programFolder);
    txtBackup.Text = settings.ReadSetting(kTxtBackup, programFolder);
    setCheckBox(chkRunAtStartup,
                boxStateOf(ReadNumberSetting(settings, kChkRunAtStartup, kRunAtStartupDefault), chkRunAtStartup));
    notifyChanged();
}

void frmSetings::setCheckBox(CheckState& box, CheckState state)
{
    if (box == state)
        return;
    box = state;
    runChangeAction(box);
    notifyChanged();
}

void frmSetings::runChangeAction(const CheckState& box)
{
    if (&box == &chkMakeBackUp)
        chkMakeBackUp_Click();
    else if (&box == &chkMakeLogFile)
        chkMakeLogFile_Click();
    else if (&box == &chkPlaySound)
        chkPlaySound_Click();
    else if (&box == &chkRunAtStartup)
        chkRunAtStartup_Click();
}

void frmSetings::rowChanged(CheckState box, std::string_view key, SettingsTextField& field, SkinnedPair& browse)
{
    m_context.settings.WriteSetting(key, stateText(box));
    const bool checked = box == CheckState::checked;
    field.Locked = !checked;
    browse.NormalEnabled = checked;
    if (!checked)
        browse.reset();
}

void frmSetings::chkMakeBackUp_Click()
{
    rowChanged(chkMakeBackUp, kChkMakeBackUp, txtBackup, cmdBackUpBrowse);
}

void frmSetings::chkMakeLogFile_Click()
{
    rowChanged(chkMakeLogFile, kChkMakeLogFile, txtLogFile, cmdBrowse);
}

void frmSetings::chkPlaySound_Click()
{
    rowChanged(chkPlaySound, kChkPlaySound, txtWaveFilesPath, cmdWaveFileBrowse);
}

void frmSetings::chkRunAtStartup_Click()
{
    m_context.settings.WriteSetting(kChkRunAtStartup, stateText(chkRunAtStartup));
    if (chkRunAtStartup == CheckState::checked)
        m_services.startup.writeEntry();
    else
        m_services.startup.removeEntry();
}

void frmSetings::toggleFromLabel(CheckState& box)
{
    setCheckBox(box, box == CheckState::checked ? CheckState::unchecked : CheckState::checked);
    runChangeAction(box);
    notifyChanged();
}

void frmSetings::lblBackupchk_Click()
{
    toggleFromLabel(chkMakeBackUp);
}

void frmSetings::lblReport_Click()
{
    toggleFromLabel(chkMakeLogFile);
}

void frmSetings::lblPlaySoundOnDetection_Click()
{
    toggleFromLabel(chkPlaySound);
}

void frmSetings::lblRunonStartup_Click()
{
    toggleFromLabel(chkRunAtStartup);
}

std::string frmSetings::BrowseForFolder()
{
    const auto chosen = m_services.picker.chooseFolder(kBrowseTitle);
    if (!chosen || chosen->empty())
        return {};
    return m_services.paths.windowsPathOfHostFolder(*chosen);
}

void frmSetings::cmdBackUpBrowseMouseMove_Click()
{
    if (!cmdBackUpBrowse.takesClick())
        return;
    if (const std::string folder = BrowseForFolder(); !isBlank(folder))
        txtBackup.Text = folder;
    notifyChanged();
}

void frmSetings::cmdBrowseMouseMove_Click()
{
    if (!cmdBrowse.takesClick())
        return;
    if (const std::string folder = BrowseForFolder(); !isBlank(folder))
        txtLogFile.Text = folder;
    notifyChanged();
}

void frmSetings::cmdWaveFileBrowseMouseMove_Click()
{
    if (!cmdWaveFileBrowse.takesClick())
        return;
    const std::string media = m_context.files.GetWindowsDirectoryA() + "\\media";
    if (isBlank(media))
        return;
    txtWaveFilesPath.Text = media;
    m_context.settings.WriteSetting(kTxtWaveFilesPath, media);
    // A preview, not a detection: the main window's problem count is left alone.
    ScanModel scratch;
    ScanContext preview{m_context.registry, m_context.files, m_context.settings,
                        m_context.clock,    m_context.host,  scratch};
    SignalDetection(preview, "NONE");
    notifyChanged();
}

void frmSetings::storeRowPath(CheckState& box, const SettingsTextField& field, std::string_view key)
{
    if (box == CheckState::checked && !isBlank(field.Text))
        m_context.settings.WriteSetting(key, field.Text);
    else
        setCheckBox(box, CheckState::unchecked);
}

void frmSetings::cmdokMousemove_Click()
{
    if (!cmdOK.takesClick())
        return;
    storeRowPath(chkPlaySound, txtWaveFilesPath, kTxtWaveFilesPath);
    storeRowPath(chkMakeLogFile, txtLogFile, kTxtLogFile);
    storeRowPath(chkMakeBackUp, txtBackup, kTxtBackup);
    unload();
}

void frmSetings::ImgCloseMouseMove_Click()
{
    if (!imgClose.takesClick())
        return;
    unload();
}

void frmSetings::unload()
{
    Unloaded = true;
    drag.MouseUp();
    notifyChanged();
}

void frmSetings::lightPair(SkinnedPair& pair)
{
    if (pair.hover())
        notifyChanged();
}

void frmSetings::lightLabel(SettingsLabel& label)
{
    if (label.FontBold)
        return;
    label.FontBold = true;
    notifyChanged();
}

void frmSetings::Picture2_MouseMove()
{
    bool changed = false;
    for (SettingsLabel* label : {&lblBackupchk, &lblReport, &lblPlaySoundOnDetection, &lblRunonStartup}) {
        changed |= label->FontBold;
        label->FontBold = false;
    }
    for (SkinnedPair* pair : {&cmdBackUpBrowse, &cmdBrowse, &cmdWaveFileBrowse, &cmdOK, &imgClose})
        changed |= pair->reset();
    if (changed)
        notifyChanged();
}

void frmSetings::ImgFormMove_MouseDown(double x, double y)
{
    drag.MouseDown(x, y);
}

void frmSetings::ImgFormMove_MouseMove(double x, double y)
{
    Picture2_MouseMove();
    if (const auto moved = drag.MouseMove(x, y, position)) {
        position = *moved;
        notifyChanged();
    }
}

void frmSetings::ImgFormMove_MouseUp()
{
    drag.MouseUp();
}

} // namespace tessivar
