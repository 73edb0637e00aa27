#include "ui/skin_label.h"

#include <QMouseEvent>

namespace tessivar::ui {

SkinLabel::SkinLabel(const QString& objectName, const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setObjectName(objectName);
    setMouseTracking(true);
}

void SkinLabel::setTextColour(QRgb colour)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(colour));
    setPalette(palette);
}

void SkinLabel::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->position().toPoint());
}

void SkinLabel::mousePressEvent(QMouseEvent*)
{
    m_pressed = true;
}

void SkinLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

} // namespace tessivar::ui
