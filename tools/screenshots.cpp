// Renders every window of the program, in the states worth showing, into PNG files:
//   tessivar-screenshots OUTPUT_FOLDER [NAME...]
// Run it on the offscreen platform; QT_SCALE_FACTOR=2 gives the 200% pictures. The windows run
// over an in-memory settings store and touch nothing of the user's.

#include "platform/settings_backend.h"
#include "settings/settings_store.h"
#include "shell/notification.h"
#include "shell/splash.h"
#include "ui/notification_window.h"
#include "ui/skin_label.h"
#include "ui/skin_layout.h"
#include "ui/skin_palette.h"
#include "ui/skin_resources.h"
#include "ui/skin_style.h"
#include "ui/splash_window.h"
#include "ui/svg_picture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPixmap>
#include <QTextStream>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace {

using namespace tessivar;

class ScratchSettings : public SettingsBackend {
  public:
    std::optional<std::string> read(std::string_view key) override
    {
        const auto it = m_values.find(std::string(key));
        return it == m_values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool write(std::string_view key, std::string_view value) override
    {
        m_values[std::string(key)] = std::string(value);
        return true;
    }

  private:
    std::map<std::string, std::string> m_values;
};

struct NoPointer : MousePointer {
    void setPointer(PointerShape) override {}
};

bool save(QWidget& window, const QString& folder, const QString& name)
{
    window.show();
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
    const bool saved = picture.save(file);
    QTextStream(stdout) << (saved ? "wrote " : "could not write ") << file << '\n';
    window.hide();
    return saved;
}

using Shot = std::function<bool(const QString& folder)>;

std::map<QString, Shot> shots()
{
    std::map<QString, Shot> all;
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
    // The drawings with their controls at the places skin_layout.h gives, to check the two agree.
    all[QStringLiteral("skin-layout")] = [](const QString& folder) {
        namespace lay = ui::layout;
        QWidget window;
        window.setFixedSize(lay::main::kClient);
        auto place = [&](QWidget* parent, const QString& picture, QRect where) {
            auto* widget = new ui::SvgPicture(picture, picture, parent);
            widget->setGeometry(where);
            return widget;
        };
        place(&window, QStringLiteral("main_background"), QRect(QPoint(0, 0), lay::main::kClient));
        auto* check = new QCheckBox(&window);
        check->setStyleSheet(ui::checkBoxStyle());
        check->setGeometry(lay::main::kSelectAll);
        check->setChecked(true);
        place(&window, QStringLiteral("my_computer"), lay::main::kImage1);
        auto* computer = new ui::SkinLabel(QStringLiteral("Label2"), QStringLiteral("My Computer"), &window);
        computer->setGeometry(lay::main::kLabel2);
        computer->setTextColour(ui::palette::kText);
        for (int section = 1; section <= 12; ++section) {
            const QRect list = lay::main::kSectionList;
            place(&window, QStringLiteral("section_%1").arg(section, 2, 10, QLatin1Char('0')),
                  QRect(list.x() + 28, list.y() + 6 + (section - 1) * 22, 18, 18));
            auto* box = new QCheckBox(&window);
            box->setStyleSheet(ui::checkBoxStyle());
            box->setChecked(section != 11);
            box->setGeometry(list.x() + 6, list.y() + 7 + (section - 1) * 22, 18, 18);
            auto* text = new ui::SkinLabel(
                QString(), section == 12 ? QStringLiteral("Drive C:") : QStringLiteral("Section"), &window);
            text->setTextColour(ui::palette::kTextSoft);
            text->setGeometry(list.x() + 52, list.y() + 6 + (section - 1) * 22, 140, 18);
        }
        place(&window, QStringLiteral("scan_now_lit"), lay::main::kScanNow);
        place(&window, QStringLiteral("restore_idle"), lay::main::kRestore);
        place(&window, QStringLiteral("settings_idle"), lay::main::kSettings);
        const std::pair<QRect, QString> hints[] = {
            {lay::main::kScanText,
             QStringLiteral("Click on the Scan button to start scanning your registry for problems.")},
            {lay::main::kBackUpText,
             QStringLiteral("Click the Backup button to restore any previous registry backups.")},
            {lay::main::kSettingsText, QStringLiteral("Click on the Settings button for configuration options.")}};
        bool first = true;
        for (const auto& [where, text] : hints) {
            auto* hint = new ui::SkinLabel(QString(), text, &window);
            hint->setWordWrap(true);
            hint->setGeometry(where);
            hint->setTextColour(first ? kHintLitColour : kHintIdleColour);
            first = false;
        }
        place(&window, QStringLiteral("help_icon_idle"), lay::main::kHelpPic);
        place(&window, QStringLiteral("help_caption_idle"), lay::main::kHelp);
        place(&window, QStringLiteral("support_icon_idle"), lay::main::kSupportPic);
        place(&window, QStringLiteral("support_caption_idle"), lay::main::kSupport);
        bool saved = save(window, folder, QStringLiteral("skin-layout-start"));

        auto* scanning = place(&window, QStringLiteral("scanning_background"), lay::main::kViews);
        place(scanning, QStringLiteral("bug"), lay::scanning::kBug);
        place(scanning, QStringLiteral("progress_track"), lay::scanning::kMainProgress);
        place(scanning, QStringLiteral("progress_fill"), lay::scanning::kMainProgress)->setVisibleWidth(120);
        place(scanning, QStringLiteral("cancel_scan_idle"), lay::scanning::kCancel);
        const std::pair<QRect, QString> labels[] = {
            {lay::scanning::kStatus, QStringLiteral(" Software Locations....")},
            {lay::scanning::kRegistryScan,
             QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tool.exe")},
            {lay::scanning::kRegistryFilesScan, QStringLiteral("C:\\Program Files\\Tool\\tool.exe")},
            {lay::scanning::kLabel3, QStringLiteral("Problem(s) Detected :")},
            {lay::scanning::kProblemsFound, QStringLiteral("12")}};
        for (const auto& [where, text] : labels) {
            auto* label = new ui::SkinLabel(QString(), text, scanning);
            label->setGeometry(where);
            label->setTextColour(ui::palette::kTextSoft);
        }
        saved = save(window, folder, QStringLiteral("skin-layout-scanning")) && saved;
        scanning->hide();

        auto* results = place(&window, QStringLiteral("results_background"), lay::main::kViews);
        place(results, QStringLiteral("repair_idle"), lay::results::kRepair);
        place(results, QStringLiteral("return_lit"), lay::results::kReturn);
        place(results, QStringLiteral("delete_progress_track"), lay::results::kDeleteProgress);
        place(results, QStringLiteral("delete_progress_fill"), lay::results::kDeleteProgress)->setVisibleWidth(60);
        auto* deleting = new ui::SkinLabel(QString(), QStringLiteral("Deleteing the corrupt files"), results);
        deleting->setGeometry(lay::results::kDeleting);
        deleting->setTextColour(ui::palette::kTextSoft);
        saved = save(window, folder, QStringLiteral("skin-layout-results")) && saved;
        return saved;
    };
    return all;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tessivar::ui::loadSkinResources();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: tessivar-screenshots OUTPUT_FOLDER [NAME...]\n";
        return 2;
    }
    const QString folder = arguments.at(1);
    QDir().mkpath(folder);
    const auto all = shots();
    bool ok = true;
    for (const auto& [name, shot] : all)
        if (arguments.size() == 2 || arguments.mid(2).contains(name))
            ok = shot(folder) && ok;
    return ok ? 0 : 1;
}
