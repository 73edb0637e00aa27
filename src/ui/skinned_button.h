#pragma once

// A skinned button on screen: the idle picture `...Normal` and the hover picture `...MouseMove`
// at the same place, each under its own control name, showing as the window unit's SkinnedPair
// says. The button decides nothing: a move over the idle picture asks the unit to light it, a
// click on the hover picture runs the action, and the unit's state decides what shows.

#include "shell/skin.h"
#include "ui/svg_picture.h"

#include <QWidget>
#include <functional>

namespace tessivar::ui {

class SkinnedButton : public QWidget {
    Q_OBJECT
  public:
    // `pictures` is the skin name without its look: "ok" draws ok_idle and ok_lit.
    SkinnedButton(const SkinnedPair& pair, const QString& normalName, const QString& mouseMoveName,
                  const QString& pictures, QWidget* parent = nullptr);

    // The unit's hover handler (the idle picture's mouse move) and its click handler (the hover
    // picture's click). The click runs only while the pair takes it, so a stale lit picture
    // cannot act on a button the unit has put back to idle or disabled.
    void onHover(std::function<void()> handler) { m_hover = std::move(handler); }
    void onClick(std::function<void()> handler) { m_click = std::move(handler); }

    // Shows what the pair holds now; the window calls it whenever its unit reports a change.
    void refresh();

    SvgPicture* normal() const { return m_normal; }
    SvgPicture* mouseMove() const { return m_mouseMove; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    const SkinnedPair& m_pair;
    SvgPicture* m_normal;
    SvgPicture* m_mouseMove;
    std::function<void()> m_hover;
    std::function<void()> m_click;
};

} // namespace tessivar::ui
