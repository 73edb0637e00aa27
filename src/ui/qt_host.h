#pragma once

// The Host of the desktop program. Long work calls yield() after every key, value, folder entry
// and list entry; a pass through the event loop costs microseconds, so yield() lets one happen
// only when the last was at least a slice ago (4 ms by default): the window stays live, the cancel
// button answers, and a million yields cost a few milliseconds.

#include "engine/host.h"
#include "shell/mouse_pointer.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace tessivar::ui {

class QtHost : public Host {
  public:
    explicit QtHost(std::chrono::microseconds slice = std::chrono::milliseconds(4));

    void yield() override;
    void showMessageBox(std::string& MessageboxRequest) override;
    // The detection sound is played by the sound service once it is wired; until then no sound.
    bool playSoundAsync(const std::string& path) override;
    void RefreshThePicControls() override;
    void Picture1_MouseMove() override;

    // Who shows the message box modally and leaves the answer in the request.
    void setMessageBox(std::function<void(std::string&)> show) { m_messageBox = std::move(show); }
    void setRefresh(std::function<void()> refresh) { m_refresh = std::move(refresh); }
    void setIdleReset(std::function<void()> reset) { m_idleReset = std::move(reset); }

    // How many event-loop passes yield() made, for the benchmarks.
    long long passes() const { return m_passes; }

  private:
    std::int64_t m_sliceNanoseconds;
    std::int64_t m_lastPass = 0;
    long long m_passes = 0;
    std::function<void(std::string&)> m_messageBox;
    std::function<void()> m_refresh;
    std::function<void()> m_idleReset;
};

// Sets the application's pointer: the hourglass as the override cursor, the default by removing it.
class QtMousePointer : public MousePointer {
  public:
    void setPointer(PointerShape shape) override;

  private:
    bool m_overridden = false;
};

} // namespace tessivar::ui
