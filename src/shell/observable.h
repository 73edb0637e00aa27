#pragma once

// A window unit tells whoever renders it that its state changed; the renderer reads the state
// afresh. The units are small, so one notification per handler is all a window needs.

#include <functional>
#include <utility>

namespace tessivar {

class Observable {
  public:
    using Observer = std::function<void()>;

    void setObserver(Observer observer) { m_observer = std::move(observer); }

  protected:
    void notifyChanged() const
    {
        if (m_observer)
            m_observer();
    }

  private:
    Observer m_observer;
};

} // namespace tessivar
