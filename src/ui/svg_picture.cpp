#include "ui/svg_picture.h"

#include "ui/skin_resources.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

namespace tessivar::ui {

SvgPicture::SvgPicture(const QString& objectName, const QString& picture, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
    // Handlers react to moves without a button held (hover), as the skinned windows do.
    setMouseTracking(true);
    setPicture(picture);
    resize(sizeHint());
}

void SvgPicture::setPicture(const QString& picture)
{
    if (picture == m_picture)
        return;
    m_picture = picture;
    m_cache = QPixmap();
    update();
}

void SvgPicture::setVisibleWidth(int width)
{
    if (width == m_visibleWidth)
        return;
    m_visibleWidth = width;
    update();
}

QSize SvgPicture::sizeHint() const
{
    if (m_picture.isEmpty())
        return QWidget::sizeHint();
    loadSkinResources();
    return QSvgRenderer(skinPicture(m_picture)).defaultSize();
}

const QPixmap& SvgPicture::rendered()
{
    // Rendering an SVG is far dearer than drawing a pixmap, and the windows repaint often while
    // a scan runs; the picture is drawn once per size and device pixel ratio.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (m_cache.size() != pixels || m_cache.devicePixelRatio() != ratio) {
        m_cache = QPixmap(pixels);
        m_cache.fill(Qt::transparent);
        m_cache.setDevicePixelRatio(ratio);
        QSvgRenderer renderer(skinPicture(m_picture));
        QPainter painter(&m_cache);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size())));
    }
    return m_cache;
}

void SvgPicture::paintEvent(QPaintEvent*)
{
    if (m_picture.isEmpty() || m_visibleWidth == 0)
        return;
    QPainter painter(this);
    // A button switched off (Scan Now during a scan, Repair during the repair) looks it; a
    // picture inside a disabled window keeps its look.
    if (testAttribute(Qt::WA_ForceDisabled))
        painter.setOpacity(0.4);
    if (m_visibleWidth > 0) {
        const qreal radius = height() / 2.0;
        QPainterPath clip;
        clip.addRoundedRect(QRectF(0, 0, std::min(m_visibleWidth, width()), height()), radius, radius);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(clip);
    }
    painter.drawPixmap(0, 0, rendered());
}

// A window closed into the tray may stay hidden for hours: its pictures are drawn again when it
// shows, rather than held all that time. A picture hidden inside a shown window (the blinking
// indicator) keeps its drawing.
void SvgPicture::hideEvent(QHideEvent*)
{
    if (!window()->isVisible())
        m_cache = QPixmap();
}

void SvgPicture::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->position().toPoint());
}

void SvgPicture::mousePressEvent(QMouseEvent* event)
{
    m_pressed = true;
    emit mousePressed(event->position().toPoint());
}

void SvgPicture::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    const bool click = m_pressed && rect().contains(position);
    m_pressed = false;
    emit mouseReleased(position);
    if (click)
        emit clicked();
}

} // namespace tessivar::ui
