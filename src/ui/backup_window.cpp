#include "ui/backup_window.h"

#include "ui/skinned_button.h"
#include "ui/svg_picture.h"
#include "ui/window_drag.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

namespace tessivar::ui {

BackupWindow::BackupWindow(frmBackUpRestore& unit, QWidget* parent)
    : QDialog(parent), m_unit(unit), m_background(new SvgPicture(QStringLiteral("Picture1"), QString(), this)),
      m_folder(new QLabel(this)), m_status(new QLabel(this)), m_list(new QTreeWidget(this)),
      m_restore(new SkinnedButton(unit.imgRestore, QStringLiteral("imgRestoreNormal"),
                                  QStringLiteral("imgRestoreMouseMove"), QStringLiteral("restore_backup"), this)),
      m_delete(new SkinnedButton(unit.ImgDelete, QStringLiteral("ImgDeleteNormal"),
                                 QStringLiteral("ImgDeleteMouseMove"), QStringLiteral("delete_backup"), this)),
      m_ok(new SkinnedButton(unit.ImgOK, QStringLiteral("ImgOKNormal"), QStringLiteral("ImgOkMouseMove"),
                             QStringLiteral("ok"), this)),
      m_close(new SkinnedButton(unit.imgClose, QStringLiteral("imgCloseNormal"), QStringLiteral("ImgCloseMouseMove"),
                                QStringLiteral("close"), this)),
      m_dragger(new WindowDragger(this, unit.drag, this))
{
    setObjectName(QStringLiteral("frmBackUpRestore"));
    setWindowTitle(QStringLiteral("Backups"));
    makeFrameless(this);
    setModal(true);
    setFixedSize(kClient);
    setStyleSheet(QStringLiteral("QDialog#frmBackUpRestore { background: #1C2538; border: 1px solid #3A4866; }"
                                 "QLabel { color: #E0E0E0; }"
                                 "QHeaderView::section { background: #253049; color: #E0E0E0; border: none;"
                                 " border-right: 1px solid #33405C; padding: 3px 6px; }"));
    m_background->setGeometry(QRect(QPoint(0, 0), kClient));

    auto* strip = new SvgPicture(QStringLiteral("ImgToolBarOrlenda"), QStringLiteral("dialog_strip"), this);
    strip->setGeometry(0, 0, kClient.width(), 26);
    auto* grip = new SvgPicture(QStringLiteral("ImgFormMove"), QStringLiteral("messagebox_grip"), this);
    grip->setGeometry(8, 5, 16, 16);
    // The title is text over the strip, which stretches to the window's width.
    auto* title = new QLabel(QStringLiteral("<b>Tessivar v4.0</b>&nbsp;&nbsp;·&nbsp;&nbsp;Backups"), this);
    title->setGeometry(30, 4, 300, 18);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_dragger->addArea(strip);
    m_dragger->addArea(grip);
    connect(m_background, &SvgPicture::mouseMoved, this, [this] { m_unit.Picture1_MouseMove(); });

    m_folder->setObjectName(QStringLiteral("lblFolder"));
    m_folder->setGeometry(16, 32, kClient.width() - 32, 20);
    m_list->setObjectName(QStringLiteral("lvwBackUp"));
    m_list->setGeometry(16, 56, kClient.width() - 32, 206);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setGeometry(16, 266, kClient.width() - 32, 20);
    m_list->setRootIsDecorated(false);
    QPalette colours = m_list->palette();
    colours.setColor(QPalette::Base, QColor::fromRgb(frmBackUpRestore::kListBackColour));
    colours.setColor(QPalette::Text, QColor::fromRgb(frmBackUpRestore::kListForeColour));
    m_list->setPalette(colours);
    m_list->setColumnCount(4);
    QStringList headers;
    for (const auto header : kBackupListHeaders)
        headers << QString::fromUtf8(header.data(), static_cast<qsizetype>(header.size()));
    m_list->setHeaderLabels(headers);
    // The name takes what the date, the time and the size leave, so that no column is cut.
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    connect(m_list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (m_filling || column != 0)
            return;
        m_unit.lvwBackUp_ItemCheck(static_cast<std::size_t>(m_list->indexOfTopLevelItem(item)),
                                   item->checkState(0) == Qt::Checked);
    });

    m_restore->move(16, 296);
    m_delete->move(132, 296);
    m_ok->move(282, 296);
    m_close->move(398, 296);
    m_restore->onHover([this] { m_unit.imgRestoreNormal_MouseMove(); });
    m_restore->onClick([this] { m_unit.imgRestoreMouseMove_Click(); });
    m_delete->onHover([this] { m_unit.ImgDeleteNormal_MouseMove(); });
    m_delete->onClick([this] { m_unit.ImgDeleteMouseMove_Click(); });
    m_ok->onHover([this] { m_unit.ImgOKNormal_MouseMove(); });
    m_ok->onClick([this] { m_unit.ImgOkMouseMove_Click(); });
    m_close->onHover([this] { m_unit.imgCloseNormal_MouseMove(); });
    m_close->onClick([this] { m_unit.ImgCloseMouseMove_Click(); });

    m_unit.setObserver([this] { render(); });
    render();
}

BackupWindow::~BackupWindow()
{
    m_unit.setObserver({});
}

void BackupWindow::render()
{
    m_folder->setText(QString::fromStdString(m_unit.backups.folder));
    m_status->setText(QString::fromStdString(m_unit.lblStatus));
    m_filling = true;
    const auto& entries = m_unit.backups.lvwBackUp;
    while (m_list->topLevelItemCount() > static_cast<int>(entries.size()))
        delete m_list->takeTopLevelItem(m_list->topLevelItemCount() - 1);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(static_cast<int>(i));
        if (!item) {
            item = new QTreeWidgetItem(m_list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        }
        const BackupListEntry& entry = entries[i];
        const std::string* cells[] = {&entry.Name, &entry.Date, &entry.Time, &entry.Size};
        for (int column = 0; column < 4; ++column)
            item->setText(column, QString::fromStdString(*cells[column]));
        item->setCheckState(0, entry.checked ? Qt::Checked : Qt::Unchecked);
    }
    m_filling = false;
    for (SkinnedButton* button : {m_restore, m_delete, m_ok, m_close})
        button->refresh();
    if (m_unit.Unloaded && isVisible())
        accept();
}

} // namespace tessivar::ui
