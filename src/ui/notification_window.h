#pragma once

// The notification on screen: a dialog with the platform's title bar and close button only,
// rendering FrmNotification and forwarding its controls' events.

#include "shell/notification.h"

#include <QDialog>

class QCheckBox;

namespace tessivar::ui {

class SkinnedButton;

class NotificationWindow : public QDialog {
    Q_OBJECT
  public:
    explicit NotificationWindow(FrmNotification& form, QWidget* parent = nullptr);

    // Loads the unit and shows the window modally; returns when OK or the close button ended it.
    void showModal();

    // The way the main window shows it: a fresh unit over the settings, titled, modal.
    static void showNotification(SettingsStore& settings, const std::string& title, QWidget* owner);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void render();

    FrmNotification& m_form;
    QCheckBox* m_check;
    SkinnedButton* m_ok;
};

} // namespace tessivar::ui
