#pragma once

// Qt item models over the main window's lists as ScanModel holds them: the one-column summary and
// detail lists (TextList) and the section list with its check boxes and pictures. They own no
// rows; sync() tells the views what changed since the last sync, as appended rows where that is
// what happened (a scan appends) and as a reset otherwise (a sort, a new scan, a rebuild).

#include "engine/scan_model.h"

#include <QAbstractListModel>
#include <QColor>
#include <QIcon>
#include <QString>
#include <vector>

namespace tessivar::ui {

class TextListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    TextListModel(const TextList& list, QString header, QColor text, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void sync();
    // A header click reordered the rows in place.
    void rowsReordered();

  private:
    const TextList& m_list;
    QString m_header;
    QColor m_text;
    int m_shown = 0;
    std::string m_lastShown; // the last row shown, to tell an append from a change in place
};

class SectionListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    // The check boxes are drawn here but changed only by the window's click handling, so that a
    // click on a box and a click on its text change the entry once, the same way.
    explicit SectionListModel(const std::vector<SectionListEntry>& entries, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void sync();

  private:
    struct Shown {
        std::string text;
        bool checked;
        bool selected;
    };
    const std::vector<SectionListEntry>& m_entries;
    std::vector<Shown> m_shown;
    std::vector<QIcon> m_icons; // SmallIcon 1-12
};

} // namespace tessivar::ui
