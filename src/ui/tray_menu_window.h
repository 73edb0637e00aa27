#pragma once

// frmMenuPopUp on screen: the tray menu's background, its four entries and the close label, at
// the place the unit computes, with the unit's three timers running.

#include "shell/tray_menu.h"

#include <QWidget>

namespace tessivar::ui {

class ClickLabel;
class SvgPicture;
class TimerRunner;

class TrayMenuWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr QSize kClient{137, 136};

    explicit TrayMenuWindow(frmMenuPopUp& unit, QWidget* parent = nullptr);
    ~TrayMenuWindow() override;

    // Shows what the unit holds now: place, entries, emphasis, timers, shown or gone.
    void render();
    TimerRunner* timers() const { return m_timers; }

  private:
    frmMenuPopUp& m_unit;
    TimerRunner* m_timers;
    SvgPicture* m_background;
    ClickLabel* m_restore;
    ClickLabel* m_scan;
    ClickLabel* m_settings;
    ClickLabel* m_exit;
    ClickLabel* m_close;
};

} // namespace tessivar::ui
