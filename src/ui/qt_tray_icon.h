#pragma once

// The notification-area icon through QSystemTrayIcon, drawn with the program's icon. Its
// activations are reported as the mouse messages the tray class expects.

#include "platform/tray_icon.h"

#include <QObject>
#include <QSystemTrayIcon>

namespace tessivar::ui {

// The mouse message an activation stands for; 0 for none.
int trayMessageFor(QSystemTrayIcon::ActivationReason reason);

class QtTrayIcon : public QObject, public TrayIconPlatform {
    Q_OBJECT
  public:
    explicit QtTrayIcon(QObject* parent = nullptr);

    bool isAvailable() const override;
    void add(std::string_view tip) override;
    void modify(std::string_view tip) override;
    void remove() override;
    void setMouseHandler(MouseHandler handler) override { m_handler = std::move(handler); }

    QSystemTrayIcon& icon() { return m_icon; }

  private:
    QSystemTrayIcon m_icon;
    MouseHandler m_handler;
};

} // namespace tessivar::ui
