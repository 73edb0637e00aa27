#include "shell/backup_window.h"

#include "engine/scan_context.h"

namespace tessivar {

void frmBackUpRestore::Form_Load()
{
    Unloaded = false;
    lblStatus.clear();
    resetPairs();
    LoadBackupManager(m_context, backups);
    notifyChanged();
}

void frmBackUpRestore::lvwBackUp_ItemCheck(std::size_t index, bool checked)
{
    if (index >= backups.lvwBackUp.size())
        return;
    backups.lvwBackUp[index].checked = checked;
    notifyChanged();
}

void frmBackUpRestore::imgRestoreMouseMove_Click()
{
    if (!imgRestore.takesClick())
        return;
    noteRefusals(RestoreCheckedBackups(m_context, backups));
    notifyChanged();
}

void frmBackUpRestore::ImgDeleteMouseMove_Click()
{
    if (!ImgDelete.takesClick())
        return;
    noteRefusals(DeleteCheckedBackups(m_context, backups));
    notifyChanged();
}

void frmBackUpRestore::ImgOkMouseMove_Click()
{
    if (ImgOK.takesClick())
        unload();
}

void frmBackUpRestore::ImgCloseMouseMove_Click()
{
    if (imgClose.takesClick())
        unload();
}

void frmBackUpRestore::noteRefusals(const std::vector<BackupFileResult>& results)
{
    // A refused pass would otherwise look as if the click did nothing.
    lblStatus.clear();
    for (const auto& result : results) {
        if (result.restore.refused && !result.restore.notes.empty())
            lblStatus = result.restore.notes.front();
        else if (!result.refusal.empty())
            lblStatus = result.refusal;
        if (!lblStatus.empty())
            return;
    }
}

void frmBackUpRestore::unload()
{
    Unloaded = true;
    drag.MouseUp();
    // Closing discards the list; the next opening lists the folder afresh.
    backups = {};
    notifyChanged();
}

void frmBackUpRestore::light(SkinnedPair& pair)
{
    if (pair.hover())
        notifyChanged();
}

bool frmBackUpRestore::resetPairs()
{
    bool changed = false;
    for (SkinnedPair* pair : {&imgRestore, &ImgDelete, &ImgOK, &imgClose})
        changed |= pair->reset();
    return changed;
}

void frmBackUpRestore::Picture1_MouseMove()
{
    if (resetPairs())
        notifyChanged();
}

void frmBackUpRestore::ImgFormMove_MouseMove(double x, double y)
{
    if (const auto moved = drag.MouseMove(x, y, position)) {
        position = *moved;
        notifyChanged();
    }
}

} // namespace tessivar
