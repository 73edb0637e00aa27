#include "ui/click_label.h"

#include <QMouseEvent>

namespace tessivar::ui {

ClickLabel::ClickLabel(const QString& objectName, const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setObjectName(objectName);
    setMouseTracking(true);
}

void ClickLabel::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved();
    QLabel::mouseMoveEvent(event);
}

void ClickLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

void setLabelLook(QLabel* label, bool bold, bool underline)
{
    QFont font = label->font();
    if (font.bold() == bold && font.underline() == underline)
        return;
    font.setBold(bold);
    font.setUnderline(underline);
    label->setFont(font);
}

} // namespace tessivar::ui
