#pragma once

// Moves a window without a title bar by its drag areas. The arithmetic is the unit's WindowDrag
// (twips, the grabbed point stays under the mouse); this class feeds it the drag area's mouse
// events and moves the window to where it says. Where the window system does not let a program
// place its windows (Wayland), a press hands the move to the compositor instead.

#include "shell/skin.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace tessivar::ui {

class WindowDragger : public QObject {
    Q_OBJECT
  public:
    // `state` belongs to the window's unit and outlives the dragger.
    WindowDragger(QWidget* window, WindowDrag& state, QObject* parent = nullptr);

    // Makes `area` a drag area of the window; any number of areas share the one drag state.
    void addArea(QWidget* area);

    // Whether the current platform lets the program move its own windows.
    static bool programPlacesWindows();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> m_window;
    WindowDrag& m_state;
};

// Window flags of the skin's windows without a title bar: no frame; a dialog so that it stays
// over its owner and leaves the task bar alone. The window draws its own thin border.
void makeFrameless(QWidget* window);

} // namespace tessivar::ui
