#include "ui/timer_runner.h"

#include <QTimer>

namespace tessivar::ui {

struct TimerRunner::Entry {
    const TimerState& state;
    std::function<void()> tick;
    QTimer* timer;
};

TimerRunner::TimerRunner(QObject* parent) : QObject(parent) {}

TimerRunner::~TimerRunner() = default;

void TimerRunner::add(const QString& objectName, const TimerState& state, std::function<void()> tick)
{
    auto* timer = new QTimer(this);
    timer->setObjectName(objectName);
    // The short intervals (1 ms, 10 ms) are slide steps: a coarse timer would halve their speed.
    timer->setTimerType(Qt::PreciseTimer);
    m_entries.push_back(std::make_unique<Entry>(Entry{state, std::move(tick), timer}));
    Entry* entry = m_entries.back().get();
    connect(timer, &QTimer::timeout, this, [this, entry] {
        if (!entry->state.Enabled) {
            entry->timer->stop();
            return;
        }
        if (entry->tick)
            entry->tick();
        sync();
    });
    sync();
}

void TimerRunner::sync()
{
    for (const auto& entry : m_entries) {
        // A timer with no interval never fires, as in the window system the units were drawn for.
        const bool run = entry->state.Enabled && entry->state.Interval > 0;
        if (!run) {
            entry->timer->stop();
        } else if (!entry->timer->isActive() || entry->timer->interval() != entry->state.Interval) {
            entry->timer->start(entry->state.Interval);
        }
    }
}

QTimer* TimerRunner::timer(const QString& objectName) const
{
    for (const auto& entry : m_entries)
        if (entry->timer->objectName() == objectName)
            return entry->timer;
    return nullptr;
}

} // namespace tessivar::ui
