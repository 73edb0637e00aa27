// Renders every window of the program, in the states worth showing, into PNG files:
//   tessivar-screenshots OUTPUT_FOLDER [NAME...]
// Run it on the offscreen platform; QT_SCALE_FACTOR=2 gives the 200% pictures. The windows run
// over an in-memory settings store and a Wine prefix the tool makes and removes; nothing of the
// user's is read or touched.

#include "screenshot_support.h"
#include "settings/settings_store.h"
#include "shell/notification.h"
#include "shell/splash.h"
#include "ui/notification_window.h"
#include "ui/skin_resources.h"
#include "ui/splash_window.h"
#include "ui/svg_picture.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace tessivar::screenshots {

std::optional<std::string> ScratchSettings::read(std::string_view key)
{
    const auto it = m_values.find(std::string(key));
    return it == m_values.end() ? std::nullopt : std::optional<std::string>(it->second);
}

bool ScratchSettings::write(std::string_view key, std::string_view value)
{
    m_values[std::string(key)] = std::string(value);
    return true;
}

bool save(QWidget& window, const QString& folder, const QString& name)
{
    if (!window.isVisible())
        window.show();
    // A few passes of the event loop: lists lay out their rows and scroll bars in posted events.
    QEventLoop settle;
    QTimer::singleShot(50, &settle, &QEventLoop::quit);
    settle.exec();
    const QPixmap picture = window.grab();
    const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
    const bool saved = picture.save(file);
    QTextStream(stdout) << (saved ? "wrote " : "could not write ") << file << '\n';
    return saved;
}

void addSkinShots(Shots& all)
{
    all[QStringLiteral("splash")] = [](const QString& folder) {
        NoPointer pointer;
        FrmSplash form(pointer, {});
        ui::SplashWindow window(form);
        form.Form_Load();
        return save(window, folder, QStringLiteral("splash"));
    };
    all[QStringLiteral("notification")] = [](const QString& folder) {
        ScratchSettings backend;
        SettingsStore settings(backend);
        FrmNotification form(settings);
        form.Caption = std::string(kProductName);
        ui::NotificationWindow window(form);
        form.Form_Load();
        bool saved = save(window, folder, QStringLiteral("notification"));
        form.Label1_Click();
        form.ImgOKNormal_MouseMove();
        saved = save(window, folder, QStringLiteral("notification-checked-ok-lit")) && saved;
        return saved;
    };
    // Every picture pair of the skin, idle above lit, and the small pictures, on the panel colour.
    all[QStringLiteral("skin")] = [](const QString& folder) {
        const QStringList pairs = {QStringLiteral("scan_now"),
                                   QStringLiteral("restore"),
                                   QStringLiteral("settings"),
                                   QStringLiteral("help_icon"),
                                   QStringLiteral("help_caption"),
                                   QStringLiteral("support_icon"),
                                   QStringLiteral("support_caption"),
                                   QStringLiteral("cancel_scan"),
                                   QStringLiteral("repair"),
                                   QStringLiteral("return"),
                                   QStringLiteral("ok"),
                                   QStringLiteral("cancel"),
                                   QStringLiteral("restore_backup"),
                                   QStringLiteral("delete_backup"),
                                   QStringLiteral("close"),
                                   QStringLiteral("browse")};
        QWidget sheet;
        sheet.setAutoFillBackground(true);
        QPalette palette = sheet.palette();
        palette.setColor(QPalette::Window, QColor(0x1C2538));
        sheet.setPalette(palette);
        int x = 12;
        int y = 12;
        int rowHeight = 0;
        for (const QString& pair : pairs) {
            auto* idle = new ui::SvgPicture(pair, pair + QStringLiteral("_idle"), &sheet);
            auto* lit = new ui::SvgPicture(pair, pair + QStringLiteral("_lit"), &sheet);
            if (x + idle->width() > 640) {
                x = 12;
                y += rowHeight + 12;
                rowHeight = 0;
            }
            idle->move(x, y);
            lit->move(x, y + idle->height() + 6);
            x += idle->width() + 12;
            rowHeight = std::max(rowHeight, idle->height() * 2 + 6);
        }
        y += rowHeight + 16;
        x = 12;
        QStringList small;
        for (int section = 1; section <= 12; ++section)
            small << QStringLiteral("section_%1").arg(section, 2, 10, QLatin1Char('0'));
        small << QStringLiteral("my_computer") << QStringLiteral("bug") << QStringLiteral("check_off")
              << QStringLiteral("check_on") << QStringLiteral("check_mixed");
        for (const QString& name : small) {
            auto* picture = new ui::SvgPicture(name, name, &sheet);
            picture->move(x, y);
            x += 34;
        }
        y += 40;
        auto* track = new ui::SvgPicture(QStringLiteral("track"), QStringLiteral("progress_track"), &sheet);
        track->move(12, y);
        auto* fill = new ui::SvgPicture(QStringLiteral("fill"), QStringLiteral("progress_fill"), &sheet);
        fill->move(12, y);
        fill->setVisibleWidth(170);
        auto* menu = new ui::SvgPicture(QStringLiteral("menu"), QStringLiteral("traymenu_background"), &sheet);
        menu->move(320, y - 8);
        sheet.resize(650, y + 140);
        return save(sheet, folder, QStringLiteral("skin"));
    };
}

} // namespace tessivar::screenshots

int main(int argc, char** argv)
{
    using namespace tessivar::screenshots;
    QApplication app(argc, argv);
    tessivar::ui::loadSkinResources();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: tessivar-screenshots OUTPUT_FOLDER [NAME...]\n";
        return 2;
    }
    const QString folder = arguments.at(1);
    QDir().mkpath(folder);
    Shots all;
    addSkinShots(all);
    addDesktopShots(all);
    bool ok = true;
    for (const auto& [name, shot] : all)
        if (arguments.size() == 2 || arguments.mid(2).contains(name))
            ok = shot(folder) && ok;
    return ok ? 0 : 1;
}
