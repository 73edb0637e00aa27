#include "ui/tray_menu_window.h"

#include "ui/click_label.h"
#include "ui/skin_palette.h"
#include "ui/svg_picture.h"
#include "ui/timer_runner.h"

#include <QFrame>

namespace tessivar::ui {

namespace {

int pixels(double twips)
{
    return static_cast<int>(RoundHalfEven(twips / kTwipsPerPixel));
}

} // namespace

TrayMenuWindow::TrayMenuWindow(frmMenuPopUp& unit, QWidget* parent)
    : QWidget(parent), m_unit(unit), m_timers(new TimerRunner(this)),
      m_background(new SvgPicture(QStringLiteral("Picture1"), QStringLiteral("traymenu_background"), this)),
      m_restore(new ClickLabel(QStringLiteral("MenuRestore"), QString::fromStdString(unit.MenuRestore.Caption), this)),
      m_scan(new ClickLabel(QStringLiteral("MenuScan"), QString::fromStdString(unit.MenuScan.Caption), this)),
      m_settings(
          new ClickLabel(QStringLiteral("MenuSettings"), QString::fromStdString(unit.MenuSettings.Caption), this)),
      m_exit(new ClickLabel(QStringLiteral("MenuExit"), QString::fromStdString(unit.MenuExit.Caption), this)),
      m_close(new ClickLabel(QStringLiteral("lblMenuClose"), QString::fromStdString(unit.lblMenuClose.Caption), this))
{
    setObjectName(QStringLiteral("frmMenuPopUp"));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(kClient);
    m_background->setGeometry(QRect(QPoint(0, 0), kClient));

    const QString entryStyle = QStringLiteral("QLabel { color: #E0E0E0; } QLabel:disabled { color: #5F6B82; }");
    int top = 30;
    for (ClickLabel* entry : {m_restore, m_scan, m_settings, m_exit}) {
        entry->setGeometry(6, top, kClient.width() - 12, 24);
        entry->setAlignment(Qt::AlignCenter);
        entry->setStyleSheet(entryStyle);
        top += 26;
    }
    m_close->setGeometry(kClient.width() - 22, 4, 16, 18);
    m_close->setAlignment(Qt::AlignCenter);
    m_close->setStyleSheet(entryStyle);
    // The separator lines between the entries.
    const char* separators[] = {"Shape1", "Shape9", "Shape10"};
    for (int i = 0; i < 3; ++i) {
        auto* line = new QFrame(this);
        line->setObjectName(QLatin1String(separators[i]));
        line->setGeometry(16, 30 + 26 * (i + 1) - 2, kClient.width() - 32, 1);
        line->setStyleSheet(QStringLiteral("background: #2A3650;"));
    }

    connect(m_background, &SvgPicture::mouseMoved, this, [this] { m_unit.Picture1_MouseMove(); });
    connect(m_restore, &ClickLabel::mouseMoved, this, [this] { m_unit.MenuRestore_MouseMove(); });
    connect(m_scan, &ClickLabel::mouseMoved, this, [this] { m_unit.MenuScan_MouseMove(); });
    connect(m_settings, &ClickLabel::mouseMoved, this, [this] { m_unit.MenuSettings_MouseMove(); });
    connect(m_exit, &ClickLabel::mouseMoved, this, [this] { m_unit.MenuExit_MouseMove(); });
    connect(m_restore, &ClickLabel::clicked, this, [this] { m_unit.MenuRestore_Click(); });
    connect(m_scan, &ClickLabel::clicked, this, [this] { m_unit.MenuScan_Click(); });
    connect(m_settings, &ClickLabel::clicked, this, [this] { m_unit.MenuSettings_Click(); });
    connect(m_exit, &ClickLabel::clicked, this, [this] { m_unit.MenuExit_Click(); });
    connect(m_close, &ClickLabel::clicked, this, [this] { m_unit.lblMenuClose_Click(); });

    m_timers->add(QStringLiteral("tmrMenuPopup"), m_unit.tmrMenuPopup, [this] { m_unit.tmrMenuPopup_Timer(); });
    m_timers->add(QStringLiteral("TmrEnablePopDown"), m_unit.TmrEnablePopDown,
                  [this] { m_unit.TmrEnablePopDown_Timer(); });
    m_timers->add(QStringLiteral("tmrPopDown"), m_unit.tmrPopDown, [this] { m_unit.tmrPopDown_Timer(); });
    m_unit.setObserver([this] { render(); });
    render();
}

TrayMenuWindow::~TrayMenuWindow()
{
    m_unit.setObserver({});
}

void TrayMenuWindow::render()
{
    const std::pair<ClickLabel*, const tessivar::MenuLabel*> entries[] = {{m_restore, &m_unit.MenuRestore},
                                                                          {m_scan, &m_unit.MenuScan},
                                                                          {m_settings, &m_unit.MenuSettings},
                                                                          {m_exit, &m_unit.MenuExit},
                                                                          {m_close, &m_unit.lblMenuClose}};
    for (const auto& [label, state] : entries) {
        label->setEnabled(state->Enabled);
        setLabelLook(label, state->emphasised, state->emphasised);
    }
    move(pixels(m_unit.Left), pixels(m_unit.Top));
    setVisible(m_unit.Loaded && m_unit.Visible);
    m_timers->sync();
}

} // namespace tessivar::ui
