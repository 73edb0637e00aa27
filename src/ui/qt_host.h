#pragma once

// The Host of the desktop program. Long work calls yield() after every key, value, folder entry
// and list entry; a pass through the event loop with its repaint costs about half a millisecond,
// so yield() lets one happen only when the last was at least a slice ago (10 ms by default, a
// hundred passes a second): the window stays live, the cancel button answers, and the passes
// cost a few per cent of the work.

#include "engine/host.h"
#include "shell/mouse_pointer.h"
#include "ui/sound_player.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tessivar::ui {

class QtHost : public Host {
  public:
    explicit QtHost(std::chrono::microseconds slice = std::chrono::milliseconds(10));

    void yield() override;
    MessageAnswer showMessageBox(MessageKind kind, std::string_view outcomeText = {}) override;
    // Plays the wave file through the player, with the file found through the mapper given to
    // setSoundFiles(); without one no sound is played.
    bool playSoundAsync(const std::string& path) override;
    void RefreshThePicControls() override;
    void Picture1_MouseMove() override;

    // Who shows the message box modally and returns its answer; without one every question is
    // answered no, which leaves everything as it is.
    using MessageBoxShower = std::function<MessageAnswer(MessageKind, std::string_view)>;
    void setMessageBox(MessageBoxShower show) { m_messageBox = std::move(show); }
    void setRefresh(std::function<void()> refresh) { m_refresh = std::move(refresh); }
    void setIdleReset(std::function<void()> reset) { m_idleReset = std::move(reset); }
    void setSoundFiles(SoundPlayer::PathMapper mapper) { m_sound.setPathMapper(std::move(mapper)); }
    void setSoundModule(const QString& path) { m_sound.setModulePaths({path}); }

    // How many event-loop passes yield() made, for the benchmarks.
    long long passes() const { return m_passes; }

  private:
    std::int64_t m_sliceNanoseconds;
    std::int64_t m_lastPass = 0;
    static constexpr int kYieldsPerClockRead = 16;
    int m_yieldsSinceClock = kYieldsPerClockRead - 1; // the first yield reads it
    long long m_passes = 0;
    MessageBoxShower m_messageBox;
    std::function<void()> m_refresh;
    std::function<void()> m_idleReset;
    SoundPlayer m_sound;
};

// Sets the application's pointer: the hourglass as the override cursor, the default by removing it.
class QtMousePointer : public MousePointer {
  public:
    void setPointer(PointerShape shape) override;

  private:
    bool m_overridden = false;
};

} // namespace tessivar::ui
