#include "ui/window_drag.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace tessivar::ui {

WindowDragger::WindowDragger(QWidget* window, WindowDrag& state, QObject* parent)
    : QObject(parent), m_window(window), m_state(state)
{
}

void WindowDragger::addArea(QWidget* area)
{
    area->setMouseTracking(true);
    area->installEventFilter(this);
}

bool WindowDragger::programPlacesWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool WindowDragger::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const QPointF at = static_cast<QMouseEvent*>(event)->position();
        m_state.MouseDown(at.x() * kTwipsPerPixel, at.y() * kTwipsPerPixel);
        if (!programPlacesWindows()) {
            // The compositor moves the window and keeps the mouse: no move or release of this
            // drag reaches the area, so the drag ends here as far as the window is concerned.
            if (QWindow* handle = m_window->window()->windowHandle())
                handle->startSystemMove();
            m_state.MouseUp();
        }
        return false;
    }
    case QEvent::MouseMove: {
        const QPointF at = static_cast<QMouseEvent*>(event)->position();
        const QPoint topLeft = m_window->pos();
        const auto moved = m_state.MouseMove(at.x() * kTwipsPerPixel, at.y() * kTwipsPerPixel,
                                             TwipPoint{static_cast<float>(topLeft.x() * kTwipsPerPixel),
                                                       static_cast<float>(topLeft.y() * kTwipsPerPixel)});
        if (moved)
            m_window->move(static_cast<int>(RoundHalfEven(moved->x / kTwipsPerPixel)),
                           static_cast<int>(RoundHalfEven(moved->y / kTwipsPerPixel)));
        return false;
    }
    case QEvent::MouseButtonRelease:
        m_state.MouseUp();
        return false;
    default:
        return QObject::eventFilter(watched, event);
    }
}

void makeFrameless(QWidget* window)
{
    window->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

} // namespace tessivar::ui
