// The main window driven through a real scan and repair of a Wine prefix the tool makes for the
// purpose (drive C: only, no Z:, so nothing outside it is ever walked or changed), and the windows
// it opens, each rendered by its own unit.

#include "engine/scan_context.h"
#include "engine/scan_model.h"
#include "platform/clock.h"
#include "platform/desktop_services.h"
#include "platform/wine/host_paths.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "screenshot_support.h"
#include "settings/settings_store.h"
#include "shell/backup_window.h"
#include "shell/main_window.h"
#include "shell/main_window_host.h"
#include "shell/main_window_peers.h"
#include "shell/message_box.h"
#include "shell/settings_dialog.h"
#include "shell/tray_menu.h"
#include "support/quiet_peers.h"
#include "ui/backup_window.h"
#include "ui/main_window_widget.h"
#include "ui/message_box_window.h"
#include "ui/settings_dialog_window.h"
#include "ui/tray_menu_window.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace tessivar::screenshots {

namespace {

namespace fs = std::filesystem;

// What a few uninstalled programs leave behind: registrations whose files are gone, next to a
// few that are fine. Written in Wine's own format, as Wine would have saved them.
constexpr const char* kSystemReg = R"reg(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Classes\\CLSID\\{6B3F1D2A-4C55-4E8B-9A11-2D7C0E5F9A31}\\InprocServer32] 1700000000
@="C:\\Program Files\\PhotoView\\thumbs.dll"
"ThreadingModel"="Apartment"

[Software\\Classes\\CLSID\\{8E21C3B4-0F6A-4D2E-B7C9-5A1F3E8D2C47}\\InprocServer32] 1700000000
@="C:\\Program Files\\PhotoView\\preview.dll"

[Software\\Classes\\CLSID\\{A0C4E7F1-2B3D-4E5F-8091-A2B3C4D5E6F7}\\InprocServer32] 1700000000
@="C:\\windows\\system32\\shell32.dll"

[Software\\Microsoft\\Shared Tools\\PhotoView Filters] 1700000000
"Path"="C:\\Program Files\\Common Files\\PhotoView\\filters.dll"

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\notepad.exe] 1700000000
@="C:\\windows\\system32\\notepad.exe"

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\oldedit.exe] 1700000000
@="C:\\Program Files\\Old Editor\\oldedit.exe"
"Path"="C:\\Program Files\\Old Editor"

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\photoview.exe] 1700000000
@="C:\\Program Files\\PhotoView\\photoview.exe"

[Software\\Microsoft\\Windows\\CurrentVersion\\Run] 1700000000
"OldEditUpdate"="\"C:\\Program Files\\Old Editor\\update.exe\" /background"
"PhotoViewTray"="C:\\Program Files\\PhotoView\\pvtray.exe"

[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OldEditor] 1700000000
"DisplayIcon"="C:\\Program Files\\Old Editor\\oldedit.exe,0"
"DisplayName"="Old Editor 2.1"
"UninstallString"="C:\\Program Files\\Old Editor\\uninstall.exe"

[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PhotoView] 1700000000
"DisplayName"="PhotoView 5"
"UninstallString"="C:\\Program Files\\PhotoView\\unins000.exe"

[Software\\Microsoft\\Windows\\Help] 1700000000
"oldedit.hlp"="C:\\Program Files\\Old Editor\\Help"

[Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts] 1700000000
"Old Sans (TrueType)"="oldsans.ttf"
"Tahoma (TrueType)"="tahoma.ttf"
)reg";

// A suite uninstalled long ago that registered many COM components: enough rows for the repair's
// progress bar to move visibly. The class identifiers are made up, the same on every run.
std::string officeComponents()
{
    std::string text;
    std::uint32_t seed = 0x5EED1234;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    char line[256];
    for (int component = 1; component <= 180; ++component) {
        const std::uint32_t a = next(), b = next(), c = next(), d = next();
        std::snprintf(line, sizeof line,
                      "\n[Software\\\\Classes\\\\CLSID\\\\{%08X-%04X-%04X-%04X-%04X%08X}\\\\InprocServer32] "
                      "1700000000\n@=\"C:\\\\Program Files\\\\Old Office\\\\Components\\\\oc%03d.dll\"\n",
                      a, b >> 16, (b & 0x0FFF) | 0x4000, ((c >> 16) & 0x3FFF) | 0x8000, c & 0xFFFF, d, component);
        text += line;
    }
    return text;
}

// The prefix, in a temporary folder removed with it.
class ScratchPrefix {
  public:
    ScratchPrefix() : m_prefix(m_folder.path().toStdString() + "/prefix")
    {
        std::error_code error;
        for (const char* folder : {"dosdevices", "drive_c/windows/system32", "drive_c/windows/Fonts",
                                   "drive_c/windows/media", "drive_c/Tessivar/Backups"})
            fs::create_directories(m_prefix / folder, error);
        fs::create_symlink("../drive_c", m_prefix / "dosdevices" / "c:", error);
        write("system.reg", kSystemReg + officeComponents());
        for (const char* file : {"drive_c/windows/system32/notepad.exe", "drive_c/windows/system32/shell32.dll",
                                 "drive_c/windows/Fonts/tahoma.ttf"})
            write(file, "MZ");
    }

    bool ready() const { return m_folder.isValid() && fs::exists(m_prefix / "system.reg"); }
    const fs::path& path() const { return m_prefix; }

  private:
    void write(const std::string& relative, const std::string& content)
    {
        std::ofstream(m_prefix / relative, std::ios::binary) << content;
    }

    QTemporaryDir m_folder;
    fs::path m_prefix;
};

// A fixed "now", so that the backup names in the pictures do not change from run to run.
struct FixedClock : Clock {
    LocalDateTime now() const override { return {2026, 12, 10, 14, 3, 59}; }
};

// The long work's host: an event-loop pass at every step, and a hook where the shots are taken.
struct ShotHost : Host {
    std::function<void()> onYield;
    void yield() override
    {
        QCoreApplication::processEvents();
        if (onYield)
            onYield();
    }
    MessageAnswer showMessageBox(MessageKind kind, std::string_view text) override
    {
        if (kind == MessageKind::FilesRepaired && !text.empty())
            QTextStream(stdout) << "the repair says: " << QString::fromUtf8(text.data(), qsizetype(text.size()))
                                << '\n';
        return MessageAnswer::yes;
    }
    bool playSoundAsync(const std::string&) override { return false; }
};

struct NoFolderPicker : FolderPicker {
    std::optional<fs::path> chooseFolder(std::string_view) override { return std::nullopt; }
};

struct NoStartupEntry : StartupEntry {
    bool writeEntry() override { return true; }
    bool removeEntry() override { return true; }
};

// The main window behind the tray menu: hidden, no scan running.
struct HiddenMainWindow : TrayMenuOwner {
    void showNormal() override {}
    bool isVisible() const override { return false; }
    bool ImgScanNowNormalEnabled() const override { return true; }
    void RefreshThePicControls() override {}
    void LoadlvwRegistryvaluesScanValues() override {}
    void ImgScanNowMouseMove_Click() override {}
    void startTmrSettings() override {}
    void HideToTray() override {}
    void RemoveIcon() override {}
    void endProgram() override {}
    MessageAnswer showMessageBox(MessageKind) override { return MessageAnswer::no; }
};

struct Screen1024 : ScreenInfo {
    ScreenMetrics primaryScreen() override { return {1024, 768, 30}; }
};

// Everything the main window and its dialogs work with, over the scratch prefix.
struct Desktop {
    ScratchPrefix prefix;
    wine::WineRegistry registry{prefix.path()};
    wine::WineFileSystem files{prefix.path()};
    ScratchSettings backend;
    SettingsStore settings{backend};
    FixedClock clock;
    ShotHost shotHost;
    MainWindowHost host{shotHost};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    test::QuietPeers peers; // the other windows and the tray stay out of the pictures

    Desktop()
    {
        backend.write("txtBackup", "C:\\Tessivar\\Backups");
        backend.write("txtLogFile", "C:\\Tessivar");
    }
};

bool shootMainWindow(const QString& folder)
{
    Desktop desktop;
    if (!desktop.prefix.ready())
        return false;
    ScanModel& model = desktop.model;
    FRMmAIN unit(desktop.context, desktop.peers, desktop.peers);
    desktop.host.attach(&unit);
    ui::MainWindowWidget window(unit, model);
    unit.Show();
    bool saved = save(window, folder, QStringLiteral("main-start"));

    // The scan is taken half-way, once it has found something and names the value it reads.
    bool taken = false;
    desktop.shotHost.onYield = [&] {
        if (taken || model.PicProgressWidth < kPicMainProgressWidth * 0.45 || model.lblProblemsFound == "0" ||
            model.lblRegistryFilesScan == "None")
            return;
        taken = true;
        // The problem indicator blinks; one tick of its timer shows it.
        if (!model.PicBugVisible)
            unit.tmrPicVisibleOrNot_Timer();
        window.render();
        saved = save(window, folder, QStringLiteral("main-scanning")) && saved;
    };
    unit.ImgScanNowMouseMove_Click();
    saved = taken && saved;

    // The results with the first summary row's details, as after a click on it.
    unit.lvwRegistryProblems_ItemClick(0);
    saved = save(window, folder, QStringLiteral("main-results")) && saved;

    // The repair is taken half-way through the registry values.
    taken = false;
    const std::size_t problems = model.lvwErrors.count();
    desktop.shotHost.onYield = [&] {
        if (taken || !model.ImgDeleteProgressVisible || model.lvwErrors.count() > problems / 2)
            return;
        taken = true;
        window.render();
        saved = save(window, folder, QStringLiteral("main-repairing")) && saved;
    };
    unit.ImgRepairMouseMove_Click();
    saved = taken && saved;
    desktop.shotHost.onYield = {};
    return saved;
}

bool shootBackupManager(const QString& folder)
{
    Desktop desktop;
    if (!desktop.prefix.ready())
        return false;
    // Three earlier repairs' backups, as the repair names them.
    const fs::path backups = desktop.prefix.path() / "drive_c/Tessivar/Backups";
    const std::pair<const char*, int> made[] = {
        {"BackUp 24-11-26 18-22-05", 3}, {"BackUp 02-12-26 09-41-17", 7}, {"BackUp 10-12-26 14-03-59", 12}};
    for (const auto& [name, records] : made) {
        std::ofstream out(backups / name, std::ios::binary);
        for (int i = 0; i < records; ++i)
            out << std::string(118, 'x') << "\r\n";
    }
    frmBackUpRestore unit(desktop.context);
    ui::BackupWindow window(unit);
    unit.Form_Load();
    unit.lvwBackUp_ItemCheck(1, true);
    unit.imgRestoreNormal_MouseMove();
    window.render();
    return save(window, folder, QStringLiteral("backup-manager"));
}

bool shootSettings(const QString& folder)
{
    Desktop desktop;
    if (!desktop.prefix.ready())
        return false;
    desktop.backend.write("chkPlaySound", "1");
    desktop.backend.write("txtWaveFilesPath", "C:\\windows\\media\\chimes.wav");
    NoFolderPicker picker;
    wine::PrefixHostPaths paths(desktop.prefix.path());
    NoStartupEntry startup;
    frmSetings unit(desktop.context, SettingsDialogServices{picker, paths, startup});
    ui::SettingsDialogWindow window(unit);
    unit.Form_Load();
    unit.lblReport_MouseMove();
    window.render();
    return save(window, folder, QStringLiteral("settings-dialog"));
}

bool shootTrayMenu(const QString& folder)
{
    HiddenMainWindow owner;
    Screen1024 screen;
    NoPointer pointer;
    frmMenuPopUp unit(owner, screen, pointer);
    ui::TrayMenuWindow window(unit);
    unit.showFromTray();
    unit.MenuScan_MouseMove();
    return save(window, folder, QStringLiteral("tray-menu"));
}

bool shootMessageBoxes(const QString& folder)
{
    struct Shot {
        MessageKind kind;
        const char* name;
        std::string_view text;
    };
    const Shot kinds[] = {{MessageKind::FilesRepaired, "messagebox-files-repaired", {}},
                          {MessageKind::CloseConfirmation, "messagebox-close-confirmation", {}},
                          {MessageKind::CancelScanning, "messagebox-cancel-scanning", {}},
                          {MessageKind::DeleteBackupFile, "messagebox-delete-backup-file", {}},
                          {MessageKind::ScanRefused, "messagebox-scan-refused",
                           "The registry cannot be scanned: system.reg: not a Wine registry file"}};
    bool saved = true;
    for (const auto& [kind, name, text] : kinds) {
        FrmMessagebox form(kind, text);
        ui::MessageBoxWindow window(form);
        form.Form_Load();
        form.ImgOKNormal_MouseMove();
        saved = save(window, folder, QLatin1String(name)) && saved;
    }
    return saved;
}

} // namespace

void addDesktopShots(Shots& all)
{
    all[QStringLiteral("main-window")] = shootMainWindow;
    all[QStringLiteral("backup-manager")] = shootBackupManager;
    all[QStringLiteral("settings-dialog")] = shootSettings;
    all[QStringLiteral("tray-menu")] = shootTrayMenu;
    all[QStringLiteral("message-boxes")] = shootMessageBoxes;
}

} // namespace tessivar::screenshots
