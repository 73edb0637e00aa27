#include "ui/list_models.h"

#include "ui/skin_palette.h"
#include "ui/skin_resources.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>

namespace tessivar::ui {

namespace {

QString qText(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The section's picture from the skin; a plain numbered disc where the skin has none.
QIcon sectionIcon(int number)
{
    const QString path = skinPicture(QStringLiteral("section_%1").arg(number, 2, 10, QLatin1Char('0')));
    if (QFile::exists(path))
        return QIcon(path);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv((number * 29) % 360, 140, 200));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(2, 2, 28, 28);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::number(number));
    return QIcon(pixmap);
}

} // namespace

TextListModel::TextListModel(const TextList& list, QString header, QColor text, QObject* parent)
    : QAbstractListModel(parent), m_list(list), m_header(std::move(header)), m_text(std::move(text))
{
}

int TextListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

QVariant TextListModel::data(const QModelIndex& index, int role) const
{
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= m_list.rows.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return qText(m_list.rows[row]);
    case Qt::ForegroundRole:
        return m_text;
    case Qt::BackgroundRole:
        return QColor(Qt::white);
    default:
        return {};
    }
}

QVariant TextListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return {};
}

void TextListModel::sync()
{
    const int now = static_cast<int>(m_list.rows.size());
    if (now == m_shown && (now == 0 || m_list.rows.back() == m_lastShown))
        return;
    // Rows appended behind the ones shown, the ones shown unchanged: a scan adding its rows.
    const bool appended = now > m_shown && !m_list.sorted &&
                          (m_shown == 0 || m_list.rows[static_cast<std::size_t>(m_shown) - 1] == m_lastShown);
    if (appended) {
        beginInsertRows({}, m_shown, now - 1);
        m_shown = now;
        endInsertRows();
    } else {
        beginResetModel();
        m_shown = now;
        endResetModel();
    }
    m_lastShown = now == 0 ? std::string() : m_list.rows.back();
}

void TextListModel::rowsReordered()
{
    beginResetModel();
    m_shown = static_cast<int>(m_list.rows.size());
    m_lastShown = m_shown == 0 ? std::string() : m_list.rows.back();
    endResetModel();
}

SectionListModel::SectionListModel(const std::vector<SectionListEntry>& entries, QObject* parent)
    : QAbstractListModel(parent), m_entries(entries)
{
    for (int n = 1; n <= 12; ++n)
        m_icons.push_back(sectionIcon(n));
}

int SectionListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

QVariant SectionListModel::data(const QModelIndex& index, int role) const
{
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= m_entries.size())
        return {};
    const SectionListEntry& entry = m_entries[row];
    switch (role) {
    case Qt::DisplayRole:
        return qText(entry.ListText);
    case Qt::CheckStateRole:
        return entry.checked ? Qt::Checked : Qt::Unchecked;
    case Qt::DecorationRole:
        if (entry.SmallIcon >= 1 && entry.SmallIcon <= 12)
            return m_icons[static_cast<std::size_t>(entry.SmallIcon) - 1];
        return {};
    case Qt::BackgroundRole:
        // The entry the scan is in.
        if (entry.selected)
            return QColor(palette::kAccentDeep);
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags SectionListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled;
}

QVariant SectionListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("Sections to be scanned");
    return {};
}

void SectionListModel::sync()
{
    const bool sameEntries = m_shown.size() == m_entries.size() &&
                             std::equal(m_shown.begin(), m_shown.end(), m_entries.begin(),
                                        [](const Shown& s, const SectionListEntry& e) { return s.text == e.ListText; });
    if (!sameEntries) {
        beginResetModel();
        m_shown.clear();
        for (const SectionListEntry& entry : m_entries)
            m_shown.push_back({entry.ListText, entry.checked, entry.selected});
        endResetModel();
        return;
    }
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Shown& shown = m_shown[i];
        if (shown.checked == m_entries[i].checked && shown.selected == m_entries[i].selected)
            continue;
        shown.checked = m_entries[i].checked;
        shown.selected = m_entries[i].selected;
        const QModelIndex changed = index(static_cast<int>(i));
        emit dataChanged(changed, changed, {Qt::CheckStateRole, Qt::BackgroundRole});
    }
}

} // namespace tessivar::ui
