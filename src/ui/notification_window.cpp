#include "ui/notification_window.h"

#include "ui/skin_label.h"
#include "ui/skin_layout.h"
#include "ui/skin_palette.h"
#include "ui/skin_resources.h"
#include "ui/skin_style.h"
#include "ui/skinned_button.h"
#include "ui/svg_picture.h"

#include <QCheckBox>
#include <QCloseEvent>

namespace tessivar::ui {

namespace lay = layout::notification;

NotificationWindow::NotificationWindow(FrmNotification& form, QWidget* parent)
    : QDialog(parent), m_form(form), m_check(nullptr), m_ok(nullptr)
{
    setObjectName(QStringLiteral("frmNotification"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(applicationIcon());
    setFixedSize(lay::kClient);

    auto* background = new SvgPicture(QStringLiteral("Picture1"), QStringLiteral("notification_background"), this);
    background->setGeometry(QRect(QPoint(0, 0), lay::kClient));
    connect(background, &SvgPicture::mouseMoved, this, [this] { m_form.Picture1_MouseMove(); });

    auto* strip = new SvgPicture(QStringLiteral("ImgToolBarOrlenda"), QStringLiteral("notification_strip"), this);
    strip->setGeometry(lay::kStrip);
    connect(strip, &SvgPicture::mouseMoved, this, [this] { m_form.Picture1_MouseMove(); });

    auto* picture = new SvgPicture(QStringLiteral("Picture2"), QStringLiteral("notification_picture"), this);
    picture->setGeometry(lay::kPicture2);

    auto* message = new SkinLabel(QStringLiteral("lblMessage"), QString::fromUtf8(kNotificationMessage), this);
    message->setGeometry(lay::kMessage);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    message->setTextColour(palette::kTextSoft);
    QFont messageFont = message->font();
    messageFont.setPixelSize(13);
    message->setFont(messageFont);
    connect(message, &SkinLabel::mouseMoved, this, [this] { m_form.Picture1_MouseMove(); });

    m_check = new QCheckBox(this);
    m_check->setObjectName(QStringLiteral("chkDoNotShowInFuture"));
    m_check->setGeometry(lay::kCheckBox);
    m_check->setStyleSheet(checkBoxStyle());
    connect(m_check, &QCheckBox::clicked, this, [this] { m_form.chkDoNotShowInFuture_UserClick(); });

    auto* label = new SkinLabel(QStringLiteral("Label1"), QString::fromUtf8(kNotificationCheckText), this);
    label->setGeometry(lay::kLabel1);
    label->setTextColour(palette::kTextSoft);
    label->setCursor(Qt::PointingHandCursor);
    connect(label, &SkinLabel::clicked, this, [this] { m_form.Label1_Click(); });

    m_ok = new SkinnedButton(m_form.ImgOK, QStringLiteral("ImgOKNormal"), QStringLiteral("ImgOkMouseMove"),
                             QStringLiteral("ok"), this);
    m_ok->setGeometry(lay::kOk);
    m_ok->onHover([this] { m_form.ImgOKNormal_MouseMove(); });
    m_ok->onClick([this] { m_form.ImgOkMouseMove_Click(); });

    m_form.setObserver([this] { render(); });
}

void NotificationWindow::showModal()
{
    m_form.Form_Load();
    render();
    if (m_form.loaded)
        exec();
}

void NotificationWindow::showNotification(SettingsStore& settings, const std::string& title, QWidget* owner)
{
    FrmNotification form(settings);
    form.Caption = title;
    NotificationWindow window(form, owner);
    window.showModal();
}

void NotificationWindow::render()
{
    setWindowTitle(QString::fromStdString(m_form.Caption));
    const Qt::CheckState state = m_form.chkDoNotShowInFuture == CheckBoxValue::Unchecked ? Qt::Unchecked
                                 : m_form.chkDoNotShowInFuture == CheckBoxValue::Checked ? Qt::Checked
                                                                                         : Qt::PartiallyChecked;
    m_check->setCheckState(state);
    m_ok->refresh();
    if (!m_form.loaded && isVisible())
        done(QDialog::Accepted);
}

void NotificationWindow::closeEvent(QCloseEvent* event)
{
    m_form.Form_Unload();
    event->accept();
    QDialog::closeEvent(event);
}

} // namespace tessivar::ui
