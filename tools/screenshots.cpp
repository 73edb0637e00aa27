// Renders every window of the program, in the states worth showing, into PNG files:
//   tessivar-screenshots OUTPUT_FOLDER [NAME...]
// Run it on the offscreen platform; QT_SCALE_FACTOR=2 gives the 200% pictures. The windows run
// over an in-memory settings store and touch nothing of the user's.

#include "platform/settings_backend.h"
#include "settings/settings_store.h"
#include "shell/notification.h"
#include "shell/splash.h"
#include "ui/notification_window.h"
#include "ui/skin_resources.h"
#include "ui/splash_window.h"

#include <QApplication>
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
