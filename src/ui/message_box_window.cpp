#include "ui/message_box_window.h"

#include "ui/skin_label.h"
#include "ui/skin_layout.h"
#include "ui/skin_palette.h"
#include "ui/skinned_button.h"
#include "ui/svg_picture.h"
#include "ui/window_drag.h"

#include <QCloseEvent>

namespace tessivar::ui {

namespace lay = layout::messagebox;

MessageBoxWindow::MessageBoxWindow(FrmMessagebox& form, QWidget* parent)
    : QDialog(parent), m_form(form), m_message(nullptr), m_ok(nullptr), m_cancel(nullptr)
{
    setObjectName(QStringLiteral("FrmMessagebox"));
    makeFrameless(this);
    setFixedSize(lay::kClient);

    auto* background = new SvgPicture(QStringLiteral("Picture1"), QStringLiteral("messagebox_background"), this);
    background->setGeometry(QRect(QPoint(0, 0), lay::kClient));
    connect(background, &SvgPicture::mouseMoved, this, [this] { m_form.Picture1_MouseMove(); });

    auto* strip = new SvgPicture(QStringLiteral("ImgToolBarOrlenda"), QStringLiteral("messagebox_strip"), this);
    strip->setGeometry(lay::kStrip);
    auto* grip = new SvgPicture(QStringLiteral("ImgFormMove"), QStringLiteral("messagebox_grip"), this);
    grip->setGeometry(lay::kGrip);
    auto* dragger = new WindowDragger(this, m_form.drag, this);
    dragger->addArea(strip);
    dragger->addArea(grip);

    auto* message = new SkinLabel(QStringLiteral("lblMessage"), QString(), this);
    message->setGeometry(lay::kMessage);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    message->setTextColour(palette::kTextSoft);
    QFont font = message->font();
    font.setPixelSize(13);
    message->setFont(font);
    connect(message, &SkinLabel::mouseMoved, this, [this] { m_form.Picture1_MouseMove(); });
    m_message = message;

    m_ok = new SkinnedButton(m_form.OkPair, QStringLiteral("ImgOKNormal"), QStringLiteral("ImgOkMouseMove"),
                             QStringLiteral("ok"), this);
    m_ok->onHover([this] { m_form.ImgOKNormal_MouseMove(); });
    m_ok->onClick([this] { m_form.ImgOkMouseMove_Click(); });
    m_cancel = new SkinnedButton(m_form.CancelPair, QStringLiteral("ImgCancelNormal"),
                                 QStringLiteral("ImgCancelMouseMove"), QStringLiteral("cancel"), this);
    m_cancel->onHover([this] { m_form.ImgCancelNormal_MouseMove(); });
    m_cancel->onClick([this] { m_form.ImgCancelMouseMove_Click(); });

    m_form.setObserver([this] { render(); });
}

void MessageBoxWindow::showModal()
{
    m_form.Form_Load();
    render();
    if (!m_form.closed)
        exec();
}

MessageAnswer MessageBoxWindow::ask(MessageKind kind, std::string_view outcomeText, QWidget* owner)
{
    FrmMessagebox form(kind, outcomeText);
    MessageBoxWindow window(form, owner);
    window.showModal();
    return form.answer();
}

void MessageBoxWindow::render()
{
    m_message->setText(QString::fromStdString(m_form.lblMessage));
    // The unit places its pairs in twips; the layout gives their size and row.
    m_ok->setGeometry(QRect(QPoint(m_form.OkLeft / kTwipsPerPixel, lay::kOk.y()), lay::kOk.size()));
    m_cancel->setGeometry(QRect(QPoint(m_form.CancelLeft / kTwipsPerPixel, lay::kCancel.y()), lay::kCancel.size()));
    m_ok->refresh();
    m_cancel->refresh();
    if (m_form.closed && isVisible())
        done(QDialog::Accepted);
}

void MessageBoxWindow::closeEvent(QCloseEvent* event)
{
    if (!m_form.closed)
        m_form.Form_Unload();
    event->accept();
    QDialog::closeEvent(event);
}

} // namespace tessivar::ui
