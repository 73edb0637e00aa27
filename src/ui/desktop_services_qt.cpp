#include "ui/desktop_services_qt.h"

#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>

namespace tessivar::ui {

std::optional<std::filesystem::path> QtFolderPicker::chooseFolder(std::string_view title)
{
    const QString folder = QFileDialog::getExistingDirectory(
        m_owner, QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())), QString(),
        QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
}

ScreenMetrics QtScreenInfo::primaryScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect whole = screen->geometry();
    const QRect available = screen->availableGeometry();
    const int panel = whole.bottom() - available.bottom();
    return ScreenMetrics{whole.width(), whole.height(), panel > 0 ? panel : 0};
}

} // namespace tessivar::ui
