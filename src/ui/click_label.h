#pragma once

// A label that reports the mouse as the windows' handlers expect it: every move over it, and a
// click as press and release on the label.

#include <QLabel>

namespace tessivar::ui {

class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    ClickLabel(const QString& objectName, const QString& text, QWidget* parent = nullptr);

  signals:
    void mouseMoved();
    void clicked();

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool m_pressed = false;
};

// Bold, underlined or plain, as the units' emphasis asks.
void setLabelLook(QLabel* label, bool bold, bool underline);

} // namespace tessivar::ui
