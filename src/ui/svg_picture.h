#pragma once

// A picture control of the skin: draws one SVG of the skin resource, scaled to its size, and
// reports the mouse the way the windows' handlers expect it (every move, with or without a
// button, and a click as press and release on the same picture).

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace tessivar::ui {

class SvgPicture : public QWidget {
    Q_OBJECT
  public:
    // `picture` is a skin name (see skinPicture); an empty name draws nothing, for drag areas that
    // lie over a background which already shows them.
    explicit SvgPicture(const QString& objectName, const QString& picture, QWidget* parent = nullptr);

    void setPicture(const QString& picture);
    QString picture() const { return m_picture; }

    // Draws only the leftmost `width` pixels, with the cut end rounded like the picture's own ends:
    // a progress fill grows over its track this way. A negative width draws the whole picture.
    void setVisibleWidth(int width);
    int visibleWidth() const { return m_visibleWidth; }

    // The picture's own size (the SVG's), for placing it at its natural size.
    QSize sizeHint() const override;

  signals:
    void mouseMoved(QPoint position);
    void mousePressed(QPoint position);
    void mouseReleased(QPoint position);
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    const QPixmap& rendered();

    QString m_picture;
    QPixmap m_cache;
    int m_visibleWidth = -1;
    bool m_pressed = false;
};

} // namespace tessivar::ui
