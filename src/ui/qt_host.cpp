#include "ui/qt_host.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <ctime>

namespace tessivar::ui {

namespace {

// The coarse monotonic clock costs a few nanoseconds where the precise one costs tens; its tick
// (1 to 4 ms) is finer than any slice worth having.
std::int64_t nowNanoseconds()
{
#ifdef CLOCK_MONOTONIC_COARSE
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
#else
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

} // namespace

QtHost::QtHost(std::chrono::microseconds slice)
    : m_sliceNanoseconds(std::chrono::duration_cast<std::chrono::nanoseconds>(slice).count())
{
}

void QtHost::yield()
{
    // A yield comes every few hundred nanoseconds of work; reading the clock at each would cost
    // more than the steps between two reads are worth.
    if (++m_yieldsSinceClock < kYieldsPerClockRead)
        return;
    m_yieldsSinceClock = 0;
    const std::int64_t now = nowNanoseconds();
    if (now - m_lastPass < m_sliceNanoseconds)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    ++m_passes;
    // Timed from the end of the pass, so that a slow repaint does not make the next one due at once.
    m_lastPass = nowNanoseconds();
}

MessageAnswer QtHost::showMessageBox(MessageKind kind, std::string_view outcomeText)
{
    return m_messageBox ? m_messageBox(kind, outcomeText) : MessageAnswer::no;
}

bool QtHost::playSoundAsync(const std::string& path)
{
    return m_sound.playAsync(path);
}

void QtHost::RefreshThePicControls()
{
    if (m_refresh)
        m_refresh();
}

void QtHost::Picture1_MouseMove()
{
    if (m_idleReset)
        m_idleReset();
}

void QtMousePointer::setPointer(PointerShape shape)
{
    if (shape == PointerShape::Hourglass) {
        if (m_overridden)
            QGuiApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_overridden = true;
    } else if (m_overridden) {
        QGuiApplication::restoreOverrideCursor();
        m_overridden = false;
    }
}

} // namespace tessivar::ui
