#include "ui/picture_widget.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

#include "ui/skin_resources.h"

namespace tessivar::ui {

PictureWidget::PictureWidget(QWidget* parent, const QString& objectName, const QString& picture, QColor fallback,
                             Shape shape)
    : QWidget(parent), m_colour(std::move(fallback)), m_shape(shape)
{
    setObjectName(objectName);
    setMouseTracking(true);
    if (!picture.isEmpty()) {
        const QString path = skinPicture(picture);
        if (QFile::exists(path)) {
            m_svg = std::make_unique<QSvgRenderer>(path);
            if (!m_svg->isValid())
                m_svg.reset();
        }
    }
}

PictureWidget::~PictureWidget() = default;

void PictureWidget::setCaption(const QString& caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    update();
}

void PictureWidget::setColour(QColor colour)
{
    if (m_colour == colour)
        return;
    m_colour = std::move(colour);
    update();
}

void PictureWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_svg) {
        const int full = m_uncovered && parentWidget() ? parentWidget()->width() : width();
        m_svg->render(&painter, QRectF(0, 0, full, height()));
    } else if (m_colour.alpha() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_colour);
        switch (m_shape) {
        case Shape::fill:
            painter.drawRect(rect());
            break;
        case Shape::rounded:
            painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
            break;
        case Shape::disc:
            painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
            break;
        }
    }
    if (!m_svg && !m_caption.isEmpty()) {
        painter.setPen(m_colour.lightness() > 150 ? QColor(0x1F, 0x2A, 0x37) : QColor(Qt::white));
        QFont font = painter.font();
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, m_caption);
    }
}

void PictureWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (onMouseMove)
        onMouseMove();
    else
        event->ignore();
}

void PictureWidget::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    if (!onClick)
        event->ignore();
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click && onClick)
        onClick();
    else if (!onClick)
        event->ignore();
}

} // namespace tessivar::ui
