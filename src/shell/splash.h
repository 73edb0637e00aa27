#pragma once

// The splash window `frmSplash`: the program's first window. It shows its picture with the
// hourglass pointer for two seconds, then hands over to the main window and goes away for good.

#include "shell/mouse_pointer.h"
#include "shell/observable.h"
#include "shell/skin.h"

#include <functional>

namespace tessivar {

class FrmSplash : public Observable {
  public:
    // `showMainWindow` shows the main window without waiting (its start-up runs then).
    FrmSplash(MousePointer& pointer, std::function<void()> showMainWindow);

    TimerState tmrUnload{true, 2000};
    bool visible = false;
    // False once the splash has unloaded; it is never shown again.
    bool loaded = true;

    void Form_Load();
    void tmrUnload_Timer();

  private:
    MousePointer& m_pointer;
    std::function<void()> m_showMainWindow;
};

} // namespace tessivar
