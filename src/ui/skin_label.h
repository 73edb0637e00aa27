#pragma once

// A label of the skin that reports the mouse like the picture controls do: every move (for the
// hover and idle-reset handlers) and a click (for labels that act, like "My Computer").

#include <QLabel>

namespace tessivar::ui {

class SkinLabel : public QLabel {
    Q_OBJECT
  public:
    SkinLabel(const QString& objectName, const QString& text, QWidget* parent = nullptr);

    // Text colour as 0xRRGGBB; the font stays as set.
    void setTextColour(QRgb colour);

  signals:
    void mouseMoved(QPoint position);
    void clicked();

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool m_pressed = false;
};

} // namespace tessivar::ui
