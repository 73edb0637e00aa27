#include "ui/settings_dialog_window.h"

#include "ui/click_label.h"
#include "ui/skin_style.h"
#include "ui/skinned_button.h"
#include "ui/svg_picture.h"
#include "ui/window_drag.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <functional>

namespace tessivar::ui {

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

SettingsDialogWindow::SettingsDialogWindow(frmSetings& unit, QWidget* parent)
    : QDialog(parent), m_unit(unit), m_background(new SvgPicture(QStringLiteral("Picture2"), QString(), this)),
      m_ok(new SkinnedButton(unit.cmdOK, QStringLiteral("cmdOKNormal"), QStringLiteral("cmdokMousemove"),
                             QStringLiteral("ok"), this)),
      m_close(new SkinnedButton(unit.imgClose, QStringLiteral("imgCloseNormal"), QStringLiteral("ImgCloseMouseMove"),
                                QStringLiteral("close"), this)),
      m_dragger(new WindowDragger(this, unit.drag, this))
{
    setObjectName(QStringLiteral("frmSetings"));
    setWindowTitle(QStringLiteral("Settings"));
    makeFrameless(this);
    setModal(true);
    setFixedSize(kClient);
    setStyleSheet(QStringLiteral("QDialog#frmSetings { background: #1C2538; border: 1px solid #3A4866; }"
                                 "QLabel { color: #E0E0E0; }"
                                 "QLineEdit { background: #121927; color: #FFFFFF; border: 1px solid #33405C;"
                                 " border-radius: 3px; padding: 2px 4px; }"
                                 "QLineEdit[readOnly=\"true\"] { color: #8D9BB5; }"));
    m_background->setGeometry(QRect(QPoint(0, 0), kClient));

    auto* strip = new SvgPicture(QStringLiteral("ImgToolBarOrlenda"), QStringLiteral("dialog_strip"), this);
    strip->setGeometry(0, 0, kClient.width(), 26);
    auto* grip = new SvgPicture(QStringLiteral("ImgFormMove"), QStringLiteral("messagebox_grip"), this);
    grip->setGeometry(8, 5, 16, 16);
    // The title is text over the strip, which stretches to the window's width.
    auto* title = new QLabel(QStringLiteral("<b>Tessivar v4.0</b>&nbsp;&nbsp;·&nbsp;&nbsp;Settings"), this);
    title->setGeometry(30, 4, 300, 18);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_dragger->addArea(strip);
    m_dragger->addArea(grip);
    connect(grip, &SvgPicture::mouseMoved, this, [this] { m_unit.Picture2_MouseMove(); });
    connect(strip, &SvgPicture::mouseMoved, this, [this] { m_unit.Picture2_MouseMove(); });
    connect(m_background, &SvgPicture::mouseMoved, this, [this] { m_unit.Picture2_MouseMove(); });

    addRow(40, unit.chkMakeBackUp, QStringLiteral("chkMakeBackUp"),
           new ClickLabel(QStringLiteral("lblBackupchk"), qt(unit.lblBackupchk.Caption), this), unit.lblBackupchk,
           QStringLiteral("BackUp's :"), QStringLiteral("Label4"), &unit.txtBackup, QStringLiteral("txtBackup"),
           &unit.cmdBackUpBrowse, QStringLiteral("cmdBackUpBrowse"));
    addRow(116, unit.chkMakeLogFile, QStringLiteral("chkMakeLogFile"),
           new ClickLabel(QStringLiteral("lblReport"), qt(unit.lblReport.Caption), this), unit.lblReport,
           QStringLiteral("Report Log :"), QStringLiteral("Label2"), &unit.txtLogFile, QStringLiteral("txtLogFile"),
           &unit.cmdBrowse, QStringLiteral("cmdBrowse"));
    addRow(192, unit.chkPlaySound, QStringLiteral("chkPlaySound"),
           new ClickLabel(QStringLiteral("lblPlaySoundOnDetection"), qt(unit.lblPlaySoundOnDetection.Caption), this),
           unit.lblPlaySoundOnDetection, QStringLiteral("Sound File :"), QStringLiteral("Label1"),
           &unit.txtWaveFilesPath, QStringLiteral("txtWaveFilesPath"), &unit.cmdWaveFileBrowse,
           QStringLiteral("cmdWaveFileBrowse"));
    addRow(268, unit.chkRunAtStartup, QStringLiteral("chkRunAtStartup"),
           new ClickLabel(QStringLiteral("lblRunonStartup"), qt(unit.lblRunonStartup.Caption), this),
           unit.lblRunonStartup, QString(), QString(), nullptr, QString(), nullptr, QString());
    m_rows.back().check->setToolTip(QString::fromUtf8(frmSetings::kRunAtStartupToolTip.data(),
                                                      static_cast<qsizetype>(frmSetings::kRunAtStartupToolTip.size())));

    // The label actions of each row, in the rows' order.
    using LabelAction = std::function<void(frmSetings&)>;
    const std::pair<LabelAction, LabelAction> handlers[] = {
        {[](frmSetings& form) { form.lblBackupchk_Click(); }, [](frmSetings& form) { form.lblBackupchk_MouseMove(); }},
        {[](frmSetings& form) { form.lblReport_Click(); }, [](frmSetings& form) { form.lblReport_MouseMove(); }},
        {[](frmSetings& form) { form.lblPlaySoundOnDetection_Click(); },
         [](frmSetings& form) { form.lblPlaySoundOnDetection_MouseMove(); }},
        {[](frmSetings& form) { form.lblRunonStartup_Click(); },
         [](frmSetings& form) { form.lblRunonStartup_MouseMove(); }}};
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        Row& row = m_rows[i];
        const LabelAction click = handlers[i].first;
        const LabelAction move = handlers[i].second;
        connect(row.label, &ClickLabel::clicked, this, [this, click] { click(m_unit); });
        connect(row.label, &ClickLabel::mouseMoved, this, [this, move] { move(m_unit); });
        CheckState* box = row.box;
        connect(row.check, &QCheckBox::clicked, this, [this, box](bool checked) {
            m_unit.setCheckBox(*box, checked ? CheckState::checked : CheckState::unchecked);
        });
        if (row.field) {
            SettingsTextField* state = row.fieldState;
            connect(row.field, &QLineEdit::textEdited, this,
                    [state](const QString& text) { state->Text = text.toStdString(); });
        }
    }
    m_rows[0].browse->onClick([this] { m_unit.cmdBackUpBrowseMouseMove_Click(); });
    m_rows[0].browse->onHover([this] { m_unit.cmdBackUpBrowseNormal_MouseMove(); });
    m_rows[1].browse->onClick([this] { m_unit.cmdBrowseMouseMove_Click(); });
    m_rows[1].browse->onHover([this] { m_unit.cmdBrowseNormal_MouseMove(); });
    m_rows[2].browse->onClick([this] { m_unit.cmdWaveFileBrowseMouseMove_Click(); });
    m_rows[2].browse->onHover([this] { m_unit.cmdWaveFileBrowseNormal_MouseMove(); });

    m_ok->move(186, 326);
    m_close->move(300, 326);
    m_ok->onHover([this] { m_unit.cmdOKNormal_MouseMove(); });
    m_ok->onClick([this] { m_unit.cmdokMousemove_Click(); });
    m_close->onHover([this] { m_unit.imgCloseNormal_MouseMove(); });
    m_close->onClick([this] { m_unit.ImgCloseMouseMove_Click(); });

    m_unit.setObserver([this] { render(); });
    render();
}

SettingsDialogWindow::~SettingsDialogWindow()
{
    m_unit.setObserver({});
}

void SettingsDialogWindow::addRow(int top, CheckState& box, const QString& checkName, ClickLabel* label,
                                  SettingsLabel& labelState, const QString& fieldCaption, const QString& fieldLabelName,
                                  SettingsTextField* fieldState, const QString& fieldName, SkinnedPair* browsePair,
                                  const QString& browseName)
{
    Row row{&box, new QCheckBox(this), label, &labelState};
    row.check->setObjectName(checkName);
    row.check->setGeometry(20, top, 18, 18);
    label->setGeometry(44, top - 1, 350, 20);
    if (fieldState) {
        auto* caption = new QLabel(fieldCaption, this);
        caption->setObjectName(fieldLabelName);
        caption->setGeometry(44, top + 30, 86, 20);
        row.field = new QLineEdit(this);
        row.field->setObjectName(fieldName);
        row.field->setGeometry(130, top + 28, 230, 24);
        row.fieldState = fieldState;
        row.browse = new SkinnedButton(*browsePair, browseName + QStringLiteral("Normal"),
                                       browseName + QStringLiteral("MouseMove"), QStringLiteral("browse"), this);
        row.browse->move(368, top + 28);
    }
    m_rows.push_back(row);
}

void SettingsDialogWindow::render()
{
    for (const Row& row : m_rows) {
        {
            const QSignalBlocker quiet(row.check);
            row.check->setCheckState(qtCheckState(*row.box));
        }
        setLabelLook(row.label, row.labelState->FontBold, false);
        if (row.field) {
            if (row.field->text().toStdString() != row.fieldState->Text)
                row.field->setText(qt(row.fieldState->Text));
            row.field->setReadOnly(row.fieldState->Locked);
            row.browse->refresh();
        }
    }
    m_ok->refresh();
    m_close->refresh();
    if (m_unit.Unloaded && isVisible())
        accept();
}

} // namespace tessivar::ui
