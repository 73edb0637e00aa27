#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace tessivar::test {

// Moves the pointer over a widget. QTest::mouseMove moves the platform's cursor and passes through
// the event loop once, and nothing promises that the platform's move arrives within that pass: on
// a slow run it came later, and the hover it should have lit was not there. The move goes to the
// widget here as the window system hands one over.
inline void hover(QWidget* widget, QPoint position)
{
    QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace tessivar::test
