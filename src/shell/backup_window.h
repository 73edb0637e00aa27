#pragma once

// frmBackUpRestore, the backup manager's window, without its window: the list of backups with
// its check boxes, the restore, delete, OK and close pairs, and the drag areas. The listing,
// restore and delete themselves are the backup manager's (results/backup_manager.h).

#include "results/backup_manager.h"
#include "shell/observable.h"
#include "shell/skin.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tessivar {

struct ScanContext;

class frmBackUpRestore : public Observable {
  public:
    static constexpr int kClientWidth = 7800;  // twips: 520 pixels
    static constexpr int kClientHeight = 5100; // twips: 340 pixels
    // lvwBackUp: white text on blue.
    static constexpr std::uint32_t kListBackColour = 0x4476BF; // RGB 68, 118, 191
    static constexpr std::uint32_t kListForeColour = 0xFFFFFF;

    explicit frmBackUpRestore(ScanContext& context) : m_context(context) {}

    // --- State the window renders ----------------------------------------------------------
    // The folder shown and lvwBackUp, its entries in listing order.
    BackupManager backups;
    SkinnedPair imgRestore;
    SkinnedPair ImgDelete;
    SkinnedPair ImgOK;
    SkinnedPair imgClose;
    WindowDrag drag;
    TwipPoint position;
    bool Unloaded = false;
    // Why the last restore or delete left checked backups alone (another program writes to the
    // prefix); empty after a pass that could act. The window shows it under the list.
    std::string lblStatus;

    // --- Handlers ------------------------------------------------------------------------------
    // Every button idle, then the backup folder listed afresh.
    void Form_Load();
    // The user ticked or cleared the box of entry `index` (0-based); out of range does nothing.
    void lvwBackUp_ItemCheck(std::size_t index, bool checked);

    void imgRestoreMouseMove_Click();
    void ImgDeleteMouseMove_Click();
    void ImgOkMouseMove_Click();
    void ImgCloseMouseMove_Click();

    void imgRestoreNormal_MouseMove() { light(imgRestore); }
    void ImgDeleteNormal_MouseMove() { light(ImgDelete); }
    void ImgOKNormal_MouseMove() { light(ImgOK); }
    void imgCloseNormal_MouseMove() { light(imgClose); }
    void Picture1_MouseMove();

    void ImgFormMove_MouseDown(double x, double y) { drag.MouseDown(x, y); }
    void ImgFormMove_MouseMove(double x, double y);
    void ImgFormMove_MouseUp() { drag.MouseUp(); }
    void ImgToolBarOrlenda_MouseDown(double x, double y) { ImgFormMove_MouseDown(x, y); }
    void ImgToolBarOrlenda_MouseMove(double x, double y) { ImgFormMove_MouseMove(x, y); }
    void ImgToolBarOrlenda_MouseUp() { ImgFormMove_MouseUp(); }

  private:
    void noteRefusals(const std::vector<BackupFileResult>& results);
    void light(SkinnedPair& pair);
    bool resetPairs();
    void unload();

    ScanContext& m_context;
};

} // namespace tessivar
