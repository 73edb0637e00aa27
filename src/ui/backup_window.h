#pragma once

// frmBackUpRestore on screen: a frameless dialog with the list of backups (check boxes, four
// columns, white on blue) and the restore, delete, OK and close buttons, moved by its strip.

#include "shell/backup_window.h"

#include <QDialog>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessivar::ui {

class SkinnedButton;
class SvgPicture;
class WindowDragger;

class BackupWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr QSize kClient{520, 340};

    explicit BackupWindow(frmBackUpRestore& unit, QWidget* parent = nullptr);
    ~BackupWindow() override;

    void render();
    QTreeWidget* list() const { return m_list; }

  private:
    frmBackUpRestore& m_unit;
    SvgPicture* m_background;
    QLabel* m_folder;
    QLabel* m_status;
    QTreeWidget* m_list;
    SkinnedButton* m_restore;
    SkinnedButton* m_delete;
    SkinnedButton* m_ok;
    SkinnedButton* m_close;
    WindowDragger* m_dragger;
    bool m_filling = false;
};

} // namespace tessivar::ui
