#pragma once

// Runs the timers a window unit asks for. The unit holds each timer as a TimerState (running,
// interval) and its tick handler; after every change of the unit the window calls sync(), which
// starts, stops or re-times the QTimers to match. A tick runs the handler and syncs again, since
// a handler often stops its own timer or starts another.

#include "shell/skin.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QTimer;

namespace tessivar::ui {

class TimerRunner : public QObject {
    Q_OBJECT
  public:
    explicit TimerRunner(QObject* parent = nullptr);
    ~TimerRunner() override;

    // `state` belongs to the unit and outlives the runner; `objectName` is the timer's control name.
    void add(const QString& objectName, const TimerState& state, std::function<void()> tick);

    void sync();

    // The running QTimer of that name, or nullptr (for tests that fire a tick at once).
    QTimer* timer(const QString& objectName) const;

  private:
    struct Entry;
    std::vector<std::unique_ptr<Entry>> m_entries;
};

} // namespace tessivar::ui
