#include "ui/splash_window.h"

#include "ui/skin_layout.h"
#include "ui/skin_resources.h"
#include "ui/svg_picture.h"

#include <QGuiApplication>
#include <QScreen>

namespace tessivar::ui {

SplashWindow::SplashWindow(FrmSplash& form, QWidget* parent)
    : QWidget(parent), m_form(form), m_timers(new TimerRunner(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Tessivar v4.0"));
    setWindowIcon(applicationIcon());
    setFixedSize(layout::splash::kClient);

    auto* shape = new SvgPicture(QStringLiteral("Shape1"), QStringLiteral("splash_background"), this);
    shape->setGeometry(QRect(QPoint(0, 0), layout::splash::kClient));
    auto* picture = new SvgPicture(QStringLiteral("Picture1"), QStringLiteral("splash_picture"), this);
    picture->setGeometry(layout::splash::kPicture);

    m_timers->add(QStringLiteral("tmrUnload"), m_form.tmrUnload, [this] { m_form.tmrUnload_Timer(); });
    m_form.setObserver([this] { render(); });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void SplashWindow::load()
{
    m_form.Form_Load();
    render();
}

void SplashWindow::render()
{
    m_timers->sync();
    if (!m_form.loaded) {
        close();
        return;
    }
    setVisible(m_form.visible);
}

} // namespace tessivar::ui
