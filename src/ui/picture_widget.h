#pragma once

// One picture of a skinned window: drawn from the skin's SVG, crisp at any scale, or as a plain
// shape in the given colour where the skin has no such picture. It tells its window when the
// mouse moves over it and when it is clicked (pressed and released on it), which is all a picture
// of these windows ever reports.

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QSvgRenderer;

namespace tessivar::ui {

class PictureWidget : public QWidget {
public:
    enum class Shape { fill, rounded, disc };

    PictureWidget(QWidget* parent, const QString& objectName, const QString& picture, QColor fallback,
                  Shape shape = Shape::rounded);
    ~PictureWidget() override;

    // Drawn on the plain shape only: the skin's pictures carry their own captions.
    void setCaption(const QString& caption);
    void setColour(QColor colour);
    // A bar's fill: the picture is drawn at its parent's full width and shows as far as this
    // widget reaches, so that it is uncovered rather than squeezed as the bar grows.
    void setUncovered(bool uncovered) { m_uncovered = uncovered; }

    std::function<void()> onMouseMove;
    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<QSvgRenderer> m_svg;
    QColor m_colour;
    Shape m_shape;
    QString m_caption;
    bool m_pressed = false;
    bool m_uncovered = false;
};

} // namespace tessivar::ui
