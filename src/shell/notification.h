#pragma once

// The notification window `frmNotification`: shown modally when the main window is closed into
// the tray, it says that the program goes on running there and offers to stop saying so. The box
// starts unchecked at every showing and stores its state at every change.

#include "settings/settings_store.h"
#include "shell/observable.h"
#include "shell/skin.h"

#include <string>

namespace tessivar {

inline constexpr const char* kNotificationMessage =
    "Although you have closed the program window. Tessivar will continue to run in the task manager near to "
    "the clock for your quick reference.";
inline constexpr const char* kNotificationCheckText = "Do not show this message in future.";

enum class CheckBoxValue { Unchecked = 0, Checked = 1, Grayed = 2 };

class FrmNotification : public Observable {
  public:
    explicit FrmNotification(SettingsStore& settings) : m_settings(settings) {}

    // The title the main window sets before showing it.
    std::string Caption;
    CheckBoxValue chkDoNotShowInFuture = CheckBoxValue::Unchecked;
    SkinnedPair ImgOK;
    // True until OK or the title bar's close button ends this showing.
    bool loaded = false;

    void Form_Load();
    // The box's value set by the user's click or by code; a change stores the setting, as the
    // box's own change action does.
    void setDoNotShowInFuture(CheckBoxValue value);
    // The user clicked the box itself: it flips between checked and unchecked.
    void chkDoNotShowInFuture_UserClick();
    void chkDoNotShowInFuture_Click();
    void Label1_Click();
    void ImgOKNormal_MouseMove();
    void Picture1_MouseMove();
    void ImgOkMouseMove_Click();
    // The title bar's close button: the same as OK; the box's state was stored at each change.
    void Form_Unload();

  private:
    SettingsStore& m_settings;
};

} // namespace tessivar
