#pragma once

// The splash on screen: a window without border or title bar, centred, showing the splash
// picture, and running the unit's tmrUnload.

#include "shell/splash.h"
#include "ui/timer_runner.h"

#include <QWidget>

namespace tessivar::ui {

class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SplashWindow(FrmSplash& form, QWidget* parent = nullptr);

    // Runs the unit's Form_Load: the splash shows and its timer starts.
    void load();

  private:
    void render();

    FrmSplash& m_form;
    TimerRunner* m_timers;
};

} // namespace tessivar::ui
