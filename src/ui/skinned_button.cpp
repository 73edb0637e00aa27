#include "ui/skinned_button.h"

#include <QResizeEvent>

namespace tessivar::ui {

SkinnedButton::SkinnedButton(const SkinnedPair& pair, const QString& normalName, const QString& mouseMoveName,
                             const QString& pictures, QWidget* parent)
    : QWidget(parent), m_pair(pair), m_normal(new SvgPicture(normalName, pictures + QStringLiteral("_idle"), this)),
      m_mouseMove(new SvgPicture(mouseMoveName, pictures + QStringLiteral("_lit"), this))
{
    setObjectName(normalName + QStringLiteral("Pair"));
    resize(m_normal->size());
    connect(m_normal, &SvgPicture::mouseMoved, this, [this] {
        if (m_hover && m_pair.NormalEnabled)
            m_hover();
    });
    connect(m_mouseMove, &SvgPicture::clicked, this, [this] {
        if (m_click && m_pair.takesClick())
            m_click();
    });
    refresh();
}

void SkinnedButton::refresh()
{
    m_normal->setEnabled(m_pair.NormalEnabled);
    m_normal->setVisible(m_pair.visible && !m_pair.lit);
    m_mouseMove->setVisible(m_pair.visible && m_pair.lit);
    if (parentWidget())
        setVisible(m_pair.visible);
}

void SkinnedButton::resizeEvent(QResizeEvent* event)
{
    // The two looks always cover the button's whole place.
    m_normal->setGeometry(QRect(QPoint(0, 0), event->size()));
    m_mouseMove->setGeometry(QRect(QPoint(0, 0), event->size()));
}

} // namespace tessivar::ui
