#pragma once

// frmSetings, the settings dialog, without its window: four options, each a check box with a
// clickable label and (but for start-up) a path field with a browse button. A check-box change is
// stored at once; the paths only on OK. The Qt dialog renders this state, forwards the events
// under the handlers' names and closes when `Unloaded` turns true.

#include "engine/check_state.h"
#include "platform/desktop_services.h"
#include "shell/observable.h"
#include "shell/skin.h"

#include <string>
#include <string_view>

namespace tessivar {

struct ScanContext;

struct SettingsDialogServices {
    FolderPicker& picker;
    HostPaths& paths;
    StartupEntry& startup;
};

// A text box of the dialog: editable exactly while its row's box is checked.
struct SettingsTextField {
    std::string Text;
    bool Locked = true;
};

// A caption that lights (bold) while the mouse is over it.
struct SettingsLabel {
    std::string Caption;
    bool FontBold = false;
};

class frmSetings : public Observable {
  public:
    static constexpr int kClientWidth = 6240;  // twips: 416 pixels
    static constexpr int kClientHeight = 5550; // twips: 370 pixels
    static constexpr std::string_view kBrowseTitle = "Choose directory...";
    static constexpr std::string_view kRunAtStartupToolTip = "Checking this option will run at Windows Startup";

    frmSetings(ScanContext& context, SettingsDialogServices services);

    // --- State the window renders ----------------------------------------------------------
    CheckState chkMakeBackUp = CheckState::unchecked;
    CheckState chkMakeLogFile = CheckState::unchecked;
    CheckState chkPlaySound = CheckState::unchecked;
    CheckState chkRunAtStartup = CheckState::unchecked;
    SettingsTextField txtBackup;
    SettingsTextField txtLogFile;
    SettingsTextField txtWaveFilesPath;
    SettingsLabel lblBackupchk{"Make Backup Before Repairing."};
    SettingsLabel lblReport{"Make report after every scan."};
    SettingsLabel lblPlaySoundOnDetection{"Play sound whenever a problem is detected."};
    SettingsLabel lblRunonStartup{"Run Tessivar on startup."};
    // Idle picture `...Normal`, lit picture `...MouseMove` (cmdokMousemove for the OK pair).
    SkinnedPair cmdBackUpBrowse{.NormalEnabled = false};
    SkinnedPair cmdBrowse{.NormalEnabled = false};
    SkinnedPair cmdWaveFileBrowse{.NormalEnabled = false};
    SkinnedPair cmdOK;
    SkinnedPair imgClose;
    WindowDrag drag;
    TwipPoint position; // the window's top-left corner on the screen
    bool Unloaded = false;

    // --- Handlers ------------------------------------------------------------------------------
    void Form_Load();

    // Sets a box from code or by a click on it: its change action runs when, and only when, the
    // state really changes.
    void setCheckBox(CheckState& box, CheckState state);
    // The boxes' change actions.
    void chkMakeBackUp_Click();
    void chkMakeLogFile_Click();
    void chkPlaySound_Click();
    void chkRunAtStartup_Click();
    // A label toggles its box and then runs the box's change action once more.
    void lblBackupchk_Click();
    void lblReport_Click();
    void lblPlaySoundOnDetection_Click();
    void lblRunonStartup_Click();

    // The chosen folder as the program stores it, or "" when the user cancelled.
    std::string BrowseForFolder();
    void cmdBackUpBrowseMouseMove_Click();
    void cmdBrowseMouseMove_Click();
    void cmdWaveFileBrowseMouseMove_Click();
    void cmdokMousemove_Click();
    void ImgCloseMouseMove_Click();

    // Hover and idle reset.
    void cmdBackUpBrowseNormal_MouseMove() { lightPair(cmdBackUpBrowse); }
    void cmdBrowseNormal_MouseMove() { lightPair(cmdBrowse); }
    void cmdWaveFileBrowseNormal_MouseMove() { lightPair(cmdWaveFileBrowse); }
    void cmdOKNormal_MouseMove() { lightPair(cmdOK); }
    void imgCloseNormal_MouseMove() { lightPair(imgClose); }
    void lblBackupchk_MouseMove() { lightLabel(lblBackupchk); }
    void lblReport_MouseMove() { lightLabel(lblReport); }
    void lblPlaySoundOnDetection_MouseMove() { lightLabel(lblPlaySoundOnDetection); }
    void lblRunonStartup_MouseMove() { lightLabel(lblRunonStartup); }
    void Picture2_MouseMove();

    // The drag areas, coordinates in twips inside the area. The strip passes its events on.
    void ImgFormMove_MouseDown(double x, double y);
    void ImgFormMove_MouseMove(double x, double y);
    void ImgFormMove_MouseUp();
    void ImgToolBarOrlenda_MouseDown(double x, double y) { ImgFormMove_MouseDown(x, y); }
    void ImgToolBarOrlenda_MouseMove(double x, double y) { ImgFormMove_MouseMove(x, y); }
    void ImgToolBarOrlenda_MouseUp() { ImgFormMove_MouseUp(); }

  private:
    void rowChanged(CheckState box, std::string_view key, SettingsTextField& field, SkinnedPair& browse);
    void toggleFromLabel(CheckState& box);
    void runChangeAction(const CheckState& box);
    void storeRowPath(CheckState& box, const SettingsTextField& field, std::string_view key);
    void lightPair(SkinnedPair& pair);
    void lightLabel(SettingsLabel& label);
    void unload();

    ScanContext& m_context;
    SettingsDialogServices m_services;
};

} // namespace tessivar
